// Every window message of the program's own, numbered in one place, and the
// names of the messages the system registers for us.
#pragma once

#include <windows.h>

namespace tarnavel::win32 {

// A text box's focus change, posted so that it reaches the logic once the
// move is complete. wParam: the Ctl; lParam: 1 gained, 0 lost.
inline constexpr UINT kFocusMessage = WM_APP + 1;
// Sent by a control the program gives the focus to. wParam: its window.
inline constexpr UINT kFocusFromCodeMessage = WM_APP + 2;
// Posted by the keyboard hook: toggle monitoring, outside the hook.
inline constexpr UINT kToggleMessage = WM_APP + 3;
// Posted by the message loop: run the tasks the logic posted.
inline constexpr UINT kRunPostedMessage = WM_APP + 4;
// The tray icon's callback: the icon id in wParam, the notification in lParam.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 101;  // 1125
static_assert(kTrayCallbackMessage == 1125);

// The items the program adds to the main window's system menu. The system
// keeps the low four bits of a WM_SYSCOMMAND and its own commands from
// 0xF000 on, so these are multiples of 16 below that.
inline constexpr UINT kMenuOptions = 0x0110;
inline constexpr UINT kMenuAbout = 0x0120;

// The main window's class: a second start in the session finds the running
// copy by it.
inline constexpr wchar_t kMainWindowClass[] = L"Tarnavel.Form1";
// The message-only window a second start takes the running copy's answer in.
inline constexpr wchar_t kAnswerWindowClass[] = L"Tarnavel.Answer";
// Held by the session's running copy for its whole life. "Local\" is the
// session's own namespace, which no other session sees.
inline constexpr wchar_t kSessionLockName[] = L"Local\\Kestrine.Tarnavel.Running";

// Broadcast to top-level windows when the taskbar (re)starts.
inline constexpr wchar_t kTaskbarCreatedName[] = L"TaskbarCreated";

}  // namespace tarnavel::win32
