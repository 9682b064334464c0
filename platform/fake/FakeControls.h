// In-memory controls for the tests: they keep the state a test can set and
// read, and fail the way the real ones do.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Ui.h"

namespace tarnavel::fake {

template <class Interface>
class Control : public Interface {
 public:
  explicit Control(std::string caption = {}) : caption_(std::move(caption)) {}
  std::string caption() const override { return caption_; }
  void setCaption(std::string_view text) override { caption_ = text; }
  bool enabled() const override { return enabled_; }
  void setEnabled(bool on) override { enabled_ = on; }
  bool visible() const override { return visible_; }
  void setVisible(bool on) override { visible_ = on; }
  void setFocus() override { ++focusCount; }

  int focusCount = 0;

 private:
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
};

using FakeControl = Control<platform::IControl>;

class FakeOptionButton : public Control<platform::IOptionButton> {
 public:
  using Control::Control;
  bool value() const override { return value_; }
  void setValue(bool chosen) override { value_ = chosen; }

 private:
  bool value_ = false;
};

class FakeCheckBox : public Control<platform::ICheckBox> {
 public:
  using Control::Control;
  bool checked() const override { return checked_; }
  void setChecked(bool on) override { checked_ = on; }

 private:
  bool checked_ = false;
};

class FakeTextBox : public Control<platform::ITextBox> {
 public:
  using Control::Control;
  void selectAll() override { ++selectAllCount; }
  int selectAllCount = 0;
};

class FakeProgressBar : public Control<platform::IProgressBar> {
 public:
  using Control::Control;
  int max() const override { return max_; }
  void setMax(int value) override { max_ = value; }
  int value() const override { return value_; }
  void setValue(int value) override { value_ = value; }

 private:
  int max_ = 100;
  int value_ = 0;
};

class FakeTimePicker : public Control<platform::ITimePicker> {
 public:
  using Control::Control;
  TimeOfDay value() const override { return value_; }
  void setValue(TimeOfDay time) override { value_ = time; }

 private:
  TimeOfDay value_;
};

class FakeComboBox : public Control<platform::IComboBox> {
 public:
  using Control::Control;
  void addItem(std::string_view text) override { items.emplace_back(text); }
  void setCaption(std::string_view text) override {
    for (const auto& item : items) {
      if (item == text) {
        Control::setCaption(text);
        return;
      }
    }
    throw AppError::textReadOnly();
  }
  std::vector<std::string> items;
};

class FakeListView : public Control<platform::IListView> {
 public:
  struct Column {
    std::string header;
    int width;
  };

  void addColumn(std::string_view header, int widthTwips) override {
    touch("addColumn", columnCount() + 1);
    columns.push_back({std::string(header), widthTwips});
  }
  int columnCount() const override { return static_cast<int>(columns.size()); }
  int columnWidth(int column) const override { return columnAt(column).width; }
  void setColumnWidth(int column, int widthTwips) override { columnAt(column).width = widthTwips; }

  int count() const override { return static_cast<int>(rows.size()); }
  int add(std::string_view text) override {
    touch("add", count() + 1);
    rows.push_back({std::string(text)});
    return count();
  }
  void remove(int row) override {
    touch("remove", row);
    check(row);
    rows.erase(rows.begin() + (row - 1));
    if (selected_ == row) selected_ = 0;
    if (selected_ > row) --selected_;
  }
  void clear() override {
    touch("clear", 0);
    rows.clear();
    selected_ = 0;
  }
  std::string text(int row, int subItem = 0) const override {
    if (onRead) onRead(row, subItem);
    check(row);
    const auto& cells = rows[static_cast<std::size_t>(row - 1)];
    return static_cast<std::size_t>(subItem) < cells.size()
               ? cells[static_cast<std::size_t>(subItem)]
               : std::string();
  }
  void setText(int row, int subItem, std::string_view text) override {
    touch("setText", row);
    check(row);
    auto& cells = rows[static_cast<std::size_t>(row - 1)];
    if (cells.size() <= static_cast<std::size_t>(subItem)) {
      cells.resize(static_cast<std::size_t>(subItem) + 1);
    }
    cells[static_cast<std::size_t>(subItem)] = text;
  }
  int selected() const override { return selected_; }
  void select(int row) override {
    check(row);
    selected_ = row;
  }

  // Called before every change with its name and row; a test may throw from
  // it to make that change fail.
  std::function<void(std::string_view op, int row)> onChange;
  // Called before every read of a cell; a test may throw from it.
  std::function<void(int row, int subItem)> onRead;
  std::vector<Column> columns;
  std::vector<std::vector<std::string>> rows;

 private:
  void touch(std::string_view op, int row) {
    if (onChange) onChange(op, row);
  }
  void check(int row) const {
    if (row < 1 || row > count()) throw AppError::indexOutOfBounds();
  }
  Column& columnAt(int column) {
    if (column < 1 || column > columnCount()) throw AppError::indexOutOfBounds();
    return columns[static_cast<std::size_t>(column - 1)];
  }
  const Column& columnAt(int column) const {
    if (column < 1 || column > columnCount()) throw AppError::indexOutOfBounds();
    return columns[static_cast<std::size_t>(column - 1)];
  }
  int selected_ = 0;
};

class FakeTimer : public platform::ITimer {
 public:
  bool enabled() const override { return enabled_; }
  void setEnabled(bool on) override { enabled_ = on; }
  int interval() const override { return interval_; }
  void setInterval(int milliseconds) override { interval_ = milliseconds; }
  bool running() const { return enabled_ && interval_ > 0; }

 private:
  bool enabled_ = false;
  int interval_ = 0;
};

class FakeMainWindow : public platform::IMainWindow {
 public:
  Hwnd32 handle() const override { return handleValue; }
  void setCaption(std::string_view text) override { caption = text; }
  void setAppIcon() override { ++iconSetCount; }
  WindowState state() const override { return state_; }
  void setState(WindowState state) override { state_ = state; }
  bool visible() const override { return visible_; }
  void setVisible(bool on) override { visible_ = on; }
  void activate() override { ++activateCount; }
  MousePointer pointer() const override { return pointer_; }
  void setPointer(MousePointer pointer) override { pointer_ = pointer; }
  void loadCustomPointer(std::string_view path) override {
    if (failCustomPointer) throw AppError::invalidPropertyValue();
    customPointer = path;
  }
  void useButtonFaceColours() override { buttonFace = true; }

  Hwnd32 handleValue = 0x10010;
  std::string caption;
  int iconSetCount = 0;
  int activateCount = 0;
  std::string customPointer;
  bool failCustomPointer = false;
  bool buttonFace = false;

 private:
  WindowState state_ = WindowState::Normal;
  bool visible_ = false;
  MousePointer pointer_ = MousePointer::Default;
};

}  // namespace tarnavel::fake
