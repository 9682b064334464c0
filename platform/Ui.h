// The main window and its controls, as the logic sees them. The win32 layer
// implements these over real controls; tests/fakes keeps them in memory.
//
// Setting a value from code never raises an event here: the logic raises the
// handler itself where a change made by the program must act like a user's
// change. Only what the user does reaches the logic as an event.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"

namespace tarnavel::platform {

class IControl {
 public:
  virtual ~IControl() = default;
  // The caption of a button, frame, label, option or check box; the text of a
  // text box, combo box or progress bar.
  virtual std::string caption() const = 0;
  virtual void setCaption(std::string_view text) = 0;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool on) = 0;
  // Disables the control for the rest of the run, whatever setEnabled says
  // later; pointing at it shows the tip, which says why.
  virtual void lock(std::string_view tip) = 0;
  virtual bool visible() const = 0;
  virtual void setVisible(bool on) = 0;
  virtual void setFocus() = 0;
};

class IOptionButton : public IControl {
 public:
  virtual bool value() const = 0;
  virtual void setValue(bool chosen) = 0;
};

class ICheckBox : public IControl {
 public:
  virtual bool checked() const = 0;
  virtual void setChecked(bool on) = 0;
};

class ITextBox : public IControl {
 public:
  virtual void selectAll() = 0;
};

class IProgressBar : public IControl {
 public:
  virtual int max() const = 0;
  virtual void setMax(int value) = 0;
  virtual int value() const = 0;
  // Values outside 0..max are accepted; the bar shows them clamped.
  virtual void setValue(int value) = 0;
};

class ITimePicker : public IControl {
 public:
  virtual TimeOfDay value() const = 0;
  virtual void setValue(TimeOfDay time) = 0;
};

// A drop-down list: its caption is the chosen item's text. Setting a caption
// that is not one of the items throws AppError::textReadOnly().
class IComboBox : public IControl {
 public:
  virtual void addItem(std::string_view text) = 0;
};

// A report-style list. Rows are 1-based; sub-item 0 is the row text. Asking
// for a row that does not exist throws AppError::indexOutOfBounds().
class IListView : public IControl {
 public:
  virtual void addColumn(std::string_view header, int widthTwips) = 0;
  virtual int columnCount() const = 0;
  // Columns are 1-based as well.
  virtual int columnWidth(int column) const = 0;
  virtual void setColumnWidth(int column, int widthTwips) = 0;

  virtual int count() const = 0;
  // Appends a row and returns its number.
  virtual int add(std::string_view text) = 0;
  virtual void remove(int row) = 0;
  virtual void clear() = 0;
  virtual std::string text(int row, int subItem = 0) const = 0;
  virtual void setText(int row, int subItem, std::string_view text) = 0;
  // The selected row, 0 when none is.
  virtual int selected() const = 0;
  virtual void select(int row) = 0;
  // While held (holds nest), the list does not repaint after each change;
  // it repaints once when the last hold is let go. Never fails.
  virtual void holdRedraw(bool hold) noexcept = 0;
};

// Holds a list's repainting for a scope that changes many rows.
class HeldRedraw {
 public:
  explicit HeldRedraw(IListView& list) : list_(list) { list_.holdRedraw(true); }
  ~HeldRedraw() { list_.holdRedraw(false); }
  HeldRedraw(const HeldRedraw&) = delete;
  HeldRedraw& operator=(const HeldRedraw&) = delete;

 private:
  IListView& list_;
};

// The switch timer: runs while enabled with a positive interval.
class ITimer {
 public:
  virtual ~ITimer() = default;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool on) = 0;
  virtual int interval() const = 0;
  virtual void setInterval(int milliseconds) = 0;
};

// The program's own main window.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  virtual Hwnd32 handle() const = 0;
  virtual void setCaption(std::string_view text) = 0;
  // Puts the application icon on the window (title bar and task switcher).
  virtual void setAppIcon() = 0;
  virtual WindowState state() const = 0;
  virtual void setState(WindowState state) = 0;
  virtual bool visible() const = 0;
  virtual void setVisible(bool on) = 0;
  // Brings the window to the front and gives it the focus.
  virtual void activate() = 0;
  virtual MousePointer pointer() const = 0;
  virtual void setPointer(MousePointer pointer) = 0;
  // Loads the custom pointer image shown by MousePointer::Custom. Throws
  // AppError when the file cannot be read as a cursor.
  virtual void loadCustomPointer(std::string_view path) = 0;
  // The skin's colour change: the window and its option buttons, check boxes,
  // frames and labels take the button-face colour.
  virtual void useButtonFaceColours() = 0;
};

}  // namespace tarnavel::platform
