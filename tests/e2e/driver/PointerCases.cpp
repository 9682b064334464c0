// The hover pointer of the real program, moved over by the real mouse.
//
// GetCursorInfo names the pointer of the foreground thread, across processes
// under Wine too, but the handle is the program's own: the arrow's differs
// from the driver's arrow, and another process cannot look inside it. So the
// case learns the program's arrow over its bare window and compares with it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "CaseSupport.h"
#include "Cases.h"
#include "form/Form1Layout.h"

namespace e2e {
namespace {

constexpr wchar_t kHandFile[] = L"HAND-M.CUR";

HCURSOR shownPointer() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

bool hot(HWND button) {
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutW(button, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 2000, &state)) return false;
  return (state & BST_HOT) != 0;
}

// A point of the bare window, between the left column and the lists.
void overBareWindow(HWND main) {
  const int dpi = static_cast<int>(dpiOf(main));
  POINT at{MulDiv(7980, dpi, 1440), MulDiv(3000, dpi, 1440)};
  ClientToScreen(main, &at);
  SetCursorPos(at.x, at.y);
}

struct Seen {
  HCURSOR arrow = nullptr;   // over the bare window
  HCURSOR button = nullptr;  // over "Refresh List"
};

// Starts the program at exe and moves the mouse over its bare window, over a
// button and back.
Seen hover(Ctx& ctx, const std::wstring& exe, const std::string& which) {
  // The mouse waits in a corner, off the window, so that the first pointer
  // the program shows is the one the move over its bare window asks for.
  const POINT corner{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  SetCursorPos(corner.x, corner.y);
  Session s;
  std::string error;
  s.app = AppUnderTest::start(exe, L"", kTitle, kStartTimeoutMs, error);
  ctx.require(s.app != nullptr, which + ": start: " + error);
  expectNoBox(ctx, s, which + ", after start-up");
  RECT frame{};
  GetWindowRect(s.main(), &frame);
  ctx.require(!PtInRect(&frame, corner), which + ": the window covers the screen's corner");
  SetForegroundWindow(s.main());
  ctx.require(waitUntil([&] { return GetForegroundWindow() == s.main(); }, kChangeTimeoutMs),
              which + ": the window did not come to the front");
  ctx.require(shownPointer() == nullptr,
              which + ": the program showed a pointer before the mouse came over it");

  Seen seen;
  overBareWindow(s.main());
  ctx.require(waitUntil([&] { return (seen.arrow = shownPointer()) != nullptr; }, kChangeTimeoutMs),
              which + ": no pointer over the bare window");
  // A button lights up on the mouse move whose pointer has just been chosen:
  // once it is lit, the pointer is what that move asked for.
  const HWND button = requireButton(ctx, s, kRefresh);
  RECT r{};
  GetWindowRect(button, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ctx.require(waitUntil([&] { return hot(button); }, kChangeTimeoutMs),
              which + ": \"Refresh List\" never lit up under the mouse");
  // The program's thread has finished with the move once it answers.
  sendWithTimeout(s.main(), WM_NULL, 0, 0);
  seen.button = shownPointer();
  ctx.note(which + ": arrow " + std::to_string(reinterpret_cast<std::uintptr_t>(seen.arrow)) +
           ", over the button " + std::to_string(reinterpret_cast<std::uintptr_t>(seen.button)) +
           ", foreground " + (GetForegroundWindow() == s.main() ? "the window" : "another"));
  // Back over the bare window, the arrow again.
  overBareWindow(s.main());
  ctx.check(waitUntil([&] { return shownPointer() == seen.arrow; }, kChangeTimeoutMs),
            which + ": back over the bare window, the pointer is not the arrow");
  closeProgram(ctx, s, which);
  return seen;
}

void hoverPointerCase(Ctx& ctx) {
  freshSettings(ctx);
  const std::wstring& exe = ctx.options().appPath;
  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
  ctx.require(GetFileAttributesW((folder + kHandFile).c_str()) != INVALID_FILE_ATTRIBUTES,
              "no HAND-M.CUR beside " + utf8(exe));
  const Seen with = hover(ctx, exe, "with HAND-M.CUR");
  ctx.check(with.button != nullptr && with.button != with.arrow,
            "with HAND-M.CUR, the pointer over a button is the arrow");

  // The same program alone in a folder of its own.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring bare =
      std::wstring(temp) + L"tarnavel-e2e-no-hand-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring copy = bare + L"\\tarnavel.exe";
  CreateDirectoryW(bare.c_str(), nullptr);
  ctx.atEnd([bare, copy] {
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(bare.c_str());
  });
  ctx.require(CopyFileW(exe.c_str(), copy.c_str(), FALSE) != FALSE,
              "could not copy the program to " + utf8(bare));
  const Seen without = hover(ctx, copy, "without HAND-M.CUR");
  ctx.check(without.button == without.arrow,
            "without HAND-M.CUR, the pointer over a button is not the arrow");
}

}  // namespace

std::vector<Case> pointerCases() {
  return {{"hover_pointer",
           "the hand over a button with HAND-M.CUR beside the program, the arrow "
           "without it",
           hoverPointerCase}};
}

}  // namespace e2e
