// The main window: a fixed-size top-level window holding every control of the
// layout table, sized in twips for its monitor's DPI. It decodes its messages
// once, here, into typed calls on FormEvents.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "form/Form1Controls.h"
#include "form/Form1Layout.h"
#include "form/FormEvents.h"
#include "platform/Ui.h"
#include "win32/Controls.h"
#include "win32/Fonts.h"
#include "win32/Handles.h"
#include "win32/RepeatTimer.h"
#include "win32/TickTimer.h"

namespace tarnavel::win32 {

class MainWindow final : public platform::IMainWindow {
 public:
  // Creates the window, hidden, with all its controls. Throws AppError when
  // the system refuses.
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND window() const { return window_.get(); }
  unsigned dpi() const { return dpi_; }
  HFONT font(CtlFont kind) const { return fonts_->font(kind); }

  // Where the window's events go; nullptr disconnects.
  void connect(FormEvents* events) { events_ = events; }

  // A message the window does not handle itself goes to the object that
  // owns it (the tray icon's callback, the hook's posted toggle). The
  // handler's answer is the message's result; nothing lets the system's
  // default handling run. A second route for a message replaces the first.
  using Handler = std::function<std::optional<LRESULT>(WPARAM, LPARAM)>;
  void route(UINT message, Handler handler);
  // The same for a message the system numbers by name ("TaskbarCreated");
  // returns its number, 0 when the system refuses.
  UINT routeRegistered(const wchar_t* name, Handler handler);

  // A control by its name, as the class that drives it.
  template <class T>
  T& control(Ctl id) {
    return dynamic_cast<T&>(*controls_.at(static_cast<std::size_t>(id)));
  }
  TickTimer& timer() { return *timer_; }
  RepeatTimer& trayTimer() { return *trayTimer_; }
  RepeatTimer& hookTimer() { return *hookTimer_; }
  // The loop hands every message here before dispatching it: the mouse's
  // messages to the two lists reach their tooltip. (A tooltip that subclasses
  // its tools would put every message to the lists through the subclass
  // chain, which is slow under Wine.)
  void relayToTooltip(const MSG& message) const;
  // The loop hands every message here before the dialog manager sees it.
  // The arrow keys move between the option buttons of one frame and choose
  // the one they reach, and only the chosen option of a frame is a tab stop,
  // as in a dialog box; true when the message was handled here.
  bool preTranslate(const MSG& message);
  // Every control and the timer, as the logic sees them.
  Form1Controls controls();

  // Hands a decoded message to the logic; nothing once disconnected.
  template <class F>
  void deliver(F&& call) {
    if (events_ == nullptr) return;
    try {
      call(*events_);
    } catch (...) {
      // The logic reports its own failures. Whatever still escapes it stops
      // here: it must not unwind through the system's frames.
    }
  }
  // The end of the program's window: no event reaches the logic again. The
  // control and timer objects stay (the logic still holds them) over windows
  // that are gone.
  void destroy() noexcept;

  // --- platform::IMainWindow ---
  Hwnd32 handle() const override;
  void setCaption(std::string_view text) override;
  void setAppIcon() override;
  WindowState state() const override;
  void setState(WindowState wanted) override;
  bool visible() const override;
  void setVisible(bool on) override;
  void activate() override;
  MousePointer pointer() const override { return pointer_; }
  void setPointer(MousePointer setting) override;
  void loadCustomPointer(std::string_view path) override;
  void useButtonFaceColours() override;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  // The window's own messages, one member each.
  struct Route {
    UINT message;
    std::optional<LRESULT> (MainWindow::*handler)(UINT, WPARAM, LPARAM);
  };
  static const Route kRoutes[];
  std::optional<LRESULT> onCommand(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onNotify(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onFocusMessage(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onFocusFromCode(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onGetDefaultId(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onTimer(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onSetCursor(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onControlColour(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onEraseBackground(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onActivate(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onSetFocus(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onSize(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onPositionChanged(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onGetDpiScaledSize(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onDpiChanged(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onToggleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onClose(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onQueryEndSession(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onEndSession(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onSessionChange(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onPowerBroadcast(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> onSystemCommand(UINT message, WPARAM wParam, LPARAM lParam);
  // A second start's request: handed to the logic, its answer sent back.
  std::optional<LRESULT> onCopyData(UINT message, WPARAM wParam, LPARAM lParam);

  void teardown() noexcept;
  // Asks for the session's lock and unlock notifications. Early at log-on
  // the services behind them may not have started yet: the hook's check
  // asks again while they are refused.
  void watchSession() noexcept;
  void createControls();
  void createTooltip();
  // A locked control's tip. A disabled control gets no mouse messages (the
  // main window does), so the tip covers the control's place in the window.
  void addLockTip(const ChildControl& control, std::string_view tip);
  void placeLockTips();
  // "Options..." and "About Tarnavel" below the system menu's own items.
  void extendSystemMenu();
  void applyFonts(const FontSet& fonts);
  // Sizes the window for its DPI (at a new place when one is given) and puts
  // every control at its place.
  void layout(const POINT* topLeft);
  SIZE frameSize(unsigned dpi) const;
  void loadIcons();

  ChildControl* controlFromWindow(HWND window) const;
  ChildControl* controlFromId(int id) const;
  Ctl controlUnderPointer(HWND target) const;
  bool setCursorFor(HWND target, WORD hitTest, WORD mouseMessage);
  HCURSOR pointerCursor() const;
  void refreshCursor();
  int backgroundColour() const;
  LRESULT controlColour(HDC dc, HWND control, bool button);

  void raise(const ControlEvent& event);
  bool moveInOptionGroup(HWND from, bool forward);
  void setOptionTabStops();
  void requestClose();

  HINSTANCE instance_;
  WindowClass class_;
  unsigned dpi_ = 96;
  std::optional<FontSet> fonts_;
  Icon bigIcon_;
  Icon smallIcon_;
  bool iconWanted_ = false;
  Cursor customCursor_;
  MousePointer pointer_ = MousePointer::Default;
  bool buttonFace_ = false;
  // The state the window takes when it is next shown; set while it is hidden,
  // where ShowWindow would show it. A new window comes up normal.
  std::optional<WindowState> pendingState_ = WindowState::Normal;
  // Declared after everything the window uses, so it goes first.
  Window window_;
  std::vector<Ctl> lockTips_;                            // the controls with a lock tip
  HWND tooltip_ = nullptr;                               // owned pop-up: destroyed with the window
  std::vector<std::unique_ptr<ChildControl>> controls_;  // by Ctl
  std::optional<TickTimer> timer_;
  std::optional<RepeatTimer> trayTimer_;
  std::optional<RepeatTimer> hookTimer_;
  SessionWatch session_;

  FormEvents* events_ = nullptr;
  std::vector<std::pair<UINT, Handler>> routes_;
  bool closing_ = false;
  bool active_ = false;
  // Set while the window moves the focus itself: no focus event is raised.
  bool quietFocus_ = false;
  HWND lastFocus_ = nullptr;
};

}  // namespace tarnavel::win32
