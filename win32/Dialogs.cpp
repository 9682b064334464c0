#include "win32/Dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Errors.h"
#include "switching/Unattended.h"
#include "win32/Fonts.h"
#include "win32/MainWindow.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

// --- an in-memory dialog template (DLGTEMPLATEEX) ----------------------------

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

constexpr int kPromptId = 100;
constexpr int kEditId = 101;

class TemplateWriter {
 public:
  void word(WORD value) { raw(&value, sizeof(value)); }
  void dword(DWORD value) { raw(&value, sizeof(value)); }
  void shortValue(short value) { raw(&value, sizeof(value)); }
  void byte(BYTE value) { raw(&value, sizeof(value)); }
  void text(std::wstring_view value) {
    raw(value.data(), value.size() * sizeof(wchar_t));
    word(0);
  }
  void alignDword() {
    while (bytes_.size() % 4 != 0)
      bytes_.push_back(0);
  }
  // The template must be DWORD-aligned in memory: copy it into DWORDs.
  std::vector<DWORD> finish() const {
    std::vector<DWORD> out((bytes_.size() + 3) / 4, 0);
    std::memcpy(out.data(), bytes_.data(), bytes_.size());
    return out;
  }

 private:
  void raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  std::vector<BYTE> bytes_;
};

struct Item {
  WORD atom;
  int id;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;  // dialog units
  const wchar_t* text = L"";
};

// The layout in dialog units before the prompt is measured: the prompt at the
// top left, OK and Cancel at the right, the edit box along the bottom.
constexpr short kDialogWidth = 260;
constexpr short kDialogHeight = 78;
constexpr Item kItems[] = {
    {kStaticAtom, kPromptId, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 7, 7, 188, 40},
    {kEditAtom, kEditId, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 7, 57, 246, 14},
    {kButtonAtom, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 203, 7, 50, 14, L"OK"},
    {kButtonAtom, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, 203, 25, 50, 14, L"Cancel"},
};

// The Options box: its choices in tab order, then the log's folder and
// Close, the default button.
constexpr int kPauseId = 200;
constexpr int kResumeLabelId = 201;
constexpr int kResumeId = 202;
constexpr int kResumeUnitId = 203;
constexpr int kFindId = 204;
constexpr int kSkipId = 205;
constexpr int kKeepDisplayId = 206;
constexpr int kHoursId = 207;
constexpr int kFromId = 208;
constexpr int kAndId = 209;
constexpr int kToId = 210;
constexpr int kOnId = 211;
constexpr int kFirstDayId = 212;  // Monday .. Sunday: 212 .. 218
constexpr int kLogInsteadId = 220;
constexpr int kLogSwitchesId = 221;
constexpr int kLogFolderId = 222;
constexpr int kEachDisplayId = 223;
constexpr short kOptionsWidth = 250;
constexpr short kOptionsHeight = 198;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kTimeEdit = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr Item kOptionItems[] = {
    {kButtonAtom, kPauseId, kCheck, 0, 7, 7, 236, 12,
     L"Pause switching while the computer is in use"},
    {kStaticAtom, kResumeLabelId, kLabel, 0, 19, 25, 44, 9, L"Resume after"},
    {kEditAtom, kResumeId, ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 64,
     23, 28, 13},
    {kStaticAtom, kResumeUnitId, kLabel, 0, 96, 25, 140, 9, L"seconds without input"},
    {kButtonAtom, kFindId, kCheck, 0, 7, 42, 236, 12,
     L"Find a queued window again when its program reopens it"},
    {kButtonAtom, kSkipId, kCheck, 0, 7, 58, 236, 12,
     L"Go straight on when a queued window cannot be found"},
    {kButtonAtom, kKeepDisplayId, kCheck, 0, 7, 74, 236, 12,
     L"Keep the display on while switching"},
    {kButtonAtom, kHoursId, kCheck, 0, 7, 91, 90, 12, L"Switch only between"},
    {kEditAtom, kFromId, kTimeEdit, WS_EX_CLIENTEDGE, 98, 90, 28, 13},
    {kStaticAtom, kAndId, kLabel, 0, 130, 92, 16, 9, L"and"},
    {kEditAtom, kToId, kTimeEdit, WS_EX_CLIENTEDGE, 148, 90, 28, 13},
    {kStaticAtom, kOnId, kLabel, 0, 180, 92, 30, 9, L"on"},
    {kButtonAtom, kFirstDayId + 0, kCheck, 0, 19, 107, 30, 12, L"Mon"},
    {kButtonAtom, kFirstDayId + 1, kCheck, 0, 51, 107, 30, 12, L"Tue"},
    {kButtonAtom, kFirstDayId + 2, kCheck, 0, 83, 107, 30, 12, L"Wed"},
    {kButtonAtom, kFirstDayId + 3, kCheck, 0, 115, 107, 30, 12, L"Thu"},
    {kButtonAtom, kFirstDayId + 4, kCheck, 0, 147, 107, 30, 12, L"Fri"},
    {kButtonAtom, kFirstDayId + 5, kCheck, 0, 179, 107, 30, 12, L"Sat"},
    {kButtonAtom, kFirstDayId + 6, kCheck, 0, 211, 107, 30, 12, L"Sun"},
    {kButtonAtom, kLogInsteadId, kCheck, 0, 7, 126, 236, 12,
     L"Write problems to the log without showing a box"},
    {kButtonAtom, kLogSwitchesId, kCheck, 0, 7, 142, 236, 12, L"Also log every switch"},
    {kButtonAtom, kEachDisplayId, kCheck, 0, 7, 158, 236, 12, L"Switch each display on its own"},
    {kButtonAtom, kLogFolderId, BS_PUSHBUTTON | WS_TABSTOP, 0, 7, 177, 80, 14, L"Open Log Folder"},
    {kButtonAtom, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 193, 177, 50, 14, L"Close"},
};
// The day of each box, Monday first, as a bit of SwitchHours::days (0 =
// Sunday).
constexpr int kDayBits[] = {1, 2, 3, 4, 5, 6, 0};

template <std::size_t N>
std::vector<DWORD> dialogTemplate(bool standalone, short width, short height,
                                  const Item (&items)[N]) {
  // The dialog takes the system's message font, by name and size at 96 DPI;
  // the dialog manager scales it for the monitor.
  const LOGFONTW font = messageFont(96);
  const int points =
      std::max(1, MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, 72, 96));

  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER |
                DS_SETFOREGROUND;
  const DWORD exStyle = standalone ? WS_EX_APPWINDOW : 0;
  TemplateWriter t;
  t.word(1);       // dlgVer
  t.word(0xFFFF);  // signature: extended template
  t.dword(0);      // helpID
  t.dword(exStyle);
  t.dword(style);
  t.word(static_cast<WORD>(N));
  t.shortValue(0);
  t.shortValue(0);
  t.shortValue(width);
  t.shortValue(height);
  t.word(0);    // no menu
  t.word(0);    // the standard dialog class
  t.text(L"");  // the title is set when the box opens
  t.word(static_cast<WORD>(points));
  t.word(static_cast<WORD>(font.lfWeight));
  t.byte(font.lfItalic);
  t.byte(font.lfCharSet);
  t.text(font.lfFaceName);
  for (const Item& item : items) {
    t.alignDword();
    t.dword(0);  // helpID
    t.dword(item.exStyle);
    t.dword(WS_CHILD | WS_VISIBLE | item.style);
    t.shortValue(item.x);
    t.shortValue(item.y);
    t.shortValue(item.cx);
    t.shortValue(item.cy);
    t.dword(static_cast<DWORD>(item.id));
    t.word(0xFFFF);
    t.word(item.atom);
    t.text(item.text);
    t.word(0);  // no creation data
  }
  return t.finish();
}

std::vector<DWORD> inputTemplate(bool standalone) {
  return dialogTemplate(standalone, kDialogWidth, kDialogHeight, kItems);
}

struct InputState {
  std::wstring title;
  std::wstring prompt;
  std::wstring preset;
  std::optional<std::string> answer;
};

RECT childRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The height the prompt needs at its width, in the dialog's font.
int promptHeight(HWND prompt, const std::wstring& text, int width) {
  if (text.empty()) return 0;
  const HDC dc = GetDC(prompt);
  if (dc == nullptr) return 0;
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(prompt, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_EXPANDTABS);
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(prompt, dc);
  return r.bottom - r.top;
}

// Makes room for the whole prompt: the edit box moves down below it and the
// box grows, then the box is centred on its monitor again.
void arrange(HWND dialog, const std::wstring& prompt) {
  RECT margin{0, 0, 7, 7};
  MapDialogRect(dialog, &margin);
  HMONITOR monitor = MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  const RECT work = info.rcWork;

  const RECT promptRect = childRect(dialog, kPromptId);
  const RECT cancel = childRect(dialog, IDCANCEL);
  RECT edit = childRect(dialog, kEditId);
  RECT client{};
  GetClientRect(dialog, &client);

  const int most = (work.bottom - work.top) / 2;
  const int needed = std::min(most, promptHeight(GetDlgItem(dialog, kPromptId), prompt,
                                                 promptRect.right - promptRect.left));
  const int promptBottom =
      promptRect.top + std::max<int>(needed, promptRect.bottom - promptRect.top);
  SetWindowPos(GetDlgItem(dialog, kPromptId), nullptr, 0, 0, promptRect.right - promptRect.left,
               promptBottom - promptRect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const int editTop =
      std::max<int>(edit.top, std::max<int>(promptBottom, cancel.bottom) + margin.bottom);
  const int editHeight = edit.bottom - edit.top;
  SetWindowPos(GetDlgItem(dialog, kEditId), nullptr, edit.left, editTop, edit.right - edit.left,
               editHeight, SWP_NOZORDER | SWP_NOACTIVATE);

  const int clientHeight = std::max<int>(client.bottom, editTop + editHeight + margin.bottom);
  RECT frame{0, 0, client.right, clientHeight};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)),
                           GetDpiForWindow(dialog));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x =
      static_cast<int>(work.left) + std::max<int>(0, ((work.right - work.left) - width) / 2);
  const int y = work.top + std::max<int>(0, ((work.bottom - work.top) - height) / 2);
  SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK inputProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
      case WM_INITDIALOG: {
        state = reinterpret_cast<InputState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetWindowTextW(dialog, state->title.c_str());
        SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
        SetDlgItemTextW(dialog, kEditId, state->preset.c_str());
        arrange(dialog, state->prompt);
        const HWND edit = GetDlgItem(dialog, kEditId);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;  // the focus is set
      }
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && state != nullptr) {
          state->answer = windowText(GetDlgItem(dialog, kEditId));
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        break;
      default: break;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

struct OptionsState {
  std::wstring title;
  UnattendedChoices choices;
  ChoiceLocks locked;
  const std::function<void(const UnattendedChoices&)>* changed;
  const std::function<void()>* openLogFolder;
  bool filling = true;
  HWND tooltip = nullptr;  // destroyed with the box, its owner
};

// The ids of the controls a lock covers.
std::vector<int> lockedIds(const ChoiceLocks& locked) {
  std::vector<int> ids;
  const auto add = [&](bool on, std::initializer_list<int> these) {
    if (on) ids.insert(ids.end(), these);
  };
  add(locked.pauseWhenInUse, {kPauseId});
  add(locked.resumeAfter, {kResumeLabelId, kResumeId, kResumeUnitId});
  add(locked.findReopened, {kFindId});
  add(locked.skipMissing, {kSkipId});
  add(locked.keepDisplayOn, {kKeepDisplayId});
  add(locked.hours, {kHoursId, kFromId, kAndId, kToId, kOnId});
  if (locked.hours) {
    for (int k = 0; k < 7; ++k)
      ids.push_back(kFirstDayId + k);
  }
  add(locked.logInsteadOfBoxes, {kLogInsteadId});
  add(locked.logSwitches, {kLogSwitchesId});
  add(locked.eachDisplay, {kEachDisplayId});
  return ids;
}

// Disables the locked choices and puts their tip over them. A disabled
// control gets no mouse messages (they go to the box), so each tip covers
// its control's place in the box rather than the control.
void lockChoices(HWND dialog, OptionsState& state) {
  const auto ids = lockedIds(state.locked);
  if (ids.empty()) return;
  state.tooltip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, nullptr, nullptr);
  std::wstring tip = widen(state.locked.tip);
  for (const int id : ids) {
    const HWND control = GetDlgItem(dialog, id);
    EnableWindow(control, FALSE);
    if (state.tooltip == nullptr) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = static_cast<UINT_PTR>(id);
    GetWindowRect(control, &tool.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tool.rect), 2);
    tool.lpszText = tip.data();
    SendMessageW(state.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

bool checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// The seconds typed, when they are a whole number in range.
std::optional<int> typedSeconds(HWND dialog) {
  const std::string text = windowText(GetDlgItem(dialog, kResumeId));
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < kResumeAfterMin || value > kResumeAfterMax) return std::nullopt;
  return value;
}

// "HH:MM" typed, as minutes after midnight: the stored span's own form.
std::optional<int> typedTime(HWND dialog, int id) {
  return minutesFrom(windowText(GetDlgItem(dialog, id)));
}

std::wstring timeText(int minutes) {
  return widen(minutesText(minutes));
}

// The times and days take part only with the switching hours chosen (and
// not locked).
void enableHours(HWND dialog, bool on) {
  const auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (state != nullptr && state->locked.hours) on = false;
  for (const int id : {kFromId, kAndId, kToId, kOnId})
    EnableWindow(GetDlgItem(dialog, id), on);
  for (int k = 0; k < 7; ++k)
    EnableWindow(GetDlgItem(dialog, kFirstDayId + k), on);
}

void check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR CALLBACK optionsProcedure(HWND dialog, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
  try {
    auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
      case WM_INITDIALOG: {
        state = reinterpret_cast<OptionsState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetWindowTextW(dialog, state->title.c_str());
        const UnattendedChoices& c = state->choices;
        CheckDlgButton(dialog, kPauseId, c.pauseWhenInUse ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextW(dialog, kResumeId, std::to_wstring(c.resumeAfterSeconds).c_str());
        SendDlgItemMessageW(dialog, kResumeId, EM_LIMITTEXT, 4, 0);
        CheckDlgButton(dialog, kFindId, c.findReopened ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kSkipId, c.skipMissing ? BST_CHECKED : BST_UNCHECKED);
        check(dialog, kKeepDisplayId, c.keepDisplayOn);
        check(dialog, kHoursId, c.hours.on);
        SetDlgItemTextW(dialog, kFromId, timeText(c.hours.from).c_str());
        SetDlgItemTextW(dialog, kToId, timeText(c.hours.to).c_str());
        SendDlgItemMessageW(dialog, kFromId, EM_LIMITTEXT, 5, 0);
        SendDlgItemMessageW(dialog, kToId, EM_LIMITTEXT, 5, 0);
        for (int k = 0; k < 7; ++k) {
          check(dialog, kFirstDayId + k, (c.hours.days & (1u << kDayBits[k])) != 0);
        }
        enableHours(dialog, c.hours.on);
        check(dialog, kLogInsteadId, c.logInsteadOfBoxes);
        check(dialog, kLogSwitchesId, c.logSwitches);
        check(dialog, kEachDisplayId, c.switchEachDisplay);
        lockChoices(dialog, *state);
        state->filling = false;
        return TRUE;  // the focus goes to the first choice
      }
      case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
          EndDialog(dialog, id);
          return TRUE;
        }
        if (state == nullptr || state->filling) break;
        if (id == kLogFolderId && code == BN_CLICKED) {
          (*state->openLogFolder)();
          return TRUE;
        }
        UnattendedChoices next = state->choices;
        const bool aDay = id >= kFirstDayId && id < kFirstDayId + 7;
        if (code == BN_CLICKED &&
            (id == kPauseId || id == kFindId || id == kSkipId || id == kKeepDisplayId ||
             id == kHoursId || aDay || id == kLogInsteadId || id == kLogSwitchesId ||
             id == kEachDisplayId)) {
          next.pauseWhenInUse = checked(dialog, kPauseId);
          next.findReopened = checked(dialog, kFindId);
          next.skipMissing = checked(dialog, kSkipId);
          next.keepDisplayOn = checked(dialog, kKeepDisplayId);
          next.hours.on = checked(dialog, kHoursId);
          next.hours.days = 0;
          for (int k = 0; k < 7; ++k) {
            if (checked(dialog, kFirstDayId + k)) next.hours.days |= 1u << kDayBits[k];
          }
          next.logInsteadOfBoxes = checked(dialog, kLogInsteadId);
          next.logSwitches = checked(dialog, kLogSwitchesId);
          next.switchEachDisplay = checked(dialog, kEachDisplayId);
          if (id == kHoursId) enableHours(dialog, next.hours.on);
        } else if (code == EN_CHANGE && (id == kFromId || id == kToId)) {
          // A time that does not read is not taken; the stored one stays.
          const auto minutes = typedTime(dialog, id);
          if (!minutes) break;
          (id == kFromId ? next.hours.from : next.hours.to) = *minutes;
        } else if (code == EN_KILLFOCUS && (id == kFromId || id == kToId) &&
                   !typedTime(dialog, id)) {
          state->filling = true;
          const int minutes = id == kFromId ? state->choices.hours.from : state->choices.hours.to;
          SetDlgItemTextW(dialog, id, timeText(minutes).c_str());
          state->filling = false;
          break;
        } else if (code == EN_CHANGE && id == kResumeId) {
          // A number out of range is not taken; the stored one stays.
          if (const auto seconds = typedSeconds(dialog)) next.resumeAfterSeconds = *seconds;
        } else if (code == EN_KILLFOCUS && id == kResumeId && !typedSeconds(dialog)) {
          state->filling = true;
          SetDlgItemTextW(dialog, kResumeId,
                          std::to_wstring(state->choices.resumeAfterSeconds).c_str());
          state->filling = false;
          break;
        } else {
          break;
        }
        if (next == state->choices) break;
        state->choices = next;
        (*state->changed)(next);
        return TRUE;
      }
      default: break;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

HWND Dialogs::owner() const {
  const HWND main = owner_.window();
  return main != nullptr && IsWindowVisible(main) ? main : nullptr;
}

int Dialogs::popupMenu(const std::vector<std::string>& items) {
  const HWND main = owner_.window();
  const MenuHandle menu(CreatePopupMenu());
  if (!menu || main == nullptr) return 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    AppendMenuW(menu.get(), MF_STRING, i + 1, widen(items[i]).c_str());
  }
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only while its owner is
  // the foreground window; the null message lets the next click through.
  SetForegroundWindow(main);
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, main, nullptr));
  PostMessageW(main, WM_NULL, 0, 0);
  return chosen;
}

int Dialogs::messageBox(std::string_view text, int style, std::string_view title) {
  const HWND parent = owner();
  UINT flags = static_cast<UINT>(style);
  // Without a window on screen to belong to (the program is in the tray),
  // the box stands alone, comes to the front and holds the whole program.
  if (parent == nullptr) flags |= MB_TASKMODAL | MB_SETFOREGROUND;
  return MessageBoxW(parent, widen(text).c_str(), widen(title).c_str(), flags);
}

std::optional<std::string> Dialogs::inputBox(std::string_view prompt, std::string_view title,
                                             std::string_view preset) {
  const HWND parent = owner();
  InputState state{widen(title), widen(prompt), widen(preset), std::nullopt};
  const std::vector<DWORD> dialog = inputTemplate(parent == nullptr);
  const INT_PTR result =
      DialogBoxIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), parent,
                              &inputProcedure, reinterpret_cast<LPARAM>(&state));
  if (result == -1) throw AppError::system(systemMessage(GetLastError()));
  if (result != IDOK) return std::nullopt;
  return state.answer;
}

void Dialogs::optionsBox(std::string_view title, const UnattendedChoices& current,
                         const ChoiceLocks& locked,
                         const std::function<void(const UnattendedChoices&)>& changed,
                         const std::function<void()>& openLogFolder) {
  const HWND parent = owner();
  OptionsState state{widen(title), current, locked, &changed, &openLogFolder};
  const std::vector<DWORD> dialog =
      dialogTemplate(parent == nullptr, kOptionsWidth, kOptionsHeight, kOptionItems);
  const INT_PTR result =
      DialogBoxIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), parent,
                              &optionsProcedure, reinterpret_cast<LPARAM>(&state));
  if (result == -1) throw AppError::system(systemMessage(GetLastError()));
}

}  // namespace tarnavel::win32
