// The main window's controls over real Win32 controls. Each class implements
// its interface from platform/Ui.h; the main window creates them from the
// layout table and hands their notifications to them to decode.
//
// The control windows belong to the main window (the system destroys them
// with it); these objects only borrow their handles.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/Form1Layout.h"
#include "platform/Ui.h"
#include "win32/Text.h"

namespace tarnavel::win32 {

// A notification turned into what the logic hears.
struct ControlEvent {
  enum class Kind { Click, DoubleClick, RightClick, Change, FocusGained, FocusLost };
  Kind kind;
  Ctl control;
  friend bool operator==(const ControlEvent&, const ControlEvent&) = default;
};

class ChildControl {
 public:
  ChildControl(HWND window, const CtlLayout& layout) : window_(window), layout_(layout) {}
  virtual ~ChildControl() = default;
  ChildControl(const ChildControl&) = delete;
  ChildControl& operator=(const ChildControl&) = delete;

  HWND window() const { return window_; }
  Ctl id() const { return layout_.id; }
  const CtlLayout& layout() const { return layout_; }

  // WM_COMMAND and WM_NOTIFY from this control, decoded.
  virtual std::optional<ControlEvent> command(WORD) { return std::nullopt; }
  virtual std::optional<ControlEvent> notify(const NMHDR&) { return std::nullopt; }
  // The window moved to a monitor with another DPI (after fonts and places).
  virtual void dpiChanged(unsigned) {}
  // The main window was shown: what was held back while it was hidden is
  // put on the screen now.
  virtual void windowShown() {}

  // Told when a control is locked, with the tip to show over it.
  std::function<void(ChildControl&, std::string_view tip)> onLock;
  bool locked() const { return locked_; }

 protected:
  // Disables the control for good and has its tip shown.
  void lockWith(std::string_view tip) {
    locked_ = true;
    EnableWindow(window_, FALSE);
    if (onLock) onLock(*this, tip);
  }

 protected:
  HWND window_;
  const CtlLayout& layout_;

 private:
  bool locked_ = false;
};

// Gives a control the focus from code: its top-level window decides when,
// and no focus event is raised for it.
void focusOrRemember(HWND control);

// The members every control shares, over its window.
template <class Interface>
class ControlBase : public ChildControl, public Interface {
 public:
  using ChildControl::ChildControl;
  std::string caption() const override { return windowText(window_); }
  void setCaption(std::string_view text) override { setWindowText(window_, text); }
  bool enabled() const override { return IsWindowEnabled(window_) != FALSE; }
  void setEnabled(bool on) override { EnableWindow(window_, on && !locked() ? TRUE : FALSE); }
  void lock(std::string_view tip) override { lockWith(tip); }
  // The control's own visibility, whatever its window's.
  bool visible() const override {
    return (GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
  }
  void setVisible(bool on) override { ShowWindow(window_, on ? SW_SHOWNA : SW_HIDE); }
  void setFocus() override { focusOrRemember(window_); }
};

// Push buttons: BN_CLICKED is a click.
class PushButton final : public ControlBase<platform::IControl> {
 public:
  using ControlBase::ControlBase;
  std::optional<ControlEvent> command(WORD code) override;
};

// Labels and frames: captions only.
class Label final : public ControlBase<platform::IControl> {
 public:
  using ControlBase::ControlBase;
};

// A frame draws itself (its line and its caption): the caption is measured
// and drawn with one font and one call, so its last letter is never cut by the
// line, and the background behind it is the window's current colour.
class Frame final : public ControlBase<platform::IControl> {
 public:
  Frame(HWND window, const CtlLayout& layout);
  // While the main window is hidden a new caption is only kept (the status
  // frame's changes every second): the frame answers for its text from it,
  // and takes it as its window text when the window is shown.
  void setCaption(std::string_view text) override;
  void windowShown() override;
  // The caption kept while hidden, if any.
  const std::wstring* held() const { return held_ ? &*held_ : nullptr; }

 private:
  // The caption strip's height, measured once for each font the frame gets:
  // the status frame's caption changes every second.
  int captionHeight();
  HFONT measuredFont_ = nullptr;
  int captionHeight_ = 0;
  std::optional<std::wstring> held_;
};

// Option buttons are BS_RADIOBUTTON, not the automatic kind: the logic
// decides which one is chosen and keeps each group exclusive.
class OptionButton final : public ControlBase<platform::IOptionButton> {
 public:
  using ControlBase::ControlBase;
  bool value() const override;
  void setValue(bool chosen) override;
  std::optional<ControlEvent> command(WORD code) override;
};

// Check boxes are BS_CHECKBOX: a click does not tick the box by itself, the
// logic sets the new state.
class CheckBox final : public ControlBase<platform::ICheckBox> {
 public:
  using ControlBase::ControlBase;
  bool checked() const override;
  void setChecked(bool on) override;
  std::optional<ControlEvent> command(WORD code) override;
};

// A one-line edit. Only the user's edits raise a change: the EN_CHANGE that
// setting the text from code causes is swallowed.
//
// The edit control's work grows with the square of its line's length (a
// million characters take many minutes under Wine), and the box shows a few
// characters only. So a text from code longer than kShownUnits UTF-16 units
// is shown cut there, and the whole text is what the box holds until the
// user edits it.
class TextBox final : public ControlBase<platform::ITextBox> {
 public:
  static constexpr std::size_t kShownUnits = 1024;

  using ControlBase::ControlBase;
  std::string caption() const override;
  void setCaption(std::string_view text) override;
  void selectAll() override;
  std::optional<ControlEvent> command(WORD code) override;

 private:
  int settingText_ = 0;
  std::optional<std::string> whole_;  // a long text set from code
};

// A time-of-day picker with up-down arrows. Only the time part is used.
class TimePicker final : public ControlBase<platform::ITimePicker> {
 public:
  TimePicker(HWND window, const CtlLayout& layout);
  TimeOfDay value() const override;
  // Throws AppError::invalidPropertyValue() for a time outside the day.
  void setValue(TimeOfDay time) override;
  std::optional<ControlEvent> notify(const NMHDR& header) override;

 private:
  int settingValue_ = 0;
  TimeOfDay last_;
};

// A drop-down list: the caption is the chosen item's text.
class ComboBox final : public ControlBase<platform::IComboBox> {
 public:
  using ControlBase::ControlBase;
  std::string caption() const override;
  // Chooses the item with exactly this text; throws AppError::textReadOnly()
  // when there is none.
  void setCaption(std::string_view text) override;
  void addItem(std::string_view text) override;
  std::optional<ControlEvent> command(WORD code) override;

 private:
  std::string itemText(int index) const;
};

// The bar keeps the values it was given and shows them clamped to its range,
// so a negative maximum or an out-of-range value is never refused. Its text
// ("Progress Bar") is kept as the window text and not drawn.
// Range and position are kept here and sent only when they change, and
// while the main window is hidden not at all: the bar answers for them from
// here then, and is brought up to date when the window is shown.
class ProgressBar final : public ControlBase<platform::IProgressBar> {
 public:
  ProgressBar(HWND window, const CtlLayout& layout);
  int max() const override { return max_; }
  void setMax(int maximum) override;
  int value() const override { return value_; }
  void setValue(int shown) override;
  void windowShown() override;
  // What the bar shows: its top and its position.
  int shownTop() const { return max_ > 0 ? max_ : 1; }
  int shownPosition() const;
  bool held() const { return held_; }

 private:
  void show();
  int max_ = 100;
  int value_ = 0;
  bool held_ = false;
  // What the control was last given; none before the first time.
  int sentTop_ = -1;
  int sentPosition_ = -1;
};

// A report-style list. Rows and columns are 1-based here, 0-based in the
// control. Column widths are kept in twips as they were set, and shown in
// pixels for the current DPI.
class ListView final : public ControlBase<platform::IListView> {
 public:
  ListView(HWND window, const CtlLayout& layout, unsigned dpi);
  void addColumn(std::string_view header, int widthTwips) override;
  int columnCount() const override { return static_cast<int>(widths_.size()); }
  int columnWidth(int column) const override;
  void setColumnWidth(int column, int widthTwips) override;
  int count() const override;
  int add(std::string_view rowText) override;
  void remove(int row) override;
  void clear() override;
  std::string text(int row, int subItem = 0) const override;
  void setText(int row, int subItem, std::string_view value) override;
  int selected() const override;
  void select(int row) override;
  // WM_SETREDRAW; the list keeps reading as visible while held.
  void holdRedraw(bool hold) noexcept override;
  bool visible() const override;
  std::optional<ControlEvent> notify(const NMHDR& header) override;
  void dpiChanged(unsigned dpi) override;

 private:
  void checkRow(int row) const;
  std::size_t checkColumn(int column) const;
  int pixels(int twips) const;

  unsigned dpi_;
  std::vector<int> widths_;
  int held_ = 0;
  bool visibleWhenHeld_ = true;
};

// Makes the window of one layout entry, a child of the main window at its
// place for the DPI, with its design text, and the object that drives it.
std::unique_ptr<ChildControl> createControl(const CtlLayout& layout, HWND parent,
                                            HINSTANCE instance, int id, unsigned dpi);

}  // namespace tarnavel::win32
