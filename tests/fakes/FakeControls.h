// In-memory controls for the tests: they keep the state a test can set and
// read, and fail the way the real ones do. Each joins a FaultPlan once
// watched.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Ui.h"
#include "tests/fakes/FaultPlan.h"

namespace tarnavel::fake {

template <class Interface>
class Control : public Interface, public Watched {
 public:
  explicit Control(std::string caption = {}) : caption_(std::move(caption)) {}
  std::string caption() const override {
    reads("caption");
    return caption_;
  }
  void setCaption(std::string_view text) override {
    acts("setCaption");
    caption_ = text;
  }
  bool enabled() const override {
    reads("enabled");
    return enabled_;
  }
  void setEnabled(bool on) override {
    acts("setEnabled");
    enabled_ = on && tip.empty();
  }
  void lock(std::string_view why) override {
    tip = why;
    enabled_ = false;
  }
  bool visible() const override {
    reads("visible");
    return visible_;
  }
  void setVisible(bool on) override {
    acts("setVisible");
    visible_ = on;
  }
  void setFocus() override {
    acts("setFocus");
    ++focusCount;
  }

  int focusCount = 0;
  std::string tip;  // set by lock

 protected:
  void keepCaption(std::string_view text) { caption_ = text; }

 private:
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
};

using FakeControl = Control<platform::IControl>;

class FakeOptionButton : public Control<platform::IOptionButton> {
 public:
  using Control::Control;
  bool value() const override {
    reads("value");
    return value_;
  }
  void setValue(bool chosen) override {
    acts("setValue");
    value_ = chosen;
  }

 private:
  bool value_ = false;
};

class FakeCheckBox : public Control<platform::ICheckBox> {
 public:
  using Control::Control;
  bool checked() const override {
    reads("checked");
    return checked_;
  }
  void setChecked(bool on) override {
    acts("setChecked");
    checked_ = on;
  }

 private:
  bool checked_ = false;
};

class FakeTextBox : public Control<platform::ITextBox> {
 public:
  using Control::Control;
  void selectAll() override {
    acts("selectAll");
    ++selectAllCount;
  }
  int selectAllCount = 0;
};

class FakeProgressBar : public Control<platform::IProgressBar> {
 public:
  using Control::Control;
  int max() const override {
    reads("max");
    return max_;
  }
  void setMax(int value) override {
    acts("setMax");
    max_ = value;
  }
  int value() const override {
    reads("value");
    return value_;
  }
  void setValue(int value) override {
    acts("setValue");
    value_ = value;
  }

 private:
  int max_ = 100;
  int value_ = 0;
};

class FakeTimePicker : public Control<platform::ITimePicker> {
 public:
  using Control::Control;
  TimeOfDay value() const override {
    reads("value");
    return value_;
  }
  void setValue(TimeOfDay time) override {
    acts("setValue");
    value_ = time;
  }

 private:
  TimeOfDay value_;
};

class FakeComboBox : public Control<platform::IComboBox> {
 public:
  using Control::Control;
  void addItem(std::string_view text) override {
    acts("addItem");
    items.emplace_back(text);
  }
  void setCaption(std::string_view text) override {
    acts("setCaption");
    for (const auto& item : items) {
      if (item == text) {
        keepCaption(text);
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
    acts("addColumn");
    touch("addColumn", static_cast<int>(columns.size()) + 1);
    columns.push_back({std::string(header), widthTwips});
  }
  int columnCount() const override {
    reads("columnCount");
    return static_cast<int>(columns.size());
  }
  int columnWidth(int column) const override {
    reads("columnWidth");
    return columnAt(column).width;
  }
  void setColumnWidth(int column, int widthTwips) override {
    acts("setColumnWidth");
    columnAt(column).width = widthTwips;
  }

  int count() const override {
    reads("count");
    return static_cast<int>(rows.size());
  }
  int add(std::string_view text) override {
    acts("add");
    touch("add", static_cast<int>(rows.size()) + 1);
    rows.push_back({std::string(text)});
    return static_cast<int>(rows.size());
  }
  void remove(int row) override {
    acts("remove");
    touch("remove", row);
    check(row);
    rows.erase(rows.begin() + (row - 1));
    if (selected_ == row) selected_ = 0;
    if (selected_ > row) --selected_;
  }
  void clear() override {
    acts("clear");
    touch("clear", 0);
    rows.clear();
    selected_ = 0;
  }
  std::string text(int row, int subItem = 0) const override {
    reads("text");
    if (onRead) onRead(row, subItem);
    check(row);
    const auto& cells = rows[static_cast<std::size_t>(row - 1)];
    return static_cast<std::size_t>(subItem) < cells.size()
               ? cells[static_cast<std::size_t>(subItem)]
               : std::string();
  }
  void setText(int row, int subItem, std::string_view text) override {
    acts("setText", text);
    touch("setText", row);
    check(row);
    auto& cells = rows[static_cast<std::size_t>(row - 1)];
    if (cells.size() <= static_cast<std::size_t>(subItem)) {
      cells.resize(static_cast<std::size_t>(subItem) + 1);
    }
    cells[static_cast<std::size_t>(subItem)] = text;
  }
  int selected() const override {
    reads("selected");
    return selected_;
  }
  void select(int row) override {
    acts("select");
    check(row);
    selected_ = row;
  }
  // Repainting changes nothing a test can see: not part of a fault plan.
  void holdRedraw(bool hold) noexcept override { holds += hold ? 1 : -1; }
  int holds = 0;

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
    if (row < 1 || row > static_cast<int>(rows.size())) throw AppError::indexOutOfBounds();
  }
  Column& columnAt(int column) {
    if (column < 1 || column > static_cast<int>(columns.size())) throw AppError::indexOutOfBounds();
    return columns[static_cast<std::size_t>(column - 1)];
  }
  const Column& columnAt(int column) const {
    if (column < 1 || column > static_cast<int>(columns.size())) throw AppError::indexOutOfBounds();
    return columns[static_cast<std::size_t>(column - 1)];
  }
  int selected_ = 0;
};

class FakeTimer : public platform::ITimer, public Watched {
 public:
  bool enabled() const override {
    reads("enabled");
    return enabled_;
  }
  void setEnabled(bool on) override {
    acts("setEnabled");
    enabled_ = on;
  }
  int interval() const override {
    reads("interval");
    return interval_;
  }
  void setInterval(int milliseconds) override {
    acts("setInterval");
    interval_ = milliseconds;
  }
  bool running() const { return enabled_ && interval_ > 0; }

 private:
  bool enabled_ = false;
  int interval_ = 0;
};

class FakeMainWindow : public platform::IMainWindow, public Watched {
 public:
  Hwnd32 handle() const override {
    reads("handle");
    return handleValue;
  }
  void setCaption(std::string_view text) override {
    acts("setCaption");
    caption = text;
  }
  void setAppIcon() override {
    acts("setAppIcon");
    ++iconSetCount;
  }
  WindowState state() const override {
    reads("state");
    return state_;
  }
  void setState(WindowState state) override {
    acts("setState");
    state_ = state;
  }
  bool visible() const override {
    reads("visible");
    return visible_;
  }
  void setVisible(bool on) override {
    acts("setVisible");
    if (on) ++showCount;
    visible_ = on;
  }
  void activate() override {
    acts("activate");
    ++activateCount;
  }
  MousePointer pointer() const override {
    reads("pointer");
    return pointer_;
  }
  void setPointer(MousePointer pointer) override {
    acts("setPointer");
    pointer_ = pointer;
  }
  void loadCustomPointer(std::string_view path) override {
    acts("loadCustomPointer");
    if (failCustomPointer) throw AppError::invalidPropertyValue();
    customPointer = path;
  }
  void useButtonFaceColours() override {
    acts("useButtonFaceColours");
    buttonFace = true;
  }

  Hwnd32 handleValue = 0x10010;
  std::string caption;
  int iconSetCount = 0;
  int activateCount = 0;
  int showCount = 0;
  std::string customPointer;
  bool failCustomPointer = false;
  bool buttonFace = false;

 private:
  WindowState state_ = WindowState::Normal;
  bool visible_ = false;
  MousePointer pointer_ = MousePointer::Default;
};

}  // namespace tarnavel::fake
