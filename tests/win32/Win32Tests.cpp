// The Windows layer against the real system: real windows and controls (kept
// hidden unless a case needs the focus), the registry under a key of its own,
// the file system and the dialog boxes. Runs under Wine on a virtual display
// or on Windows; ends with the line "N passed, M failed".
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/Form1.h"
#include "core/Request.h"
#include "platform/Errors.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "switching/Activation.h"
#include "tests/fakes/FakeSystem.h"
#include "win32/Dialogs.h"
#include "win32/KeyboardHook.h"
#include "win32/Layout.h"
#include "win32/MainWindow.h"
#include "win32/MessageLoop.h"
#include "win32/Messages.h"
#include "win32/Services.h"
#include "win32/SettingsStores.h"
#include "win32/SingleInstance.h"
#include "win32/Text.h"
#include "win32/Tray.h"

namespace tarnavel::win32 {
namespace {

// "Überwachung – 監視 😀" in both encodings.
const std::string kMixedUtf8 =
    "\xC3\x9C"
    "berwachung \xE2\x80\x93 \xE7\x9B\xA3\xE8\xA6\x96 \xF0\x9F\x98\x80";
const std::wstring kMixedUtf16 = L"\u00DCberwachung \u2013 \u76E3\u8996 \U0001F600";

// --- helpers -----------------------------------------------------------------

struct Heard {
  std::string what;
  Ctl control = Ctl::None;
  friend bool operator==(const Heard&, const Heard&) = default;
};

void PrintTo(const Heard& h, std::ostream* os) {
  *os << h.what << "(" << static_cast<int>(h.control) << ")";
}

class Recorder final : public FormEvents {
 public:
  void onCloseRequest() override {
    heard.push_back({"close"});
    if (whenClosing) whenClosing();
  }
  bool onQueryEndSession() override {
    heard.push_back({"query end"});
    return true;
  }
  void onEndSession(bool ending) override { heard.push_back({ending ? "end" : "end cancelled"}); }
  void onSessionResumed() override { heard.push_back({"resumed"}); }
  void onTrayTimer() override { heard.push_back({"tray timer"}); }
  void onHookTimer() override { heard.push_back({"hook timer"}); }
  void onClick(Ctl c) override { heard.push_back({"click", c}); }
  void onDoubleClick(Ctl c) override { heard.push_back({"dblclick", c}); }
  void onRightClick(Ctl c) override { heard.push_back({"rightclick", c}); }
  void onChange(Ctl c) override { heard.push_back({"change", c}); }
  void onFocus(Ctl c, bool gained) override { heard.push_back({gained ? "focus+" : "focus-", c}); }
  void onMouseMove(Ctl c) override { heard.push_back({"move", c}); }
  void onTimer() override {
    heard.push_back({"timer"});
    if (whenTicking) whenTicking();
  }
  void onResize() override { heard.push_back({"resize"}); }
  void onKeyT(const KeyTEvent& e) override {
    heard.push_back({e.down ? "T+" : "T-", Ctl::None});
    keys.push_back(e);
    if (whenKey) whenKey();
  }
  void onTrayMessage(std::uint32_t notification, std::int32_t id) override {
    trays.emplace_back(notification, id);
  }
  void onTaskbarCreated() override { heard.push_back({"taskbar"}); }
  void onMenu(MenuItem item) override {
    heard.push_back({item == MenuItem::Options ? "options" : "about"});
  }
  std::optional<std::string> onRequest(std::uint64_t kind, std::string_view bytes) override {
    requests.emplace_back(kind, std::string(bytes));
    return answer;
  }
  std::vector<std::pair<std::uint64_t, std::string>> requests;
  std::optional<std::string> answer;
  std::vector<KeyTEvent> keys;
  std::function<void()> whenKey;
  std::vector<std::pair<std::uint32_t, std::int32_t>> trays;

  int count(const std::string& what) const {
    int n = 0;
    for (const auto& h : heard)
      n += h.what == what ? 1 : 0;
    return n;
  }
  int count(const std::string& what, Ctl control) const {
    int n = 0;
    for (const auto& h : heard)
      n += (h.what == what && h.control == control) ? 1 : 0;
    return n;
  }
  std::vector<Heard> focusEvents() const {
    std::vector<Heard> out;
    for (const auto& h : heard) {
      if (h.what == "focus+" || h.what == "focus-") out.push_back(h);
    }
    return out;
  }

  std::vector<Heard> heard;
  std::function<void()> whenClosing;
  std::function<void()> whenTicking;
};

// Runs the thread's messages for a while (timers, posted focus changes).
void pump(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  do {
    MSG m{};
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(5);
  } while (GetTickCount64() < end);
}

RECT rectIn(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

LOGFONTW fontOf(HWND window) {
  LOGFONTW lf{};
  const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (font != nullptr) GetObjectW(font, sizeof(lf), &lf);
  return lf;
}

void writeFile(const std::wstring& path, std::string_view bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring tempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, buffer);
  return buffer;
}

// A 32 x 32 monochrome cursor file: an arrow-less black square.
void writeCursorFile(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  auto put16 = [&](unsigned v) {
    bytes.push_back(static_cast<unsigned char>(v & 0xFF));
    bytes.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
  };
  auto put32 = [&](unsigned v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16(0);  // reserved
  put16(2);  // cursor
  put16(1);  // one image
  bytes.push_back(32);
  bytes.push_back(32);
  bytes.push_back(2);
  bytes.push_back(0);
  put16(3);  // hot spot
  put16(3);
  put32(40 + 8 + 128 + 128);
  put32(22);
  put32(40);
  put32(32);
  put32(64);
  put16(1);
  put16(1);
  for (int i = 0; i < 6; ++i)
    put32(0);
  put32(0x000000);  // black
  put32(0xFFFFFF);  // white
  for (int i = 0; i < 128; ++i)
    bytes.push_back(0);                 // colour: black
  for (int row = 0; row < 32; ++row) {  // mask: a square in the middle
    for (int b = 0; b < 4; ++b)
      bytes.push_back(row >= 8 && row < 24 && (b == 1 || b == 2) ? 0 : 0xFF);
  }
  writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Runs `act` on the first dialog box of this thread that appears while `call`
// waits in its modal loop, and returns what `call` returns.
std::function<void(HWND)>* g_dialogAction = nullptr;

HWND findDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        if (IsWindowVisible(w) && classOf(w) == L"#32770") {
          *reinterpret_cast<HWND*>(p) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

template <class F>
auto withDialog(std::function<void(HWND)> act, F&& call) {
  g_dialogAction = &act;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    const HWND dialog = findDialog();
    if (dialog == nullptr || g_dialogAction == nullptr) return;
    auto action = *g_dialogAction;
    g_dialogAction = nullptr;
    KillTimer(nullptr, id);
    action(dialog);
  });
  auto result = call();
  KillTimer(nullptr, timer);
  g_dialogAction = nullptr;
  return result;
}

std::vector<HWND> childrenOf(HWND parent, const wchar_t* className) {
  std::vector<HWND> out;
  for (HWND c = FindWindowExW(parent, nullptr, className, nullptr); c != nullptr;
       c = FindWindowExW(parent, c, className, nullptr)) {
    out.push_back(c);
  }
  return out;
}

// --- text and handles --------------------------------------------------------

TEST(Text, AnyScriptSurvivesTheWayInAndOut) {
  EXPECT_EQ(widen(kMixedUtf8), kMixedUtf16);
  EXPECT_EQ(narrow(kMixedUtf16), kMixedUtf8);
  EXPECT_EQ(widen(""), L"");
  EXPECT_EQ(narrow(L""), "");
  // A stray byte costs one character, not the text.
  EXPECT_EQ(widen("a\xFF"
                  "b"),
            L"a\uFFFDb");
}

TEST(Text, HandlesAreSignExtendedBothWays) {
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(toHwnd(-2)), ~std::uintptr_t{1});
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(toHwnd(0x10010)), std::uintptr_t{0x10010});
  for (Hwnd32 h : {0, 1, 0x10010, -1, -2, INT32_MIN, INT32_MAX})
    EXPECT_EQ(toHwnd32(toHwnd(h)), h);
}

// --- layout ------------------------------------------------------------------

TEST(Layout, TwipsBecomePixelsAsMulDivRoundsThem) {
  for (int dpi : {48, 96, 120, 144, 168, 192, 288}) {
    for (int twips :
         {0, 1, 7, 8, 15, 22, 23, 105, 225, 345, 405, 720, 7000, 15960, 5850, -1, -7, -8, -15}) {
      EXPECT_EQ(twipsToPixels(twips, static_cast<unsigned>(dpi)), MulDiv(twips, dpi, 1440))
          << twips << " twips at " << dpi << " DPI";
    }
    EXPECT_EQ(pointsToFontHeight(1125, static_cast<unsigned>(dpi)), -MulDiv(1125, dpi, 7200));
    EXPECT_EQ(pointsToFontHeight(900, static_cast<unsigned>(dpi)), -MulDiv(900, dpi, 7200));
  }
}

TEST(Layout, ControlsInAFrameAreOffsetByTheFrame) {
  EXPECT_EQ(controlRect(layoutOf(Ctl::PushButton2), 96), (PixelRect{8, 14, 448, 35}));
  EXPECT_EQ(controlRect(layoutOf(Ctl::Text1), 96), (PixelRect{128, 118, 161, 141}));
  EXPECT_EQ(controlRect(layoutOf(Ctl::ProgressBar1), 96), (PixelRect{24, 57, 512, 84}));
  EXPECT_EQ(clientSize(96), (PixelSize{1064, 390}));
  EXPECT_EQ(clientSize(144), (PixelSize{1596, 585}));
}

TEST(Layout, EveryControlLiesInTheWindowAndInItsFrameAtAnyDpi) {
  for (unsigned dpi : {96u, 120u, 144u, 192u}) {
    const PixelSize client = clientSize(dpi);
    for (const CtlLayout& c : kForm1Layout) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi));
      const PixelRect r = controlRect(c, dpi);
      EXPECT_GE(r.left, 0);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.right, client.width);
      EXPECT_LE(r.bottom, client.height);
      if (c.container != Ctl::None) {
        const PixelRect frame = controlRect(layoutOf(c.container), dpi);
        EXPECT_GE(r.left, frame.left);
        EXPECT_GT(r.top, frame.top);
        EXPECT_LE(r.right, frame.right);
        EXPECT_LE(r.bottom, frame.bottom);
      }
    }
  }
}

// --- the main window ---------------------------------------------------------

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : window(GetModuleHandleW(nullptr)) { window.connect(&events); }
  ~WindowTest() override {
    window.connect(nullptr);
    pump(0);
  }

  HWND main() { return window.window(); }
  HWND hwnd(Ctl c) { return window.control<ChildControl>(c).window(); }
  int idOf(Ctl c) { return GetDlgCtrlID(hwnd(c)); }

  MainWindow window;
  Recorder events;
};

TEST_F(WindowTest, ClientAreaIsTheLayoutAtTheWindowsDpiAndTheWindowCannotBeResized) {
  RECT client{};
  GetClientRect(main(), &client);
  const PixelSize want = clientSize(GetDpiForWindow(main()));
  EXPECT_EQ(client.right, want.width);
  EXPECT_EQ(client.bottom, want.height);
  const LONG_PTR style = GetWindowLongPtrW(main(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(IsWindowVisible(main()));
}

TEST_F(WindowTest, EveryControlIsAChildAtItsPlaceWithItsDesignText) {
  const unsigned dpi = window.dpi();
  for (const CtlLayout& c : kForm1Layout) {
    SCOPED_TRACE(std::string(c.name));
    const HWND h = hwnd(c.id);
    EXPECT_EQ(GetParent(h), main());
    const RECT r = rectIn(main(), h);
    const PixelRect want = controlRect(c, dpi);
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right - r.left, want.width());
    if (c.kind != CtlKind::ComboBox) {
      EXPECT_EQ(r.bottom - r.top, want.height());
    }
    const std::wstring cls = classOf(h);
    const wchar_t* expected = L"";
    switch (c.kind) {
      case CtlKind::Button:
      case CtlKind::Frame:
      case CtlKind::Option:
      case CtlKind::Check: expected = L"Button"; break;
      case CtlKind::Label: expected = L"Static"; break;
      case CtlKind::TextBox: expected = L"Edit"; break;
      case CtlKind::ComboBox: expected = L"ComboBox"; break;
      case CtlKind::ProgressBar: expected = PROGRESS_CLASSW; break;
      case CtlKind::TimePicker: expected = DATETIMEPICK_CLASSW; break;
      case CtlKind::ListView: expected = WC_LISTVIEWW; break;
    }
    EXPECT_EQ(_wcsicmp(cls.c_str(), expected), 0) << narrow(cls);
    if (c.kind != CtlKind::TextBox && c.kind != CtlKind::ComboBox && c.kind != CtlKind::ListView &&
        c.kind != CtlKind::TimePicker) {
      EXPECT_EQ(windowText(h), c.text);
    }
  }
  // The option captions exactly as designed, leading blank included.
  EXPECT_EQ(window.control<OptionButton>(Ctl::Option1).caption(), " Weekly:");
}

TEST_F(WindowTest, ButtonsAndListsAreArialBoldTheRestTheMessageFont) {
  const unsigned dpi = window.dpi();
  const LOGFONTW message = messageFont(dpi);
  for (const CtlLayout& c : kForm1Layout) {
    SCOPED_TRACE(std::string(c.name));
    const LOGFONTW lf = fontOf(hwnd(c.id));
    switch (c.kind) {
      case CtlKind::Button:
        EXPECT_EQ(_wcsicmp(lf.lfFaceName, L"Arial"), 0);
        EXPECT_GE(lf.lfWeight, FW_BOLD);
        EXPECT_EQ(lf.lfHeight, -MulDiv(1125, static_cast<int>(dpi), 7200));
        break;
      case CtlKind::ListView:
        EXPECT_EQ(_wcsicmp(lf.lfFaceName, L"Arial"), 0);
        EXPECT_GE(lf.lfWeight, FW_BOLD);
        EXPECT_EQ(lf.lfHeight, -MulDiv(900, static_cast<int>(dpi), 7200));
        break;
      default:
        EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(message.lfFaceName));
        if (c.font != CtlFont::Hint) {
          EXPECT_EQ(lf.lfHeight, message.lfHeight);
        }
        break;
    }
  }
}

// "Turn On" and "Help" are drawn whole over the hint that reaches under
// them, and the hint's text keeps to the strip above them.
TEST_F(WindowTest, TheHintStaysAboveTheTopButtons) {
  const HWND hint = hwnd(Ctl::Label4);
  for (Ctl button : {Ctl::PushButton2, Ctl::PushButton10}) {
    SCOPED_TRACE(std::string(layoutOf(button).name));
    HWND below = hwnd(button);
    while (below != nullptr && below != hint)
      below = GetWindow(below, GW_HWNDNEXT);
    EXPECT_EQ(below, hint);
  }
  HDC dc = GetDC(hint);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hint, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(hint, dc);
  EXPECT_LE(metrics.tmHeight, twipsToPixels(kHintStripTwips, window.dpi()));
  EXPECT_GT(metrics.tmHeight, 0);
}

TEST_F(WindowTest, ANewDpiBringsNewFontsPlacesAndColumnWidths) {
  auto& list = window.control<ListView>(Ctl::ListView2);
  list.addColumn("Queue", 5000);
  // A smaller DPI than the window's: the window must still fit the screen
  // of the test machine once it is made for the new one.
  const UINT dpi = window.dpi() * 3 / 4;
  const PixelSize client = clientSize(dpi);
  RECT suggested{40, 30, 40 + client.width + 20, 30 + client.height + 40};
  SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

  EXPECT_EQ(window.dpi(), dpi);
  RECT r{};
  GetClientRect(main(), &r);
  EXPECT_EQ(r.right, client.width);
  EXPECT_EQ(r.bottom, client.height);
  GetWindowRect(main(), &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  for (Ctl c : {Ctl::Text1, Ctl::PushButton9, Ctl::ProgressBar1, Ctl::Check8}) {
    const RECT placed = rectIn(main(), hwnd(c));
    const PixelRect want = controlRect(layoutOf(c), dpi);
    EXPECT_EQ(placed.left, want.left);
    EXPECT_EQ(placed.top, want.top);
    EXPECT_EQ(placed.right, want.right);
  }
  EXPECT_EQ(fontOf(hwnd(Ctl::PushButton9)).lfHeight, -MulDiv(1125, static_cast<int>(dpi), 7200));
  EXPECT_EQ(fontOf(hwnd(Ctl::ListView2)).lfHeight, -MulDiv(900, static_cast<int>(dpi), 7200));
  EXPECT_EQ(fontOf(hwnd(Ctl::Option3)).lfHeight, messageFont(dpi).lfHeight);
  EXPECT_EQ(SendMessageW(hwnd(Ctl::ListView2), LVM_GETCOLUMNWIDTH, 0, 0),
            MulDiv(5000, static_cast<int>(dpi), 1440));
  EXPECT_EQ(list.columnWidth(1), 5000);
}

TEST_F(WindowTest, TheCaptionTakesAnyScript) {
  window.setCaption(kMixedUtf8);
  wchar_t raw[64] = {};
  GetWindowTextW(main(), raw, 64);
  EXPECT_EQ(std::wstring(raw), kMixedUtf16);
  EXPECT_EQ(window.handle(), toHwnd32(main()));
}

TEST_F(WindowTest, OptionButtonsAndCheckBoxesLeaveTheirStateToTheLogic) {
  auto& option = window.control<OptionButton>(Ctl::Option3);
  auto& check = window.control<CheckBox>(Ctl::Check4);
  SendMessageW(hwnd(Ctl::Option3), BM_CLICK, 0, 0);
  SendMessageW(hwnd(Ctl::Check4), BM_CLICK, 0, 0);
  EXPECT_FALSE(option.value());
  EXPECT_FALSE(check.checked());
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"click", Ctl::Option3}, {"click", Ctl::Check4}}));

  option.setValue(true);
  check.setChecked(true);
  EXPECT_TRUE(option.value());
  EXPECT_TRUE(check.checked());
  option.setValue(false);
  EXPECT_FALSE(option.value());
  EXPECT_EQ(events.heard.size(), 2u);  // setting from code raises nothing
}

TEST_F(WindowTest, OnlyTheUsersEditsOfATextBoxAreChanges) {
  auto& text = window.control<TextBox>(Ctl::Text1);
  text.setCaption("12");
  EXPECT_EQ(text.caption(), "12");
  text.setCaption(kMixedUtf8);
  EXPECT_EQ(text.caption(), kMixedUtf8);
  EXPECT_TRUE(events.heard.empty());

  text.setCaption("12");
  SendMessageW(hwnd(Ctl::Text1), EM_SETSEL, 2, 2);
  SendMessageW(hwnd(Ctl::Text1), WM_CHAR, L'3', 1);  // the user types
  EXPECT_EQ(text.caption(), "123");
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"change", Ctl::Text1}}));

  text.selectAll();
  DWORD start = 9, end = 9;
  SendMessageW(hwnd(Ctl::Text1), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
}

TEST_F(WindowTest, ALongTextFromCodeIsShownCutAndHeldWholeUntilTheUserEdits) {
  auto& text = window.control<TextBox>(Ctl::Text3);
  const HWND h = hwnd(Ctl::Text3);
  const std::string digits(50000, '9');
  text.setCaption(digits);
  EXPECT_EQ(text.caption(), digits);
  EXPECT_EQ(GetWindowTextLengthW(h), static_cast<int>(TextBox::kShownUnits));
  // A cut never splits a surrogate pair.
  const std::string astral = std::string(TextBox::kShownUnits - 1, 'a') +
                             "\xF0\x9F\x98\x80"
                             "b";
  text.setCaption(astral);
  EXPECT_EQ(text.caption(), astral);
  EXPECT_EQ(GetWindowTextLengthW(h), static_cast<int>(TextBox::kShownUnits) - 1);
  text.setCaption("5");
  EXPECT_EQ(text.caption(), "5");
  text.setCaption(digits);
  SendMessageW(h, EM_SETSEL, 0, 0);
  SendMessageW(h, WM_CHAR, L'1', 1);  // the user types
  EXPECT_EQ(text.caption(), "1" + std::string(TextBox::kShownUnits, '9'));
  EXPECT_EQ(events.count("change", Ctl::Text3), 1);
}

TEST_F(WindowTest, TheWeekdayListChoosesOnlyItsExactNames) {
  auto& combo = window.control<ComboBox>(Ctl::cboWeekly);
  const HWND h = hwnd(Ctl::cboWeekly);
  ASSERT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 7);
  EXPECT_EQ(combo.caption(), "");
  combo.setCaption("Friday");
  EXPECT_EQ(combo.caption(), "Friday");
  try {
    combo.setCaption("friday");
    ADD_FAILURE() << "a name in other letters was taken";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), 383);
    EXPECT_EQ(e.description(), "'Text' property is read-only");
  }
  EXPECT_THROW(combo.setCaption(""), AppError);
  EXPECT_THROW(combo.setCaption("Funday"), AppError);
  EXPECT_EQ(combo.caption(), "Friday");
  EXPECT_TRUE(events.heard.empty());

  SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);  // the user moves the choice
  EXPECT_EQ(combo.caption(), "Saturday");
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"click", Ctl::cboWeekly}}));
}

TEST_F(WindowTest, TheTimePickerKeepsATimeOfDayAndRefusesOthers) {
  auto& picker = window.control<TimePicker>(Ctl::dtpWeekly);
  picker.setValue({13, 45, 7});
  EXPECT_EQ(picker.value(), (TimeOfDay{13, 45, 7}));
  picker.setValue({0, 0, 0});
  EXPECT_EQ(picker.value(), (TimeOfDay{0, 0, 0}));
  picker.setValue({23, 59, 59});
  EXPECT_EQ(picker.value(), (TimeOfDay{23, 59, 59}));
  EXPECT_THROW(picker.setValue({24, 0, 0}), AppError);
  EXPECT_THROW(picker.setValue({12, 60, 0}), AppError);
  EXPECT_THROW(picker.setValue({-1, 0, 0}), AppError);
  EXPECT_EQ(picker.value(), (TimeOfDay{23, 59, 59}));
  EXPECT_TRUE(events.heard.empty());
}

TEST_F(WindowTest, TheTimePickerReportsTheUsersChangeOnce) {
  auto& picker = window.control<TimePicker>(Ctl::dtpWeekly);
  picker.setValue({10, 20, 30});
  NMDATETIMECHANGE change{};
  change.nmhdr.hwndFrom = hwnd(Ctl::dtpWeekly);
  change.nmhdr.idFrom = static_cast<UINT_PTR>(idOf(Ctl::dtpWeekly));
  change.nmhdr.code = DTN_DATETIMECHANGE;
  change.dwFlags = GDT_VALID;
  GetLocalTime(&change.st);
  change.st.wHour = 11;
  change.st.wMinute = 20;
  change.st.wSecond = 30;
  // The same change reported twice, as some versions of the control do.
  SendMessageW(main(), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
  SendMessageW(main(), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"change", Ctl::dtpWeekly}}));
}

TEST_F(WindowTest, TheProgressBarKeepsWhatItWasGivenAndShowsItClamped) {
  auto& bar = window.control<ProgressBar>(Ctl::ProgressBar1);
  const HWND h = hwnd(Ctl::ProgressBar1);
  EXPECT_EQ(bar.caption(), "Progress Bar");
  bar.setMax(-5);
  bar.setValue(-10);
  EXPECT_EQ(bar.max(), -5);
  EXPECT_EQ(bar.value(), -10);
  EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 0);
  bar.setMax(100);
  bar.setValue(250);
  EXPECT_EQ(bar.value(), 250);
  EXPECT_EQ(SendMessageW(h, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 100);
  bar.setValue(40);
  EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 40);
  bar.setMax(20);  // the value stays; the bar is full
  EXPECT_EQ(bar.value(), 40);
  EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 20);
  EXPECT_EQ(bar.caption(), "Progress Bar");
}

// Counts the messages that change a control, ahead of the control's own
// handling.
class ChangeSpy {
 public:
  explicit ChangeSpy(HWND control) : control_(control) {
    SetWindowSubclass(control_, &ChangeSpy::procedure, 77, reinterpret_cast<DWORD_PTR>(this));
  }
  ~ChangeSpy() { RemoveWindowSubclass(control_, &ChangeSpy::procedure, 77); }
  ChangeSpy(const ChangeSpy&) = delete;
  ChangeSpy& operator=(const ChangeSpy&) = delete;
  int changes = 0;

 private:
  static LRESULT CALLBACK procedure(HWND w, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR self) {
    if (message == WM_SETTEXT || message == PBM_SETPOS || message == PBM_SETRANGE32) {
      ++reinterpret_cast<ChangeSpy*>(self)->changes;
    }
    return DefSubclassProc(w, message, wParam, lParam);
  }
  HWND control_;
};

// The status frame and the bar change every second: while the window is
// hidden nothing reaches them, what they are asked still reads right, and
// once the window is shown they show it.
TEST_F(WindowTest, TheStatusAndTheBarOfAHiddenWindowWaitForItToBeShown) {
  auto& status = window.control<Frame>(Ctl::Frame4);
  auto& bar = window.control<ProgressBar>(Ctl::ProgressBar1);
  const HWND frame = hwnd(Ctl::Frame4);
  const HWND barWindow = hwnd(Ctl::ProgressBar1);
  ASSERT_FALSE(IsWindowVisible(main()));
  bar.setMax(10);  // the bar as the first tick leaves it, before the spies
  bar.setValue(1);
  ChangeSpy frameSpy(frame), barSpy(barWindow);
  for (int s = 2; s <= 5; ++s) {
    status.setCaption("On. Next switch will occur in: 00:00:0" + std::to_string(10 - s));
    bar.setMax(10);
    bar.setValue(s);
  }
  EXPECT_EQ(frameSpy.changes, 0);
  EXPECT_EQ(barSpy.changes, 0);
  EXPECT_EQ(status.caption(), "On. Next switch will occur in: 00:00:05");
  wchar_t text[64] = {};
  EXPECT_EQ(SendMessageW(frame, WM_GETTEXT, 12, reinterpret_cast<LPARAM>(text)), 11);
  EXPECT_STREQ(text, L"On. Next sw");
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETPOS, 0, 0), 5);
  PBRANGE range{};
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 0);
  EXPECT_EQ(range.iHigh, 10);

  window.setVisible(true);
  EXPECT_EQ(frameSpy.changes, 1);
  // The text the system keeps for the frame, not our answer for it.
  InternalGetWindowText(frame, text, 64);
  EXPECT_STREQ(text, L"On. Next switch will occur in: 00:00:05");
  bar.setMax(10);
  const int sent = barSpy.changes;
  EXPECT_GE(sent, 1);
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETPOS, 0, 0), 5);
  // Shown, a change goes to the control; the same values again do not.
  bar.setValue(6);
  EXPECT_EQ(barSpy.changes, sent + 1);
  bar.setMax(10);
  bar.setValue(6);
  EXPECT_EQ(barSpy.changes, sent + 1);
  window.setVisible(false);
}

TEST_F(WindowTest, ListColumnsKeepTheirTwipsAndHideWhenNarrow) {
  auto& list = window.control<ListView>(Ctl::ListView2);
  const HWND h = hwnd(Ctl::ListView2);
  const int dpi = static_cast<int>(window.dpi());
  list.addColumn("Handle", 1440);
  list.addColumn("Queue (Double-click item to remove it)", 1440);
  list.setColumnWidth(1, 1);
  list.setColumnWidth(2, 5000);
  EXPECT_EQ(list.columnCount(), 2);
  EXPECT_EQ(list.columnWidth(1), 1);
  EXPECT_EQ(list.columnWidth(2), 5000);
  EXPECT_LE(SendMessageW(h, LVM_GETCOLUMNWIDTH, 0, 0), 1);
  EXPECT_EQ(SendMessageW(h, LVM_GETCOLUMNWIDTH, 1, 0), MulDiv(5000, dpi, 1440));
  list.setColumnWidth(2, 0);
  EXPECT_EQ(list.columnWidth(2), 0);
  EXPECT_EQ(SendMessageW(h, LVM_GETCOLUMNWIDTH, 1, 0), 0);
  EXPECT_THROW(list.columnWidth(3), AppError);
  EXPECT_THROW(list.setColumnWidth(0, 10), AppError);
  // Not sorted, whatever is added.
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & (LVS_SORTASCENDING | LVS_SORTDESCENDING));
}

TEST_F(WindowTest, AListWithItsRepaintingHeldTakesRowsAndStillReadsAsVisible) {
  auto& list = window.control<ListView>(Ctl::ListView2);
  list.addColumn("Handle", 1000);
  const bool shown = list.visible();
  list.holdRedraw(true);
  list.holdRedraw(true);
  for (int k = 1; k <= 300; ++k)
    EXPECT_EQ(list.add(std::to_string(k)), k);
  EXPECT_EQ(list.visible(), shown);
  list.holdRedraw(false);
  EXPECT_EQ(list.visible(), shown);
  list.holdRedraw(false);
  list.holdRedraw(false);  // one release too many changes nothing
  EXPECT_EQ(list.count(), 300);
  EXPECT_EQ(list.text(300), "300");
  EXPECT_EQ(list.visible(), shown);
}

TEST_F(WindowTest, ListRowsAreOneBasedAndOutOfRangeRowsAreRefused) {
  auto& list = window.control<ListView>(Ctl::ListView2);
  list.addColumn("Handle", 1000);
  list.addColumn("Title", 3000);
  list.addColumn("Status", 1000);
  list.addColumn("Time", 1000);
  EXPECT_EQ(list.add("655"), 1);
  EXPECT_EQ(list.add("-2"), 2);
  EXPECT_EQ(list.add("980"), 3);
  list.setText(2, 1, kMixedUtf8);
  list.setText(2, 3, "60");
  const std::string longTitle(1000, 'w');
  list.setText(3, 1, longTitle);
  EXPECT_EQ(list.count(), 3);
  EXPECT_EQ(list.text(1), "655");
  EXPECT_EQ(list.text(2, 0), "-2");
  EXPECT_EQ(list.text(2, 1), kMixedUtf8);
  EXPECT_EQ(list.text(2, 2), "");
  EXPECT_EQ(list.text(2, 3), "60");
  EXPECT_EQ(list.text(3, 1), longTitle);

  for (int bad : {0, 4, -1}) {
    try {
      (void)list.text(bad);
      ADD_FAILURE() << "row " << bad;
    } catch (const AppError& e) {
      EXPECT_EQ(e.number(), 35600);
      EXPECT_EQ(e.description(), "Index out of bounds");
    }
    EXPECT_THROW(list.remove(bad), AppError);
    EXPECT_THROW(list.select(bad), AppError);
    EXPECT_THROW(list.setText(bad, 1, "x"), AppError);
  }

  EXPECT_EQ(list.selected(), 0);
  list.select(3);
  EXPECT_EQ(list.selected(), 3);
  EXPECT_EQ(
      SendMessageW(hwnd(Ctl::ListView2), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED),
      2);
  list.select(1);
  EXPECT_EQ(list.selected(), 1);
  EXPECT_EQ(SendMessageW(hwnd(Ctl::ListView2), LVM_GETSELECTEDCOUNT, 0, 0), 1);
  list.remove(1);
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(list.text(1), "-2");
  EXPECT_EQ(list.selected(), 0);
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_TRUE(events.heard.empty());
}

TEST_F(WindowTest, ADoubleClickOnAListIsHeard) {
  auto& list = window.control<ListView>(Ctl::ListView1);
  list.addColumn("Available", 3000);
  list.add("one");
  SendMessageW(hwnd(Ctl::ListView1), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 30));
  EXPECT_EQ(events.count("dblclick", Ctl::ListView1), 1);
}

TEST_F(WindowTest, BothListsCarryTheirTooltip) {
  struct Search {
    HWND owner;
    HWND found;
  } search{main(), nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (_wcsicmp(classOf(w).c_str(), TOOLTIPS_CLASSW) == 0 &&
            GetWindow(w, GW_OWNER) == s->owner) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  const HWND tooltip = search.found;
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  for (Ctl list : {Ctl::ListView1, Ctl::ListView2}) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = main();
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd(list));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(narrow(text), kListTooltip);
    // The tooltip does not subclass the lists (every message to a list would
    // go through the subclass chain): the message loop relays the mouse.
    ASSERT_TRUE(SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.uFlags & TTF_SUBCLASS, 0u);
  }
  static std::vector<HWND> relayed;
  relayed.clear();
  const SUBCLASSPROC watch = [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (m == TTM_RELAYEVENT) relayed.push_back(reinterpret_cast<const MSG*>(lp)->hwnd);
    return DefSubclassProc(w, m, wp, lp);
  };
  SetWindowSubclass(tooltip, watch, 1, 0);
  MessageLoop loop(window);
  PostMessageW(hwnd(Ctl::ListView2), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  PostMessageW(hwnd(Ctl::ListView1), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(hwnd(Ctl::ListView1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  loop.doEvents();
  RemoveWindowSubclass(tooltip, watch, 1);
  EXPECT_EQ(relayed, (std::vector<HWND>{hwnd(Ctl::ListView2), hwnd(Ctl::ListView1)}));
}

TEST_F(WindowTest, ALockedControlStaysDisabledAndItsTipCoversItsPlace) {
  auto& option = window.control<OptionButton>(Ctl::Option3);
  option.lock("Set by your organization");
  option.setEnabled(true);
  EXPECT_FALSE(IsWindowEnabled(hwnd(Ctl::Option3)));
  EXPECT_TRUE(IsWindowEnabled(hwnd(Ctl::Option2)));

  HWND tooltip = nullptr;
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr;
       w = GetWindow(w, GW_HWNDNEXT)) {
    if (GetWindow(w, GW_OWNER) == main() && _wcsicmp(classOf(w).c_str(), TOOLTIPS_CLASSW) == 0)
      tooltip = w;
  }
  ASSERT_NE(tooltip, nullptr);
  wchar_t text[64] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = main();
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd(Ctl::Option3));
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(narrow(text), "Set by your organization");
  RECT place{};
  GetWindowRect(hwnd(Ctl::Option3), &place);
  MapWindowPoints(nullptr, main(), reinterpret_cast<POINT*>(&place), 2);
  EXPECT_TRUE(EqualRect(&tool.rect, &place));

  // The mouse over it reaches the window beneath (its frame): the tip hears
  // of it in the main window's terms.
  static std::vector<MSG> relayed;
  relayed.clear();
  const SUBCLASSPROC watch = [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (m == TTM_RELAYEVENT) relayed.push_back(*reinterpret_cast<const MSG*>(lp));
    return DefSubclassProc(w, m, wp, lp);
  };
  SetWindowSubclass(tooltip, watch, 1, 0);
  MessageLoop loop(window);
  PostMessageW(hwnd(Ctl::Frame1), WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
  loop.doEvents();
  RemoveWindowSubclass(tooltip, watch, 1);
  ASSERT_EQ(relayed.size(), 1u);
  POINT at{5, 6};
  MapWindowPoints(hwnd(Ctl::Frame1), main(), &at, 1);
  EXPECT_EQ(relayed[0].hwnd, main());
  EXPECT_EQ(relayed[0].lParam, MAKELPARAM(at.x, at.y));
}

TEST_F(WindowTest, TheTimerTicksOnlyWhileEnabledWithAPositiveInterval) {
  auto& timer = window.timer();
  timer.setEnabled(true);
  pump(150);
  EXPECT_EQ(events.count("timer"), 0);
  timer.setInterval(20);
  pump(400);
  EXPECT_GE(events.count("timer"), 2);
  timer.setEnabled(false);
  pump(30);
  const int ticks = events.count("timer");
  pump(150);
  EXPECT_EQ(events.count("timer"), ticks);
  EXPECT_FALSE(timer.enabled());
  EXPECT_EQ(timer.interval(), 20);

  // A WM_TIMER that comes after the timer stopped is no tick.
  PostMessageW(main(), WM_TIMER, 1, 0);
  pump(30);
  EXPECT_EQ(events.count("timer"), ticks);

  timer.setInterval(0);
  timer.setEnabled(true);
  pump(150);
  EXPECT_EQ(events.count("timer"), ticks);
}

// The tray icon's retry timer and the hook's check timer: each its own
// events, only while it runs, and no tick of the switch timer.
TEST_F(WindowTest, TheChoreTimersTickOnlyWhileEnabledEachWithItsOwnEvent) {
  const std::pair<RepeatTimer*, const char*> timers[] = {{&window.trayTimer(), "tray timer"},
                                                         {&window.hookTimer(), "hook timer"}};
  for (const auto& [timer, heard] : timers) {
    SCOPED_TRACE(heard);
    events.heard.clear();
    timer->setEnabled(true);
    pump(100);
    EXPECT_TRUE(events.heard.empty());
    timer->setInterval(20);
    pump(400);
    EXPECT_GE(events.count(heard), 2);
    EXPECT_EQ(events.count(heard), static_cast<int>(events.heard.size()));
    timer->setEnabled(false);
    pump(30);
    const int ticks = events.count(heard);
    pump(100);
    EXPECT_EQ(events.count(heard), ticks);
  }
}

TEST_F(WindowTest, ATickThatLetsMessagesRunStartsNoOtherTick) {
  MessageLoop loop(window);
  auto& timer = window.timer();
  int depth = 0;
  int deepest = 0;
  events.whenTicking = [&] {
    ++depth;
    deepest = std::max(deepest, depth);
    PostMessageW(main(), WM_TIMER, 1, 0);
    Sleep(30);
    loop.doEvents();
    --depth;
  };
  timer.setInterval(10);
  timer.setEnabled(true);
  pump(200);
  timer.setEnabled(false);
  EXPECT_GE(events.count("timer"), 1);
  EXPECT_EQ(deepest, 1);
}

TEST_F(WindowTest, SlowTicksThatPauseTheTimerDoNotPushTheScheduleBack) {
  auto& timer = window.timer();
  std::vector<ULONGLONG> at;
  events.whenTicking = [&] {
    at.push_back(GetTickCount64());
    // Each tick works a while and pauses the timer around it, as a switch does.
    timer.setEnabled(false);
    timer.setInterval(0);
    Sleep(15);
    timer.setEnabled(true);
    timer.setInterval(50);
  };
  timer.setInterval(50);
  timer.setEnabled(true);
  const ULONGLONG start = GetTickCount64();
  while (at.size() < 21 && GetTickCount64() - start < 5000)
    pump(5);
  timer.setEnabled(false);
  ASSERT_GE(at.size(), 21u);
  // Twenty periods after the first tick, give or take a timer quantum; a
  // timer re-armed from the end of each tick would be 300 ms or more late.
  const auto twenty = static_cast<long long>(at[20] - at[0]);
  EXPECT_GE(twenty, 1000 - 40);
  EXPECT_LE(twenty, 1000 + 60);
}

TEST_F(WindowTest, AHiddenWindowTakesItsStateWhenShownAndNotBefore) {
  window.setState(WindowState::Minimized);
  EXPECT_FALSE(IsWindowVisible(main()));
  EXPECT_EQ(window.state(), WindowState::Minimized);
  window.setVisible(true);
  EXPECT_TRUE(window.visible());
  EXPECT_TRUE(IsIconic(main()));
  EXPECT_EQ(window.state(), WindowState::Minimized);
  EXPECT_GE(events.count("resize"), 1);

  // Hidden from the minimised state, then set back to normal: it stays
  // hidden, and comes back normal.
  window.setVisible(false);
  window.setState(WindowState::Normal);
  EXPECT_FALSE(IsWindowVisible(main()));
  EXPECT_EQ(window.state(), WindowState::Normal);
  window.setVisible(true);
  EXPECT_TRUE(IsWindowVisible(main()));
  EXPECT_FALSE(IsIconic(main()));
  EXPECT_EQ(window.state(), WindowState::Normal);
  window.setVisible(false);
}

TEST_F(WindowTest, ANewWindowIsFirstShownNormal) {
  window.setVisible(true);
  EXPECT_TRUE(IsWindowVisible(main()));
  EXPECT_FALSE(IsIconic(main()));
  EXPECT_FALSE(IsZoomed(main()));
  window.setVisible(false);
}

TEST_F(WindowTest, TheAppIconComesInTheSizesOfTheWindowsDpi) {
  window.setAppIcon();
  const int dpi = static_cast<int>(window.dpi());
  for (auto [which, metric] :
       {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const auto icon = reinterpret_cast<HICON>(SendMessageW(main(), WM_GETICON, which, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetricsForDpi(metric, static_cast<UINT>(dpi)));
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  }
}

TEST_F(WindowTest, TheCustomPointerNeedsACursorFile) {
  const std::wstring folder = tempFolder();
  try {
    window.loadCustomPointer(narrow(folder + L"tarnavel-no-such-folder\\HAND-M.CUR"));
    ADD_FAILURE() << "a missing file was loaded";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), 53);
  }
  const std::wstring cursor = folder + L"tarnavel-test-\u76E3.cur";
  writeCursorFile(cursor);
  EXPECT_NO_THROW(window.loadCustomPointer(narrow(cursor)));
  const std::wstring junk = folder + L"tarnavel-test-junk.cur";
  writeFile(junk, "not a cursor at all");
  EXPECT_THROW(window.loadCustomPointer(narrow(junk)), AppError);
  DeleteFileW(cursor.c_str());
  DeleteFileW(junk.c_str());
}

// The hand the build puts beside the program (and beside these tests): over
// a button it is the image of the system's pointer size, its hot spot on the
// fingertip, an opaque pixel in the top row.
TEST_F(WindowTest, TheShippedHandShowsOverAButtonWithItsHotSpotOnTheFingertip) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path = module;
  path = path.substr(0, path.find_last_of(L'\\') + 1) + L"HAND-M.CUR";
  ASSERT_NO_THROW(window.loadCustomPointer(narrow(path)));
  window.setPointer(MousePointer::Custom);
  SendMessageW(main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd(Ctl::PushButton3)),
               MAKELPARAM(HTCLIENT, 0));
  const HCURSOR hand = GetCursor();
  ASSERT_NE(hand, LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  ASSERT_NE(info.hbmColor, nullptr);
  const int size = GetSystemMetrics(SM_CXCURSOR);
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
  const HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ASSERT_EQ(rows, size);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, static_cast<DWORD>(size * 23 / 64));  // 11 of 32 pixels
  EXPECT_EQ(info.yHotspot, 0u);
  const std::uint32_t tip = pixels[info.xHotspot];
  EXPECT_GE(tip >> 24, 0xC0u) << std::hex << tip;           // opaque
  EXPECT_LE(tip & 0xFFu, 0x40u) << std::hex << tip;         // the dark outline
  EXPECT_EQ(pixels[0] >> 24, 0u) << std::hex << pixels[0];  // clear around the hand
}

TEST_F(WindowTest, ThePointerSettingShowsOverTheWindowAndEveryControl) {
  // A mouse message of 0: the pointer is asked for, no mouse moved.
  const auto ask = [&](Ctl over) {
    const HWND target = over == Ctl::None ? main() : hwnd(over);
    return SendMessageW(main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                        MAKELPARAM(HTCLIENT, 0));
  };
  window.setPointer(MousePointer::Hourglass);
  EXPECT_EQ(window.pointer(), MousePointer::Hourglass);
  for (Ctl over : {Ctl::PushButton3, Ctl::Text1, Ctl::ListView1, Ctl::None}) {
    EXPECT_TRUE(ask(over));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  }
  window.setPointer(MousePointer::Custom);  // no image loaded: the arrow
  EXPECT_TRUE(ask(Ctl::PushButton3));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  window.setPointer(MousePointer::Default);
  EXPECT_FALSE(ask(Ctl::Text1));  // the text box shows its own I-beam
  EXPECT_TRUE(ask(Ctl::None));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_TRUE(events.heard.empty());
}

TEST_F(WindowTest, MouseMovesNameTheSurfaceUnderThePointer) {
  const auto moveOver = [&](HWND target, int xTwips, int yTwips) {
    POINT at{twipsToPixels(xTwips, window.dpi()), twipsToPixels(yTwips, window.dpi())};
    ClientToScreen(main(), &at);
    SetCursorPos(at.x, at.y);
    // The point a mouse message would carry is the one of the message last
    // taken from the queue.
    PostMessageW(main(), WM_NULL, 0, 0);
    MSG m{};
    PeekMessageW(&m, main(), WM_NULL, WM_NULL, PM_REMOVE);
    events.heard.clear();
    SendMessageW(main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return events.heard;
  };
  const auto label = layoutOf(Ctl::Label1);
  const auto frame1 = layoutOf(Ctl::Frame1);
  EXPECT_EQ(moveOver(main(), frame1.left + label.left + 100, frame1.top + label.top + 100),
            (std::vector<Heard>{{"move", Ctl::Label1}}));
  EXPECT_EQ(moveOver(main(), 7000, 3000), (std::vector<Heard>{{"move", Ctl::Frame1}}));
  EXPECT_EQ(moveOver(main(), 7980, 1450), (std::vector<Heard>{{"move", Ctl::None}}));
  EXPECT_EQ(moveOver(hwnd(Ctl::PushButton1), 0, 0),
            (std::vector<Heard>{{"move", Ctl::PushButton1}}));
  const auto header =
      reinterpret_cast<HWND>(SendMessageW(hwnd(Ctl::ListView1), LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(moveOver(header, 0, 0), (std::vector<Heard>{{"move", Ctl::ListView1}}));
}

TEST_F(WindowTest, ButtonFaceColoursReplaceTheDesignColours) {
  const HDC dc = GetDC(main());
  const auto brushFor = [&](Ctl c) {
    return reinterpret_cast<HBRUSH>(SendMessageW(main(), WM_CTLCOLORSTATIC,
                                                 reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(hwnd(c))));
  };
  for (Ctl c : {Ctl::Option3, Ctl::Check4, Ctl::Frame1, Ctl::Label1}) {
    EXPECT_EQ(brushFor(c), GetSysColorBrush(COLOR_WINDOW));
  }
  window.useButtonFaceColours();
  for (Ctl c : {Ctl::Option3, Ctl::Check4, Ctl::Frame1, Ctl::Label1}) {
    EXPECT_EQ(brushFor(c), GetSysColorBrush(COLOR_BTNFACE));
  }
  ReleaseDC(main(), dc);
}

TEST_F(WindowTest, EnterPressesTheFocusedButtonAndEscapeDoesNothing) {
  SetFocus(hwnd(Ctl::PushButton3));
  MSG enter{hwnd(Ctl::PushButton3), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_TRUE(IsDialogMessageW(main(), &enter));
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"click", Ctl::PushButton3}}));
  events.heard.clear();
  MSG escape{hwnd(Ctl::PushButton3), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  IsDialogMessageW(main(), &escape);
  EXPECT_TRUE(events.heard.empty());
  EXPECT_TRUE(IsWindow(main()));
}

TEST_F(WindowTest, FocusMovesBetweenOurControlsAreHeardAndActivationIsNot) {
  window.setVisible(true);
  window.activate();
  pump(200);
  SetFocus(hwnd(Ctl::Text1));
  pump(50);
  SetFocus(hwnd(Ctl::Text2));
  pump(50);
  EXPECT_EQ(
      events.focusEvents(),
      (std::vector<Heard>{{"focus+", Ctl::Text1}, {"focus-", Ctl::Text1}, {"focus+", Ctl::Text2}}));
  events.heard.clear();

  // Another window takes the focus, then ours comes back: Text2 has the
  // focus again, and the logic heard of no focus change.
  const Window other(CreateWindowExW(0, L"Edit", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     200, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                                     nullptr));
  SetForegroundWindow(other.get());
  pump(200);
  window.activate();
  pump(200);
  EXPECT_EQ(GetFocus(), hwnd(Ctl::Text2));
  EXPECT_TRUE(events.focusEvents().empty());
  window.setVisible(false);
}

// The real logic over the real window: focus moves are real, and the numeric
// check's boxes are counted rather than shown.
TEST_F(WindowTest, TwoBadBoxesShowOneBoxAndTheFocusStaysInTheFirst) {
  fake::FakeDialogs dialogs;
  fake::FakeSettings settings;
  WindowSystem windows;
  FileSystem files;
  SystemClock clock;
  Locale locale;
  MessageLoop loop(window);
  fake::FakeKeyboardHook hook;
  fake::FakeRunEntry run;
  fake::FakeNotifyArea tray;
  fake::FakeUserInput input;
  fake::FakeProcesses processes;
  Form1Controls controls = window.controls();
  Services services{.dialogs = dialogs,
                    .windows = windows,
                    .settings = settings,
                    .files = files,
                    .clock = clock,
                    .locale = locale,
                    .loop = loop,
                    .hook = hook,
                    .run = run,
                    .tray = tray,
                    .input = input,
                    .processes = processes};
  Form1 form(controls, services);
  window.connect(&form);
  window.setVisible(true);
  window.activate();
  pump(200);
  controls.Text1.setCaption("a");
  controls.Text2.setCaption("b");
  SetFocus(hwnd(Ctl::Text1));
  pump(50);
  SetFocus(hwnd(Ctl::Text2));  // as Tab would
  pump(1000);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(GetFocus(), hwnd(Ctl::Text1));
  window.connect(&events);
  window.setVisible(false);
}

// A key event as the keyboard sends it.
void press(WORD key, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof(in));
}

TEST_F(WindowTest, TheKeyboardHookPostsEveryTKeyWithItsModifiersAndNothingElse) {
  window.setVisible(true);
  window.activate();
  pump(200);
  {
    KeyboardHook hook(main());
    hook.install();
    ASSERT_TRUE(hook.installed());
    press('A', true);
    press('A', false);
    press(VK_CONTROL, true);
    press(VK_SHIFT, true);
    press('T', true);
    press('T', false);
    press(VK_SHIFT, false);
    press(VK_CONTROL, false);
    press('T', true);
    press('T', false);
    pump(300);
    EXPECT_EQ(
        events.keys,
        (std::vector<KeyTEvent>{
            {true, true, true}, {false, true, true}, {true, false, false}, {false, false, false}}));
  }
  // Put in anew, the old one out first: one event for each key still.
  events.keys.clear();
  {
    KeyboardHook hook(main());
    hook.install();
    hook.remove();
    hook.install();
    press('T', true);
    press('T', false);
    pump(300);
    EXPECT_EQ(events.keys, (std::vector<KeyTEvent>{{true, false, false}, {false, false, false}}));
  }
  // Gone with its owner: nothing more is heard.
  events.keys.clear();
  press('T', true);
  press('T', false);
  pump(200);
  EXPECT_TRUE(events.keys.empty());
  window.setVisible(false);
}

TEST_F(WindowTest, MessagesOwnedElsewhereReachTheirOwner) {
  std::vector<std::pair<WPARAM, LPARAM>> heard;
  const auto owner = [&](WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    heard.emplace_back(w, l);
    return 7;
  };
  window.route(kTrayCallbackMessage, owner);
  const UINT taskbar = window.routeRegistered(kTaskbarCreatedName, owner);
  ASSERT_NE(taskbar, 0u);
  EXPECT_EQ(taskbar, RegisterWindowMessageW(L"TaskbarCreated"));
  EXPECT_EQ(SendMessageW(main(), 1125, 1, WM_LBUTTONUP), 7);
  EXPECT_EQ(SendMessageW(main(), taskbar, 0, 0), 7);
  EXPECT_EQ(heard, (std::vector<std::pair<WPARAM, LPARAM>>{{1, WM_LBUTTONUP}, {0, 0}}));
  // A route that answers nothing lets the system's default run.
  window.route(kToggleMessage, [](WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  EXPECT_EQ(SendMessageW(main(), kToggleMessage, 0, 0), 0);
  EXPECT_EQ(heard.size(), 2u);
}

TEST_F(WindowTest, TheTrayIconsCallbackAndTheTaskbarsRestartReachTheLogic) {
  NotifyArea tray(GetModuleHandleW(nullptr), window);
  EXPECT_NE(tray.appIcon(), 0u);
  for (const LPARAM notification : {WM_MOUSEMOVE, WM_RBUTTONUP, NIN_BALLOONUSERCLICK})
    EXPECT_EQ(SendMessageW(main(), 1125, 0, notification), 0);
  SendMessageW(main(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(events.trays, (std::vector<std::pair<std::uint32_t, std::int32_t>>{
                              {WM_MOUSEMOVE, 0}, {WM_RBUTTONUP, 0}, {NIN_BALLOONUSERCLICK, 0}}));
  EXPECT_EQ(events.count("taskbar"), 1);
}

// --- a second start -----------------------------------------------------------

TEST_F(WindowTest, ARequestReachesTheLogicAndItsAnswerComesBack) {
  // The logic's answer comes back inside the sender's wait.
  events.answer = encodeAnswer({kExitRefused, "Not now.\n"});
  EXPECT_EQ(sendRequest(main(), kRequestKind, "show", 2000),
            (CommandAnswer{kExitRefused, "Not now.\n"}));
  // Taken, and its answer says nothing more.
  events.answer = encodeAnswer({});
  EXPECT_EQ(sendRequest(main(), kRequestKind, "show", 2000), CommandAnswer{});
  // Refused by the logic: not taken.
  events.answer.reset();
  EXPECT_EQ(sendRequest(main(), 0x4A, std::string(70000, 'x'), 2000), std::nullopt);
  EXPECT_EQ(events.requests,
            (std::vector<std::pair<std::uint64_t, std::string>>{
                {kRequestKind, "show"}, {kRequestKind, "show"}, {0x4A, std::string(70000, 'x')}}));
  // A record without its bytes never reaches the logic.
  COPYDATASTRUCT broken{kRequestKind, 4, nullptr};
  EXPECT_EQ(SendMessageW(main(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&broken)), FALSE);
  EXPECT_EQ(events.requests.size(), 3u);
}

int copiesHeard = 0;
LRESULT CALLBACK countCopies(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) return ++copiesHeard, TRUE;
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(WindowTest, AnAnswerGoesOnlyToASecondStartsAnswerWindow) {
  // A window of another class named as the sender is sent nothing; the
  // request is still taken.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = countCopies;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Tarnavel.Win32Tests.Other";
  RegisterClassExW(&wc);
  const Window other(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr));
  ASSERT_TRUE(other);
  events.answer = "text";
  COPYDATASTRUCT request{kRequestKind, 4, const_cast<char*>("show")};
  EXPECT_EQ(SendMessageW(main(), WM_COPYDATA, reinterpret_cast<WPARAM>(other.get()),
                         reinterpret_cast<LPARAM>(&request)),
            TRUE);
  EXPECT_EQ(events.requests.size(), 1u);
  EXPECT_EQ(copiesHeard, 0);
  // This process's own window is no running copy to hand over to.
  EXPECT_EQ(findRunningCopy(), nullptr);
}

TEST(SessionLock, OneHolderAtATimeAndACrashedHoldersLockIsFree) {
  const wchar_t* name = L"Local\\Tarnavel.Win32Tests.Lock";
  // Mutexes are held by threads: another thread stands for another start.
  const auto takenElsewhere = [name] {
    bool taken = false;
    std::thread([&] { taken = SessionLock(name).take(0); }).join();
    return taken;
  };
  {
    SessionLock first(name);
    ASSERT_TRUE(first.take(0));
    EXPECT_TRUE(first.take(0));
    EXPECT_FALSE(takenElsewhere());
  }
  EXPECT_TRUE(takenElsewhere());
  // A holder that ends without releasing (a crash) leaves it abandoned.
  const KernelHandle keep(CreateMutexW(nullptr, FALSE, name));
  std::thread([name] {
    const HANDLE held = CreateMutexW(nullptr, FALSE, name);
    WaitForSingleObject(held, 0);
    CloseHandle(held);
  }).join();
  SessionLock next(name);
  EXPECT_TRUE(next.take(0));
}

TEST(TrayRecord, TheShellsRecordCarriesEachTextCutAtItsField) {
  const std::string pair = "\xF0\x9F\x94\xB5";  // one character, two UTF-16 units
  TrayRecord in;
  in.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  in.callbackMessage = 1125;
  in.icon = 0x1234;
  in.tip = std::string(126, 'a') + pair;  // the pair would end past unit 127
  in.info = std::string(300, 'b');
  in.timeoutMs = 5000;
  in.infoTitle = "Tarnavel";
  const HWND window = reinterpret_cast<HWND>(0x42);
  const NOTIFYICONDATAW r = trayRecord(window, in);
  EXPECT_EQ(r.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(r.hWnd, window);
  EXPECT_EQ(r.uID, 0u);
  EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(r.uCallbackMessage, 1125u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(r.hIcon), 0x1234u);
  EXPECT_EQ(std::wstring(r.szTip), std::wstring(126, L'a'));
  EXPECT_EQ(std::wstring(r.szInfo), std::wstring(255, L'b'));
  EXPECT_EQ(r.uTimeout, 5000u);
  EXPECT_EQ(std::wstring(r.szInfoTitle), L"Tarnavel");
  EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_NONE));
  in.tip = std::string(127, 'c') + "d";
  EXPECT_EQ(std::wstring(trayRecord(window, in).szTip), std::wstring(127, L'c'));
}

TEST_F(WindowTest, AWaitRunsMessagesUntilItsConditionHoldsOrTheTimeIsUp) {
  MessageLoop loop(window);
  bool heard = false;
  PostMessageW(main(), kToggleMessage, 1, 3);
  events.whenKey = [&] { heard = true; };
  EXPECT_TRUE(loop.runUntil([&] { return heard; }, 60000));
  EXPECT_TRUE(heard);
  // Posted tasks run later, one message each, in order.
  std::string ran;
  loop.post([&] { ran += 'a'; });
  loop.post([&] { ran += 'b'; });
  EXPECT_EQ(ran, "");
  EXPECT_TRUE(loop.runUntil([&] { return ran.size() == 2; }, 60000));
  EXPECT_EQ(ran, "ab");
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(loop.runUntil([] { return false; }, 300));
  EXPECT_GE(GetTickCount64() - start, 300u);
}

TEST_F(WindowTest, GivingTheQueueTheFocusNeverTakesTheForegroundFromAnotherWindow) {
  window.setVisible(true);
  window.activate();
  pump(200);
  const Window other(CreateWindowExW(0, L"Edit", L"switched to", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     0, 0, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                                     nullptr));
  SetForegroundWindow(other.get());
  pump(200);
  ASSERT_EQ(GetForegroundWindow(), other.get());

  window.control<ListView>(Ctl::ListView2).setFocus();
  pump(200);
  EXPECT_EQ(GetForegroundWindow(), other.get());
  // The list has the focus once the window is activated again.
  window.activate();
  pump(200);
  EXPECT_EQ(GetFocus(), hwnd(Ctl::ListView2));
  window.setVisible(false);
}

TEST_F(WindowTest, CloseRequestsGoToTheLogicAndNeverDestroyTheWindow) {
  SendMessageW(main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(events.count("close"), 1);
  EXPECT_TRUE(IsWindow(main()));
  // A request while the first is still being handled adds nothing.
  events.whenClosing = [&] { SendMessageW(main(), WM_CLOSE, 0, 0); };
  SendMessageW(main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(events.count("close"), 2);
  EXPECT_TRUE(IsWindow(main()));
}

// Each row: a message of the session or the power manager, its answer, and
// what the logic hears of it.
TEST_F(WindowTest, TheSessionsEndAnUnlockAndAResumeReachTheLogic) {
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
    const char* heard;  // nullptr: nothing
  } cases[] = {
      {WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, TRUE, "query end"},
      {WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, 0, "end cancelled"},
      {WM_ENDSESSION, TRUE, 0, 0, "end"},
      {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1, 0, "resumed"},
      {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1, 0, nullptr},
      {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, TRUE, "resumed"},
      {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, TRUE, "resumed"},
      {WM_POWERBROADCAST, PBT_APMSUSPEND, 0, TRUE, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message * 0x100 + c.wParam);
    events.heard.clear();
    EXPECT_EQ(SendMessageW(main(), c.message, c.wParam, c.lParam), c.answer);
    EXPECT_EQ(events.heard, c.heard ? std::vector<Heard>{{c.heard}} : std::vector<Heard>{});
    EXPECT_TRUE(IsWindow(main()));
  }
}

TEST_F(WindowTest, AfterTheEndNoEventReachesTheLogic) {
  MessageLoop loop(window);
  const HWND gone = main();
  const HWND button = hwnd(Ctl::PushButton1);
  events.whenClosing = [&] {
    // Queued behind the close: must not arrive.
    PostMessageW(gone, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    loop.endProgram();
    loop.doEvents();
  };
  PostMessageW(gone, WM_CLOSE, 0, 0);
  EXPECT_EQ(loop.run(), 0);
  EXPECT_TRUE(loop.ended());
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"close"}}));
  // The controls outlive their windows and stay harmless.
  EXPECT_EQ(window.control<ListView>(Ctl::ListView1).count(), 0);
  EXPECT_EQ(window.control<TextBox>(Ctl::Text1).caption(), "");
}

TEST_F(WindowTest, LettingMessagesRunRunsThemAndKeepsTheQuit) {
  MessageLoop loop(window);
  PostMessageW(main(), WM_COMMAND, MAKEWPARAM(idOf(Ctl::PushButton1), BN_CLICKED),
               reinterpret_cast<LPARAM>(hwnd(Ctl::PushButton1)));
  loop.doEvents();
  EXPECT_EQ(events.heard, (std::vector<Heard>{{"click", Ctl::PushButton1}}));
  PostQuitMessage(7);
  loop.doEvents();
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}

// --- dialog boxes ------------------------------------------------------------

TEST_F(WindowTest, TheInputBoxReturnsTheTypedText) {
  Dialogs dialogs(GetModuleHandleW(nullptr), window);
  std::string title, prompt, preset;
  DWORD start = 9, end = 9;
  bool editHasFocus = false;
  const auto answer = withDialog(
      [&](HWND d) {
        title = windowText(d);
        const auto statics = childrenOf(d, L"Static");
        if (!statics.empty()) prompt = windowText(statics.front());
        const HWND edit = FindWindowExW(d, nullptr, L"Edit", nullptr);
        preset = windowText(edit);
        editHasFocus = GetFocus() == edit;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        SetWindowTextW(edit, kMixedUtf16.c_str());
        SendMessageW(d, WM_COMMAND, IDOK, 0);
      },
      [&] { return dialogs.inputBox("Seconds before " + kMixedUtf8 + ":", kMixedUtf8, "60"); });
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, kMixedUtf8);
  EXPECT_EQ(title, kMixedUtf8);
  EXPECT_EQ(prompt, "Seconds before " + kMixedUtf8 + ":");
  EXPECT_EQ(preset, "60");
  EXPECT_TRUE(editHasFocus);
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
}

TEST_F(WindowTest, CancelEscapeAndCloseGiveNothing) {
  Dialogs dialogs(GetModuleHandleW(nullptr), window);
  for (UINT how : {0u, 1u, 2u}) {
    const auto answer = withDialog(
        [&](HWND d) {
          const HWND edit = FindWindowExW(d, nullptr, L"Edit", nullptr);
          SetWindowTextW(edit, L"typed");
          if (how == 0) SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
          if (how == 1) {
            MSG escape{edit, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
            IsDialogMessageW(d, &escape);
          }
          if (how == 2) SendMessageW(d, WM_CLOSE, 0, 0);
        },
        [&] { return dialogs.inputBox("Prompt", "Title", "preset"); });
    EXPECT_FALSE(answer.has_value()) << "way " << how;
  }
}

TEST_F(WindowTest, TheInputBoxMakesRoomForALongPrompt) {
  Dialogs dialogs(GetModuleHandleW(nullptr), window);
  std::string longPrompt;
  for (int i = 1; i <= 14; ++i)
    longPrompt += "Line " + std::to_string(i) + " of the prompt\r\n";
  longPrompt +=
      "and a last line long enough to be wrapped at the width of the prompt, twice over "
      "if the font is small.";
  RECT promptRect{}, editRect{}, client{}, box{}, work{};
  std::vector<RECT> buttons;
  int promptNeeds = 0;
  withDialog(
      [&](HWND d) {
        const HWND prompt = childrenOf(d, L"Static").front();
        const HWND edit = FindWindowExW(d, nullptr, L"Edit", nullptr);
        promptRect = rectIn(d, prompt);
        editRect = rectIn(d, edit);
        for (HWND b : childrenOf(d, L"Button"))
          buttons.push_back(rectIn(d, b));
        GetClientRect(d, &client);
        GetWindowRect(d, &box);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoW(MonitorFromWindow(d, MONITOR_DEFAULTTONEAREST), &info);
        work = info.rcWork;
        const HDC dc = GetDC(prompt);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(prompt, WM_GETFONT, 0, 0)));
        RECT r{0, 0, promptRect.right - promptRect.left, 0};
        const std::wstring text = widen(windowText(prompt));
        DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
        ReleaseDC(prompt, dc);
        promptNeeds = r.bottom;
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
      },
      [&] { return dialogs.inputBox(longPrompt, "Tarnavel", ""); });
  EXPECT_GE(promptRect.bottom - promptRect.top, promptNeeds);  // the whole prompt shows
  EXPECT_GE(editRect.top, promptRect.bottom);                  // the edit box is below it
  EXPECT_LE(editRect.bottom, client.bottom);
  ASSERT_EQ(buttons.size(), 2u);
  for (const RECT& b : buttons) {
    EXPECT_GE(b.left, promptRect.right);  // OK and Cancel at the right
    EXPECT_LE(b.bottom, editRect.top);
    EXPECT_LE(b.right, client.right);
  }
  EXPECT_GE(box.top, work.top);
  EXPECT_LE(box.bottom, work.bottom);
}

// The Options box: every control in the box's own font, the Tab order in
// reading order, each change reported at once, a number out of range never
// taken, Esc and Enter closing it.
TEST_F(WindowTest, TheOptionsBoxReportsEachChangeAndClosesByKey) {
  Dialogs dialogs(GetModuleHandleW(nullptr), window);
  std::vector<UnattendedChoices> heard;
  const std::function<void(const UnattendedChoices&)> changed = [&](const UnattendedChoices& c) {
    heard.push_back(c);
  };
  for (const UINT key : {VK_ESCAPE, VK_RETURN}) {
    heard.clear();
    std::string title, restored;
    std::vector<std::string> order;
    int unfonted = 0;
    withDialog(
        [&](HWND d) {
          title = windowText(d);
          const auto dialogFont = SendMessageW(d, WM_GETFONT, 0, 0);
          for (HWND c = GetWindow(d, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            unfonted += dialogFont == 0 || SendMessageW(c, WM_GETFONT, 0, 0) != dialogFont;
          const HWND first = GetFocus();
          HWND at = first;
          do {
            order.push_back(windowText(at));
            at = GetNextDlgTabItem(d, at, FALSE);
          } while (at != nullptr && at != first && order.size() < 30);
          const auto buttons = childrenOf(d, L"Button");
          const HWND edit = FindWindowExW(d, nullptr, L"Edit", nullptr);
          SendMessageW(buttons[0], BM_CLICK, 0, 0);  // pause on
          SetWindowTextW(edit, L"0");                // out of range: not taken
          SetWindowTextW(edit, L"120");
          SendMessageW(buttons[2], BM_CLICK, 0, 0);  // skip on
          SetFocus(edit);
          SetWindowTextW(edit, L"99999");
          SetFocus(buttons[1]);  // leaving the box puts back the number in force
          restored = windowText(edit);
          MSG press{buttons[1], WM_KEYDOWN, key, 0, 0, {0, 0}};
          IsDialogMessageW(d, &press);
        },
        [&] {
          dialogs.optionsBox("Tarnavel", UnattendedChoices{}, changed);
          return 0;
        });
    EXPECT_EQ(title, "Tarnavel");
    EXPECT_EQ(unfonted, 0);
    EXPECT_EQ(order, (std::vector<std::string>{
                         "Pause switching while the computer is in use", "60",
                         "Find a queued window again when its program "
                         "reopens it",
                         "Go straight on when a queued window cannot be "
                         "found",
                         "Keep the display on while switching",
                         // The times and days wait for their check box.
                         "Switch only between", "Write problems to the log without showing a box",
                         "Also log every switch", "Switch each display on its own",
                         "Open Log Folder", "Close"}));
    ASSERT_EQ(heard.size(), 3u) << "key " << key;
    EXPECT_TRUE(heard[0].pauseWhenInUse);
    EXPECT_EQ(heard[1].resumeAfterSeconds, 120);
    EXPECT_TRUE(heard[2].skipMissing && heard[2].pauseWhenInUse);
    EXPECT_FALSE(heard[2].findReopened);
    EXPECT_EQ(restored, "120");
  }
}

TEST_F(WindowTest, TheOptionsBoxShowsLockedChoicesDisabledEvenWhenTheirGroupIsOn) {
  Dialogs dialogs(GetModuleHandleW(nullptr), window);
  UnattendedChoices current;
  current.hours.on = true;
  const ChoiceLocks locked{.skipMissing = true, .hours = true, .tip = "Set by your organization"};
  std::vector<std::string> enabled;
  withDialog(
      [&](HWND d) {
        for (HWND c = GetWindow(d, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
          if (IsWindowEnabled(c) && !windowText(c).empty()) enabled.push_back(windowText(c));
        }
        EndDialog(d, IDOK);
      },
      [&] {
        dialogs.optionsBox(
            "Tarnavel", current, locked, [](const UnattendedChoices&) {}, [] {});
        return 0;
      });
  EXPECT_EQ(
      enabled,
      (std::vector<std::string>{
          "Pause switching while the computer is in use", "Resume after", "60",
          "seconds without input", "Find a queued window again when its program reopens it",
          "Keep the display on while switching", "Write problems to the log without showing a box",
          "Also log every switch", "Switch each display on its own", "Open Log Folder", "Close"}));
}

TEST_F(WindowTest, TheMessageBoxShowsItsTextAndReturnsThePressedButton) {
  Dialogs dialogs(GetModuleHandleW(nullptr), window);
  std::string shown, title;
  const int pressed = withDialog(
      [&](HWND d) {
        title = windowText(d);
        for (HWND s : childrenOf(d, L"Static"))
          shown += windowText(s);
        SendMessageW(d, WM_COMMAND, IDOK, 0);
      },
      [&] {
        return dialogs.messageBox("Must be a numeric entry. " + kMixedUtf8, kMbOk, "Tarnavel");
      });
  EXPECT_EQ(pressed, kIdOk);
  EXPECT_EQ(title, "Tarnavel");
  EXPECT_NE(shown.find("Must be a numeric entry. " + kMixedUtf8), std::string::npos) << shown;
}

// --- resources ---------------------------------------------------------------

TEST(Resources, TheVersionInformationIsTheVersionHeaders) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(module, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(module, 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), TARNAVEL_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), TARNAVEL_VERSION_MINOR);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), TARNAVEL_VERSION_PATCH);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), TARNAVEL_VERSION_BUILD);
  const auto text = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT chars = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &chars)) {
      return std::string();
    }
    return narrow(value);
  };
  EXPECT_EQ(text(L"FileVersion"), version::kText);
  EXPECT_EQ(text(L"ProductName"), "Tarnavel");
  EXPECT_EQ(text(L"CompanyName"), "Kestrine");
}

TEST(Resources, TheManifestIsInAndTheIconHasItsThreeSizes) {
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
  for (int size : {16, 32, 48}) {
    const auto icon = static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNAVEL), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmBitsPixel, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

TEST(Resources, TheManifestBringsVersionSixControls) {
  // Visual styles come with version 6 of the common controls, which only the
  // manifest's dependency brings into the process: the system then redirects
  // comctl32.dll to that version.
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof(data);
  EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &data));
}

// --- other programs' windows -------------------------------------------------

// A top-level window on a thread of its own, as another program's would be:
// the thread takes its messages until it is told to stop, or takes none at
// all (hung) once its window is made.
class OtherThreadWindow {
 public:
  explicit OtherThreadWindow(bool hung) : hung_(hung) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &OtherThreadWindow::run, this, 0, &id_);
    WaitForSingleObject(ready_, 5000);
  }
  ~OtherThreadWindow() {
    SetEvent(release_);
    if (!hung_) PostThreadMessageW(id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    CloseHandle(release_);
  }
  OtherThreadWindow(const OtherThreadWindow&) = delete;
  OtherThreadWindow& operator=(const OtherThreadWindow&) = delete;

  HWND window() const { return window_; }
  DWORD thread() const { return id_; }

 private:
  static DWORD WINAPI run(void* self) {
    auto& me = *static_cast<OtherThreadWindow*>(self);
    me.window_ =
        CreateWindowExW(0, L"Edit", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                        300, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    MSG m{};
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
    SetEvent(me.ready_);
    if (me.hung_) {
      WaitForSingleObject(me.release_, INFINITE);
    } else {
      while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
    DestroyWindow(me.window_);
    return 0;
  }

  bool hung_;
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD id_ = 0;
  HWND window_ = nullptr;
};

Window ownTopWindow(const wchar_t* title) {
  return Window(CreateWindowExW(0, L"Edit", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 300,
                                120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

DWORD lastInputTick() {
  LASTINPUTINFO info{};
  info.cbSize = sizeof(info);
  GetLastInputInfo(&info);
  return info.dwTime;
}

// As on a desktop in use: another program's window has the foreground, and
// the window to switch to is a third program's.
TEST(Foreground, TakenThroughTheForegroundThreadsInputWhichIsLeftAgainAndNoInputIsMade) {
  WindowSystem windows;
  const OtherThreadWindow target(false);
  const OtherThreadWindow front(false);
  // The window manager gives new windows the focus late: until it has
  // settled, the front window is put in front again.
  for (int i = 0; i < 20 && GetForegroundWindow() != front.window(); ++i) {
    SetForegroundWindow(front.window());
    pump(100);
  }
  pump(300);
  ASSERT_EQ(GetForegroundWindow(), front.window());
  const DWORD idleSince = lastInputTick();

  EXPECT_TRUE(windows.answers(toHwnd32(front.window()), kAnswerMilliseconds));
  EXPECT_TRUE(TakeForeground(windows, toHwnd32(target.window())));
  pump(200);
  EXPECT_EQ(windows.foregroundWindow(), toHwnd32(target.window()));
  // Nothing is left to detach: the threads' input is apart again.
  EXPECT_FALSE(AttachThreadInput(GetCurrentThreadId(), front.thread(), FALSE));
  EXPECT_EQ(lastInputTick(), idleSince);
}

// Our own window: the call says whether it took the foreground, and with it
// in front there is nothing to borrow.
TEST(Foreground, OurOwnWindowTakesItAndThenNothingIsBorrowed) {
  WindowSystem windows;
  const Window ours = ownTopWindow(L"board");
  bool taken = false;
  for (int i = 0; i < 20 && windows.foregroundWindow() != toHwnd32(ours.get()); ++i) {
    taken = windows.setForeground(toHwnd32(ours.get()));
    pump(100);
  }
  EXPECT_TRUE(taken);
  EXPECT_EQ(windows.foregroundWindow(), toHwnd32(ours.get()));
  EXPECT_FALSE(TakeForeground(windows, toHwnd32(ours.get())));
}

TEST(Foreground, AThreadThatTakesNoMessagesIsNotAttachedTo) {
  WindowSystem windows;
  const OtherThreadWindow hung(true);
  const Window ours = ownTopWindow(L"board");
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(windows.answers(toHwnd32(hung.window()), kAnswerMilliseconds));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_TRUE(windows.answers(toHwnd32(ours.get()), kAnswerMilliseconds));
  EXPECT_EQ(windows.threadOf(toHwnd32(hung.window())), hung.thread());
  EXPECT_EQ(windows.threadOf(toHwnd32(ours.get())), windows.ownThread());
}

TEST(Processes, ACommandLineStartsItsProgramOrSaysWhyNot) {
  Processes processes;
  // This very program, as Windows splits a quoted path with arguments.
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::uint32_t started =
      processes.start("\"" + narrow(self) + "\" --gtest_filter=NoSuchTest --gtest_brief=1");
  EXPECT_NE(started, 0u);
  const KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, started));
  ASSERT_TRUE(process);
  EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  try {
    processes.start("\"C:\\No such folder\\nothing.exe\" --on");
    ADD_FAILURE() << "a program that is not there started";
  } catch (const AppError& e) {
    EXPECT_FALSE(std::string(e.what()).empty());
  }
}

TEST(WindowSystem, OurWindowIsSeenAndOfOurOwnLevelAndProgram) {
  WindowSystem windows;
  const Window ours = ownTopWindow(L"board");
  EXPECT_FALSE(windows.cloaked(toHwnd32(ours.get())));
  EXPECT_FALSE(windows.runsAbove(toHwnd32(ours.get())));
  const KernelHandle self(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId()));
  ASSERT_TRUE(self);
  const auto level = integrityOf(self.get());
  ASSERT_TRUE(level.has_value());
  EXPECT_EQ(level, integrityOf(GetCurrentProcess()));
  const std::string path = windows.programPath(toHwnd32(ours.get()));
  EXPECT_TRUE(path.ends_with("tarnavel_win32_tests.exe")) << path;
  EXPECT_EQ(windows.processOf(toHwnd32(ours.get())), GetCurrentProcessId());
}

// The display of a window: the one holding it, also while it is minimised
// (its restored place counts); none once it is gone. Raising it puts it above
// our other window without activating it.
TEST(WindowSystem, AWindowsDisplayAndARaiseWithoutActivation) {
  WindowSystem windows;
  Window lower = ownTopWindow(L"lower");
  const Window upper = ownTopWindow(L"upper");
  SetForegroundWindow(upper.get());
  const Hwnd32 window = toHwnd32(lower.get());
  const Display display = windows.displayOf(window);
  EXPECT_GE(display.number, 1);
  EXPECT_GE(windows.displayCount(), 1);
  EXPECT_TRUE(display.primary || windows.displayCount() > 1);
  windows.raise(window);
  EXPECT_EQ(GetWindow(upper.get(), GW_HWNDPREV), lower.get());
  EXPECT_EQ(GetForegroundWindow(), upper.get());
  ShowWindow(lower.get(), SW_MINIMIZE);
  EXPECT_EQ(windows.displayOf(window), display);
  lower.reset();
  EXPECT_EQ(windows.displayOf(window), Display{});
}

// A window's title is read as the system keeps it: a thread that takes no
// messages does not hold the walk up, and a title longer than the first
// room is read whole. A window that keeps its text elsewhere (an edit
// control) is asked for it.
TEST(WindowSystem, TitlesAreReadWithoutAskingTheWindowsThread) {
  WNDCLASSW plain{};
  plain.lpfnWndProc = &DefWindowProcW;
  plain.hInstance = GetModuleHandleW(nullptr);
  plain.lpszClassName = L"TarnavelTestPlainWindow";
  RegisterClassW(&plain);
  HWND hung = nullptr;
  const HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    hung = CreateWindowExW(0, plain.lpszClassName, L"another program",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 120, nullptr, nullptr,
                           plain.hInstance, nullptr);
    SetEvent(made);
    WaitForSingleObject(release, INFINITE);  // takes no messages meanwhile
    DestroyWindow(hung);
  });
  WaitForSingleObject(made, 5000);
  WindowSystem windows;
  const Hwnd32 w = toHwnd32(hung);
  const ULONGLONG before = GetTickCount64();
  EXPECT_EQ(windows.textLength(w), 15);
  EXPECT_EQ(windows.text(w, 16), "another program");
  EXPECT_EQ(windows.text(w, 8), "another");
  EXPECT_LT(GetTickCount64() - before, 1000u);
  SetEvent(release);
  other.join();
  CloseHandle(made);
  CloseHandle(release);

  const std::wstring longTitle(1000, L'\u00e9');
  const Window ours(CreateWindowExW(0, plain.lpszClassName, longTitle.c_str(), WS_OVERLAPPEDWINDOW,
                                    0, 0, 100, 100, nullptr, nullptr, plain.hInstance, nullptr));
  ASSERT_EQ(windows.textLength(toHwnd32(ours.get())), 1000);
  EXPECT_EQ(windows.text(toHwnd32(ours.get()), 1001), narrow(longTitle));
  const Window edit = ownTopWindow(L"an edit control");
  ASSERT_EQ(windows.textLength(toHwnd32(edit.get())), 15);
  EXPECT_EQ(windows.text(toHwnd32(edit.get()), 16), "an edit control");
}

// A Store app's frame names the app inside it; a frame whose app window is
// the frame host's own (or missing) names no program at all.
TEST(WindowSystem, AStoreFrameWithoutItsAppNamesNoProgram) {
  WindowSystem windows;
  const auto registered = [](const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    return WindowClass(RegisterClassExW(&wc), wc.hInstance);
  };
  const WindowClass frameClass = registered(L"ApplicationFrameWindow");
  const WindowClass appClass = registered(L"Windows.UI.Core.CoreWindow");
  const Window frame(CreateWindowExW(0, L"ApplicationFrameWindow", L"Mail", WS_OVERLAPPEDWINDOW, 0,
                                     0, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr),
                                     nullptr));
  ASSERT_TRUE(frame);
  EXPECT_EQ(windows.programPath(toHwnd32(frame.get())), "");
  CreateWindowExW(0, L"Windows.UI.Core.CoreWindow", L"Mail", WS_CHILD, 0, 0, 300, 200, frame.get(),
                  nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(windows.programPath(toHwnd32(frame.get())), "");
}

TEST(Resources, TheManifestClaimsWindows10AndNothingOlder) {
  // The program calls what Windows 10 version 1607 brought; Windows 11 goes
  // by Windows 10's identifier.
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string manifest(bytes, SizeofResource(nullptr, found));
  std::vector<std::string> claimed;
  for (std::size_t at = 0; (at = manifest.find("<supportedOS Id=\"", at)) != std::string::npos;) {
    at += 17;
    claimed.push_back(manifest.substr(at, manifest.find('"', at) - at));
  }
  EXPECT_EQ(claimed, std::vector<std::string>{"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"});
}

// --- registry ----------------------------------------------------------------

using platform::StoredValue;

class RegistryTest : public ::testing::Test {
 protected:
  ~RegistryTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
  const std::wstring path =
      L"Software\\Kestrine\\TarnavelTests" + std::to_wstring(GetCurrentProcessId());
  RegistrySettings settings{path};
};

TEST_F(RegistryTest, TheRunEntryIsAddedAndRemovedAndItsProgramIsThisOne) {
  RunEntry run(path);
  run.remove("tarnavel.exe");  // not there: no failure
  run.add("tarnavel.exe", "\"C:\\Users\\A B\\tarnavel.exe\"");
  EXPECT_EQ(settings.read("tarnavel.exe").text,
            std::optional<std::string>("\"C:\\Users\\A B\\tarnavel.exe\""));
  run.remove("tarnavel.exe");
  EXPECT_EQ(settings.read("tarnavel.exe"), StoredValue{});
  EXPECT_TRUE(run.programPath().ends_with("tarnavel_win32_tests.exe"));
}

TEST_F(RegistryTest, AnAbsentKeyOrValueReadsAsNothing) {
  EXPECT_EQ(settings.read("Queued Windows"), StoredValue{});
  settings.write("Weekly", "Monday");
  EXPECT_EQ(settings.read("Queued Windows"), StoredValue{});
  EXPECT_EQ(settings.read("Weekly"), (StoredValue{"Monday", false}));
}

TEST_F(RegistryTest, TextIsStoredAsRegSzInUtf16AndReadBack) {
  settings.write("Queued Windows", kMixedUtf8);
  EXPECT_EQ(settings.read("Queued Windows").text, std::optional<std::string>(kMixedUtf8));
  wchar_t raw[128] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(raw);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, path.c_str(), L"Queued Windows", RRF_RT_ANY, &type, raw,
                         &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(raw), kMixedUtf16);

  settings.write("Queued Windows", "");
  EXPECT_EQ(settings.read("Queued Windows").text, std::optional<std::string>(""));
  const std::string big = std::string(70000, 'q') + kMixedUtf8;
  settings.write("Queued Windows", big);
  EXPECT_EQ(settings.read("Queued Windows").text, std::optional<std::string>(big));
  settings.write("Queued Windows", "short");
  EXPECT_EQ(settings.read("Queued Windows").text, std::optional<std::string>("short"));
}

TEST_F(RegistryTest, AValueOfAnotherTypeReadsAsNoTextAndStaysUnlessReplaced) {
  const DWORD number = 5;
  const BYTE bytes[] = {'1', 0, 0, 0};
  const wchar_t lines[] = L"7\0\0";
  const struct {
    const wchar_t* name;
    DWORD type;
    const void* data;
    DWORD size;
  } others[] = {{L"Option3", REG_DWORD, &number, sizeof(number)},
                {L"Queued Windows", REG_BINARY, bytes, sizeof(bytes)},
                {L"Text1", REG_MULTI_SZ, lines, sizeof(lines)}};
  for (const auto& o : others) {
    SCOPED_TRACE(narrow(o.name));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), o.name, o.type, o.data, o.size),
              ERROR_SUCCESS);
    const std::string key = narrow(o.name);
    EXPECT_EQ(settings.read(key), (StoredValue{std::nullopt, true}));
    EXPECT_FALSE(settings.writeOverText(key, "0"));
    DWORD type = 0;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, path.c_str(), o.name, RRF_RT_ANY, &type, nullptr, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(type, o.type);
    settings.write(key, "1");
    EXPECT_EQ(settings.read(key), (StoredValue{"1", false}));
  }
  // Over text or nothing, the text is stored; an expandable text is text.
  EXPECT_TRUE(settings.writeOverText("Weekly", "Monday"));
  EXPECT_TRUE(settings.writeOverText("Weekly", "Friday"));
  EXPECT_EQ(settings.read("Weekly").text, std::optional<std::string>("Friday"));
  const wchar_t expandable[] = L"x";
  RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"Weekly", REG_EXPAND_SZ, expandable,
                  sizeof(expandable));
  EXPECT_EQ(settings.read("Weekly"), (StoredValue{"x", false}));
  EXPECT_TRUE(settings.writeOverText("Weekly", "Sunday"));
  // A text ends at its first terminator, with or without one at the end of
  // an odd count of bytes.
  const wchar_t cut[] = {L'7', 0, L'|', L'x'};
  for (const DWORD size : {DWORD{sizeof(cut)}, DWORD{sizeof(cut) - 1}, DWORD{2}}) {
    RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"Text2", REG_SZ, cut, size);
    EXPECT_EQ(settings.read("Text2"), (StoredValue{"7", false})) << size;
  }
}

TEST_F(RegistryTest, ARefusalCarriesTheSystemsWords) {
  // A key name longer than the system allows (255 characters) is refused.
  RegistrySettings refused(path + L"\\" + std::wstring(300, L'k'));
  try {
    refused.write("Text1", "0");
    ADD_FAILURE() << "the system took a 300-character key name";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), -1);
    EXPECT_FALSE(e.description().empty());
  }
}

// --- files, clock, locale ----------------------------------------------------

TEST_F(RegistryTest, PoliciesReadTextNumbersOtherKindsAndTheQueueUpToItsFirstGap) {
  using platform::PolicyScope;
  using Kind = platform::PolicyValue::Kind;
  RegistryPolicies policies(path);
  EXPECT_EQ(policies.read(PolicyScope::User, "Text1").kind, Kind::Absent);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const DWORD seven = 7;
  RegSetValueExW(key, L"Text1", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), sizeof seven);
  RegSetValueExW(key, L"Weekly", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Fr\u00fcday"), 14);
  RegSetValueExW(key, L"Option1", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1"), 1);
  HKEY queue = nullptr;
  RegCreateKeyExW(key, L"Queue", 0, nullptr, 0, KEY_WRITE, nullptr, &queue, nullptr);
  for (const wchar_t* name : {L"1", L"2", L"4"})
    RegSetValueExW(queue, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(name), 4);
  RegCloseKey(queue);
  RegCloseKey(key);
  EXPECT_EQ(policies.read(PolicyScope::User, "Text1"),
            (platform::PolicyValue{Kind::Number, {}, 7}));
  EXPECT_EQ(policies.read(PolicyScope::User, "Weekly").text, "Fr\u00fcday");
  EXPECT_EQ(policies.read(PolicyScope::User, "Option1").kind, Kind::Other);
  EXPECT_EQ(policies.queue(PolicyScope::User).size(), 2u);
  EXPECT_EQ(policies.read(PolicyScope::Machine, "Text1").kind, Kind::Absent);
}

TEST(Files, TheSettingsFileIsReplacedWholeThroughANewFile) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"tarnavel-settings-test.ini";
  DeleteFileW(path.c_str());
  SettingsFile file(path);
  EXPECT_EQ(file.read(), std::nullopt);
  file.replace("[Tarnavel]\r\nText1=5\r\n");
  file.replace("[Tarnavel]\r\nText1=9\r\n");
  EXPECT_EQ(file.read(), std::optional<std::string>("[Tarnavel]\r\nText1=9\r\n"));
  EXPECT_EQ(GetFileAttributesW((path + L".new").c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(path.c_str());
}

TEST(Files, TheProgramFolderIsTheExecutablesFolder) {
  FileSystem files;
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path = module;
  const std::string folder = files.programFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_EQ(widen(folder), path.substr(0, path.find_last_of(L'\\')));
  EXPECT_TRUE(files.hasModificationTime(narrow(path)));
  EXPECT_TRUE(files.isListedFile(narrow(path)));
  EXPECT_FALSE(files.isListedFile(folder));  // a folder is not a file
  EXPECT_FALSE(files.isListedFile(folder + "\\no-such-file.cjs"));
  EXPECT_FALSE(files.hasModificationTime(folder + "\\no-such-file.cjs"));
  EXPECT_FALSE(files.isListedFile(""));
}

TEST(Files, AHiddenFileIsNotListedButHasATime) {
  FileSystem files;
  const std::wstring path = tempFolder() + L"tarnavel-test-\u76E3\u8996.cjs";
  writeFile(path, "skin");
  EXPECT_TRUE(files.isListedFile(narrow(path)));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(files.isListedFile(narrow(path)));
  EXPECT_TRUE(files.hasModificationTime(narrow(path)));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

TEST(SystemClock, TheLocalClockReadsACalendarDate) {
  SystemClock clock;
  const LocalDateTime now = clock.now();
  EXPECT_GE(now.weekday, 0);
  EXPECT_LE(now.weekday, 6);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
}

TEST(Locale, EverySignAndSeparatorIsThere) {
  Locale locale;
  const NumberFormat numbers = locale.numberFormat();
  EXPECT_FALSE(numbers.decimal.empty());
  EXPECT_FALSE(numbers.minus.empty());
  EXPECT_FALSE(numbers.plus.empty());
  const TimeFormat time = locale.timeFormat();
  EXPECT_NE(time.pattern.find_first_of("hH"), std::string::npos);
}

}  // namespace
}  // namespace tarnavel::win32

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES |
                  ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&classes);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
  std::printf("%d passed, %d failed\n", unit.successful_test_count(), unit.failed_test_count());
  return result;
}
