// What the end-to-end cases share: the program's texts, one running program
// with its two lists, and the checks and actions the cases are made of.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppUnderTest.h"
#include "Harness.h"
#include "Registry.h"
#include "RemoteList.h"
#include "Targets.h"
#include "Text.h"

namespace e2e {

// --- what the program shows ------------------------------------------------

inline constexpr wchar_t kTitle[] = L"Tarnavel";
inline constexpr wchar_t kQueuedWindows[] = L"Queued Windows";
inline constexpr wchar_t kAvailableHeader[] =
    L"Available Applications (Double-click item to add to Queue below)";
inline const std::vector<std::wstring> kQueueHeaders = {
    L"Handle", L"Queue (Double-click item to remove it)", L"Status", L"Time Before Switch"};

inline constexpr wchar_t kTurnOn[] = L"Turn On";
inline constexpr wchar_t kTurnOff[] = L"Turn Off";
inline constexpr wchar_t kStartStop[] = L"StartStopState";
inline constexpr wchar_t kHelp[] = L"Help";
inline constexpr wchar_t kAdd[] = L"Add Selected To Queue";
inline constexpr wchar_t kRefresh[] = L"Refresh List";
inline constexpr wchar_t kListHelp[] = L"?";
inline constexpr wchar_t kDelete[] = L"Delete Selected Item From Queue";
inline constexpr wchar_t kClearInvalid[] = L"Clear Invalid";
inline constexpr wchar_t kClearAll[] = L"Clear All";
inline constexpr wchar_t kEditTime[] = L"Edit 'Time Before Switch' For Selected Item";

inline constexpr wchar_t kAlreadyQueued[] = L"This window is already in the queue.";
inline constexpr wchar_t kQueueEmpty[] =
    L"Please add items to the 'Queue' list below before turning on.";
inline constexpr wchar_t kAvailableHelpText[] =
    L"This is the list of windows to potentially switch between. Add them to the Queue below to "
    L"actually switch between them.";
inline constexpr wchar_t kQueueHelpText[] =
    L"This is the list of windows that will actually be switched between.\r\n\r\n"
    L"The selected / highlighted item indicates which window has been switched to last.\r\n\r\n"
    L"The Status column displays Valid if the window is still open and Invalid if the window has "
    L"been closed (and can no longer be switched to).";
inline constexpr wchar_t kHelpText[] =
    L"This software sometimes cannot find non-traditional apps and therefore they will not appear "
    L"in the 'Available Applications' list.\r\n\r\n"
    L"These unfindable apps usually look different and do not have a traditional window title "
    L"bar, minimize, maximize and close buttons.\r\n\r\n"
    L"Some apps such as games, video players can not be found.\r\r"
    L"Questions? Please contact Team Kestrine at http://www.kestrine.example/contact/";

inline constexpr wchar_t kValid[] = L"Valid";
inline constexpr wchar_t kInvalid[] = L"Invalid";

inline constexpr int kStartTimeoutMs = 20000;
inline constexpr int kCloseTimeoutMs = 10000;
inline constexpr int kChangeTimeoutMs = 3000;
inline constexpr int kXdotoolTimeoutMs = 10000;  // one run of xdotool
inline constexpr int kBoxTimeoutMs = 5000;
// A click that fills a list of 1001 rows takes a while on a busy machine.
inline constexpr int kClickTimeoutMs = 20000;
// How long to wait for something that must not happen.
inline constexpr int kQuietMs = 400;

using Rows = std::vector<std::vector<std::wstring>>;

std::string show(const std::vector<std::wstring>& items);

std::string show(const Rows& rows);

// Where two lists of titles part: their sizes and the first difference.
std::string difference(const std::vector<std::wstring>& got, const std::vector<std::wstring>& want);

std::string show(const std::optional<std::wstring>& v);

// A queue row as the program should show it: handle text, title, status, time.
std::vector<std::wstring> row(HWND window, const std::wstring& title, const wchar_t* status);

struct Session {
  std::unique_ptr<AppUnderTest> app;
  std::unique_ptr<RemoteListView> available;
  std::unique_ptr<RemoteListView> queue;

  HWND main() const { return app->main(); }
};

// Starts the program and finds its two lists; ends the case when it cannot.
// The boxes shown during start-up are answered with OK; they are failures
// unless the caller takes them (startupBoxes). args is the command line after
// the program's name.
std::unique_ptr<Session> startProgram(Ctx& ctx, std::vector<MessageBoxInfo>* startupBoxes = nullptr,
                                      int timeoutMs = kStartTimeoutMs, bool mayBeHidden = false,
                                      const std::wstring& args = L"");

// Fails for every message box the program shows now and answers it.
void expectNoBox(Ctx& ctx, Session& s, const std::string& when);

// Asks the program to close, as its close box would, and checks that it ends.
void closeProgram(Ctx& ctx, Session& s, const std::string& when);

HWND requireButton(Ctx& ctx, Session& s, const wchar_t* caption);

// Clicks a button and waits until the program has taken the click: what
// the driver does next cannot overtake it.
void click(Ctx& ctx, Session& s, HWND button);

void press(Ctx& ctx, Session& s, const wchar_t* caption);

// The two "?" buttons: the upper one belongs to the available list, the
// lower one to the queue.
std::pair<HWND, HWND> helpButtons(Ctx& ctx, Session& s);

Rows queueRows(Ctx& ctx, Session& s);

std::vector<std::wstring> availableTitles(Ctx& ctx, Session& s);

// Waits until the queue shows exactly expected; records a failure otherwise.
bool expectQueue(Ctx& ctx, Session& s, const Rows& expected, const std::string& when);

// Waits until "Queued Windows" holds exactly the stored form of rows.
bool expectStored(Ctx& ctx, const std::vector<QueueRow>& rows, const std::string& when);

QueueRow stored(HWND window, const std::wstring& title);

// The row of the available list that shows title; ends the case when there
// is none or more than one.
int availableRow(Ctx& ctx, Session& s, const std::wstring& title);

// Selects a row of the available list and presses "Add Selected To Queue".
void addByButton(Ctx& ctx, Session& s, int availableIndex);

void addByButton(Ctx& ctx, Session& s, const std::wstring& title);

// Waits for a message box of the program and checks the common form of its
// boxes: caption, owner, a lone OK button, no icon.
std::optional<MessageBoxInfo> expectBox(Ctx& ctx, Session& s, const std::wstring& text,
                                        const std::string& when);

// The titles of the driver's own windows that qualify for the list, in Z order.
std::vector<std::wstring> qualifyingInZOrder(const std::vector<HWND>& mine, HWND programMain);

// Every window on the desktop that qualifies, in Z order.
std::vector<std::wstring> allQualifyingInZOrder(HWND programMain);

// Waits until the Z order of the desktop has settled (the window manager may
// still be placing and focusing new windows).
void settle();

std::unique_ptr<TargetHost> targetHost(Ctx& ctx);

// Collects the switches (band entries) until count have come or timeoutMs
// have passed, calling watch() every 20 ms meanwhile.
std::vector<BandEntry> collectSwitches(size_t count, int timeoutMs,
                                       const std::function<void()>& watch = {});

// The switches as "[target 1, target 2, ...]", numbered as in targets.
std::string names(const std::vector<BandEntry>& seen, const std::vector<HWND>& targets);

std::vector<HWND> windowsOf(const std::vector<BandEntry>& seen);

HWND target(Ctx& ctx, TargetHost& host, const std::wstring& title,
            TargetKind kind = TargetKind::Normal);

void freshSettings(Ctx& ctx);

// The program's active window and focus, as its thread sees them.
GUITHREADINFO threadInfo(Session& s);

// Brings the main window to the front. Focus events count only while it is
// active, as the user's do.
void toFront(Ctx& ctx, Session& s);

// A click of the mouse into a control, which gives it the focus.
void clickInto(Ctx& ctx, Session& s, HWND control);

// A key pressed and let go on the control that has the focus.
void pressKey(Ctx& ctx, Session& s, HWND control, WORD key);

// The screenshot is taken by the runner: the driver asks with a file and
// waits for the answer file. (scripts/run --demo takes the first request as
// the start of its recording and the second as its end.)
void screenshot(Ctx& ctx, Session& s);

// The DPI the program's window was laid out for.
UINT dpiOf(HWND window);

// The buttons and lists sit where the layout table puts them, converted from
// twips at the window's DPI; the columns have their widths.
void checkLayout(Ctx& ctx, Session& s);

// The frame whose caption is the status line ("Off." or "On. ...").
HWND statusFrame(Ctx& ctx, Session& s);

// Opens n targets (of kind) titled name followed by 1 .. n, refreshes the available
// list and queues them in that order with the add button.
std::vector<HWND> queueTargets(Ctx& ctx, Session& s, TargetHost& host, int n,
                               const std::wstring& name, TargetKind kind = TargetKind::Normal);

// Runs xdotool with these arguments; the case ends if it fails.
void runXdotool(Ctx& ctx, const std::vector<std::string>& args);

}  // namespace e2e
