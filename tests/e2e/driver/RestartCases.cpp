// A queued window whose program was killed: the row's command starts the
// program again at its turn, and the new window is switched to. The program
// is this driver's own "--samples" (three sample dashboards in a process of
// their own).
#include <windows.h>

#include <string>

#include "CaseSupport.h"
#include "Cases.h"

namespace e2e {
namespace {

constexpr wchar_t kSample[] = L"Production line 1";

// The sample window and its process, once one is open.
HWND sampleWindow(DWORD* process = nullptr) {
  const HWND w = FindWindowW(nullptr, kSample);
  if (w != nullptr && process != nullptr) GetWindowThreadProcessId(w, process);
  return w;
}

void endProcess(DWORD id) {
  if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
    TerminateProcess(p, 1);
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
  }
}

void restartCase(Ctx& ctx) {
  const std::wstring command = L"\"" + ctx.options().selfPath + L"\" --samples";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION first{};
  std::wstring line = command;
  ctx.require(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &first) != FALSE,
              "could not start the sample dashboards");
  CloseHandle(first.hThread);
  CloseHandle(first.hProcess);
  HWND before = nullptr;
  ctx.require(waitUntil([&] { return (before = sampleWindow()) != nullptr; }, 10000),
              "the sample dashboards did not open");
  settle();

  freshSettings(ctx);
  const std::pair<const wchar_t*, std::wstring> stored[] = {
      {kStartStop, L"On"},
      {L"Text1", L"0"},
      {L"Text2", L"0"},
      {L"Text3", L"2"},
      {kQueuedWindows, storedQueue({{handleText(before), kSample, L""}})},
      {L"Queued Window Commands", storedQueue({{handleText(before), kSample, command}})},
  };
  for (const auto& [key, value] : stored)
    ctx.require(writeSetting(key, value), "could not write " + quoted(key));
  auto s = startProgram(ctx);

  // The dashboards' program is killed: at the row's next turn the command
  // starts it again, and the new window is switched to.
  endProcess(first.dwProcessId);
  ctx.require(waitUntil([&] { return !IsWindow(before); }, 5000), "the dashboards did not end");
  HWND after = nullptr;
  ctx.check(
      waitUntil([&] { return (after = sampleWindow()) != nullptr && after != before; }, 10000),
      "the row's command did not start the dashboards again");
  ctx.check(waitUntil([&] { return after != nullptr && GetForegroundWindow() == after; }, 10000),
            "the new dashboard was not switched to");
  ctx.check(waitUntil([&] { return s->queue->text(0, 0) == handleText(after); }, 5000),
            "the queue row names " + utf8(s->queue->text(0, 0).value_or(L"nothing")) +
                ", not the new window");
  expectNoBox(ctx, *s, "after starting the dashboards again");
  closeProgram(ctx, *s, "after the restart");
  DWORD again = 0;
  if (sampleWindow(&again) != nullptr) endProcess(again);
}

}  // namespace

std::vector<Case> restartCases() {
  return {{"restart_program",
           "a queued window's program killed: its command starts it again, and it is switched to",
           restartCase}};
}

}  // namespace e2e
