// The end-to-end cases of the command line: a script runs tarnavel.exe with a
// command beside the running copy and reads its answer from the pipes and its
// exit status; a start with --on when none runs; and requests of our kind
// sent straight to the main window with payloads no second start would send.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CaseSupport.h"
#include "Cases.h"

namespace e2e {
namespace {

constexpr ULONG_PTR kRequestKind = 0x54524E01;
constexpr wchar_t kMainClass[] = L"Tarnavel.Form1";
constexpr char kNotRunning[] = "Tarnavel is not running in this session.\n";
// How long a command may take, start to end.
constexpr DWORD kCommandTimeoutMs = 10000;

struct CommandResult {
  bool ended = false;
  DWORD exitCode = 0;
  std::string out, err;  // with the lines' CR LF read as LF
  bool crlf = true;      // every line ended with CR LF, as a Windows program's
};

// A pipe whose write end the child inherits and whose read end a thread of
// ours reads to its end.
class Pipe {
 public:
  bool open() {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreatePipe(&read_, &write_, &sa, 0) &&
           SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
  }
  HANDLE writeEnd() const { return write_; }
  // Once the child has its copy: the pipe ends when the child's does.
  void closeWriteEnd() {
    if (write_) CloseHandle(write_);
    write_ = nullptr;
  }
  void startReading() {
    reader_ = std::thread([this] {
      char buf[4096];
      DWORD got = 0;
      while (ReadFile(read_, buf, sizeof buf, &got, nullptr) && got > 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        text_.append(buf, got);
      }
    });
  }
  // What has come so far.
  std::string text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }
  void join() {
    if (reader_.joinable()) reader_.join();
  }
  ~Pipe() {
    closeWriteEnd();
    join();
    if (read_) CloseHandle(read_);
  }

 private:
  HANDLE read_ = nullptr, write_ = nullptr;
  std::mutex mutex_;
  std::string text_;
  std::thread reader_;
};

// tarnavel.exe run with arguments as a script runs it, its output and its
// errors on pipes. Ended at the latest when this goes.
class Command {
 public:
  // program: another program than tarnavel.exe, run in tarnavel.exe's folder.
  Command(Ctx& ctx, const std::wstring& args, const std::wstring& program = L"") {
    const std::wstring& app = ctx.options().appPath;
    const std::wstring exe = program.empty() ? app : program;
    std::wstring command = L"\"" + exe + L"\" " + args;
    const std::wstring dir = app.substr(0, app.find_last_of(L"\\/"));
    ctx.require(out_.open() && err_.open(), "could not make the pipes");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out_.writeEnd();
    si.hStdError = err_.writeEnd();
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, dir.c_str(), &si, &pi) != FALSE;
    const DWORD error = GetLastError();
    out_.closeWriteEnd();
    err_.closeWriteEnd();
    ctx.require(started,
                "could not run " + quoted(args) + " (error " + std::to_string(error) + ")");
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    out_.startReading();
    err_.startReading();
  }
  ~Command() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  DWORD pid() const { return pid_; }
  std::string errorsSoFar() { return err_.text(); }

  // Waits for the end (ending it after timeoutMs) and reads the pipes to theirs.
  CommandResult finish(DWORD timeoutMs) {
    CommandResult r;
    r.ended = WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    if (!r.ended) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    GetExitCodeProcess(process_, &r.exitCode);
    out_.join();
    err_.join();
    r.out = out_.text();
    r.err = err_.text();
    return r;
  }

 private:
  Pipe out_, err_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Runs tarnavel.exe with these arguments as a script would and waits for it
// to end.
// The output read line by line: CR LF becomes LF, and whether every line
// ended so is noted.
CommandResult inLines(CommandResult r) {
  for (std::string* text : {&r.out, &r.err}) {
    std::string lf;
    for (std::size_t i = 0; i < text->size(); ++i) {
      const char c = (*text)[i];
      if (c == '\n' && (i == 0 || (*text)[i - 1] != '\r')) r.crlf = false;
      if (c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') continue;
      lf += c;
    }
    *text = std::move(lf);
  }
  return r;
}

CommandResult runCommand(Ctx& ctx, const std::wstring& args) {
  return inLines(Command(ctx, args).finish(kCommandTimeoutMs));
}

std::string quotedBytes(const std::string& s) {
  return quoted(wide(s));
}

// Runs a command and checks its exit status, its output and its errors
// ("*" in out or err: anything).
CommandResult expectCommand(Ctx& ctx, const std::wstring& args, DWORD status,
                            const std::string& out, const std::string& err) {
  CommandResult r = runCommand(ctx, args);
  const std::string what = utf8(args);
  ctx.require(r.ended,
              what + " was still running after " + std::to_string(kCommandTimeoutMs) + " ms");
  ctx.check(r.exitCode == status, what + " ended with " + std::to_string(r.exitCode) +
                                      ", expected " + std::to_string(status) + " (out " +
                                      quotedBytes(r.out) + ", err " + quotedBytes(r.err) + ")");
  ctx.check(r.crlf, what + " ended a line with LF alone");
  ctx.check(out == "*" || r.out == out,
            what + " printed " + quotedBytes(r.out) + ", expected " + quotedBytes(out));
  ctx.check(err == "*" || r.err == err,
            what + " printed on errors " + quotedBytes(r.err) + ", expected " + quotedBytes(err));
  return r;
}

bool showsButton(Session& s, const wchar_t* caption) {
  return waitUntil([&] { return s.app->button(caption) != nullptr; }, kChangeTimeoutMs);
}

void expectOnOff(Ctx& ctx, Session& s, bool on, const std::string& when) {
  const wchar_t* caption = on ? kTurnOff : kTurnOn;
  ctx.check(showsButton(s, caption), when + ": the button does not read " + quoted(caption));
  const wchar_t* stored = on ? L"On" : L"Off";
  ctx.check(
      waitUntil([&] { return readSetting(kStartStop) == std::wstring(stored); }, kChangeTimeoutMs),
      when + ": \"StartStopState\" is " + show(readSetting(kStartStop)));
}

void expectEnded(Ctx& ctx, Session& s, const std::string& when) {
  ctx.check(waitUntil([&] { return !s.app->running(); }, 5000),
            "the program still runs 5 s after " + when);
}

std::unique_ptr<Session> startWith(Ctx& ctx, const std::wstring& args = L"") {
  ctx.require(writeSetting(kStartStop, L"Off") && writeSetting(L"Text1", L"0") &&
                  writeSetting(L"Text2", L"0") && writeSetting(L"Text3", L"30"),
              "could not write the settings");
  return startProgram(ctx, nullptr, kStartTimeoutMs, !args.empty(), args);
}

std::string statusRows(const std::vector<std::wstring>& titles) {
  std::string rows;
  for (size_t i = 0; i < titles.size(); ++i)
    rows += "Row " + std::to_string(i + 1) + ": Valid: " + utf8(titles[i]) + "\n";
  return rows;
}

// --- the cases -----------------------------------------------------------------

// A script beside the running copy: each command's answer, exit status and
// effect, then the same commands with nothing running.
void commandLineCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  freshSettings(ctx);
  auto s = startWith(ctx);
  const auto targets = queueTargets(ctx, *s, *host, 3, L"Command target ");
  const std::vector<std::wstring> titles = {L"Command target 1", L"Command target 2",
                                            L"Command target 3"};
  const std::string rows = statusRows(titles);

  expectCommand(ctx, L"--status", 0,
                "Off\n" + rows + "In front: none\nNext switch in seconds: none\n", "");
  takeBandEntries();
  expectCommand(ctx, L"--on", 0, "", "");
  expectOnOff(ctx, *s, true, "after --on");
  expectNoBox(ctx, *s, "after --on");

  // The switches asked for come at once (the schedule's first is 30 s away).
  const struct {
    const wchar_t* args;
    size_t target;
  } switches[] = {
      {L"--next", 0},
      {L"--switch-to \"Command target 3\"", 2},
      {L"--previous", 1},
      {L"--SWITCH-TO \"Command target 1\"", 0},
  };
  for (const auto& sw : switches) {
    takeBandEntries();
    expectCommand(ctx, sw.args, 0, "", "");
    const auto seen = collectSwitches(1, kChangeTimeoutMs);
    ctx.check(windowsOf(seen) == std::vector<HWND>{targets[sw.target]},
              utf8(sw.args) + " switched " + names(seen, targets) + ", expected target " +
                  std::to_string(sw.target + 1));
  }
  expectCommand(ctx, L"--switch-to \"Nope\"", 3, "", "No queued window has the title \"Nope\".\n");
  expectCommand(ctx, L"--switch-to", 2, "", "*");
  Sleep(kQuietMs);
  ctx.check(takeBandEntries().empty(), "a refused --switch-to switched");

  const CommandResult status = expectCommand(ctx, L"--status", 0, "*", "");
  const std::string head = "On\n" + rows + "In front: Row 1: Command target 1\n";
  ctx.check(status.out.rfind(head, 0) == 0, "--status printed " + quotedBytes(status.out) +
                                                ", expected it to start " + quotedBytes(head));
  const std::string seconds = status.out.substr(std::min(head.size(), status.out.size()));
  const std::string label = "Next switch in seconds: ";
  int left = -1;
  if (seconds.rfind(label, 0) == 0 && seconds.back() == '\n') {
    left = std::atoi(seconds.c_str() + label.size());
  }
  ctx.check(left >= 0 && left <= 30,
            "--status ends " + quotedBytes(seconds) + ", expected the seconds of 30 to come");

  expectCommand(ctx, L"--off", 0, "", "");
  expectOnOff(ctx, *s, false, "after --off");

  // The README's batch file: on unless on already, then the status.
  wchar_t temp[MAX_PATH], system[MAX_PATH];
  ctx.require(GetTempPathW(MAX_PATH, temp) && GetSystemDirectoryW(system, MAX_PATH),
              "no temporary or system folder");
  const std::wstring script = std::wstring(temp) + L"tarnavel-e2e.bat";
  {
    const char text[] =
        "@echo off\r\n"
        "set STATE=\r\n"
        "for /f %%S in ('tarnavel.exe --status') do if not defined STATE set STATE=%%S\r\n"
        "if not defined STATE exit /b 1\r\n"
        "if \"%STATE%\"==\"Off\" tarnavel.exe --on\r\n"
        "tarnavel.exe --status\r\n";
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, text, sizeof text - 1, &written, nullptr) &&
                    written == sizeof text - 1;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    ctx.require(ok, "could not write " + utf8(script));
  }
  const CommandResult batch =
      inLines(Command(ctx, L"/c \"" + script + L"\"", std::wstring(system) + L"\\cmd.exe")
                  .finish(kCommandTimeoutMs));
  DeleteFileW(script.c_str());
  ctx.note("the batch file printed " + quotedBytes(batch.out) + " and on errors " +
           quotedBytes(batch.err) + ", ended " + std::to_string(batch.exitCode));
  ctx.check(batch.ended && batch.exitCode == 0 && batch.err.empty() &&
                batch.out.rfind("On\n" + rows, 0) == 0,
            "the batch file printed " + quotedBytes(batch.out) + " and on errors " +
                quotedBytes(batch.err) + ", ended " + std::to_string(batch.exitCode));
  expectOnOff(ctx, *s, true, "after the batch file");
  expectCommand(ctx, L"--off", 0, "", "");
  expectOnOff(ctx, *s, false, "after --off");

  // Any letter case, / for --; what is not understood prints the usage and
  // changes nothing.
  const Rows queue = queueRows(ctx, *s);
  SettingsTripwire tripwire;
  ctx.require(tripwire.armed(), "could not arm the settings tripwire");
  expectCommand(
      ctx, L"/STATUS", 0,
      "Off\n" + rows + "In front: Row 1: Command target 1\n" + "Next switch in seconds: none\n",
      "");
  for (const wchar_t* args :
       {L"--bogus", L"--on --off", L"on", L"--status extra", L"--switch-to \"a\" \"b\""}) {
    const CommandResult r = expectCommand(ctx, args, 2, "", "*");
    ctx.check(r.err.rfind("Usage: tarnavel.exe", 0) == 0,
              utf8(args) + " printed on errors " + quotedBytes(r.err) + ", expected the usage");
  }
  const CommandResult help = expectCommand(ctx, L"--Help", 0, "*", "");
  ctx.check(help.out.rfind("Usage: tarnavel.exe", 0) == 0 &&
                help.out.find("--status") != std::string::npos,
            "--help printed " + quotedBytes(help.out));
  Sleep(kQuietMs);
  ctx.check(tripwire.writes().empty(), "the commands wrote " + tripwire.writes());
  tripwire.restore();
  ctx.check(s->app->running() && s->app->sync(), "the program no longer answers");
  ctx.check(s->app->button(kTurnOn) != nullptr, "the commands changed monitoring");
  expectQueue(ctx, *s, queue, "after the commands not understood");
  expectNoBox(ctx, *s, "after the commands");
  ctx.check(takeBandEntries().empty(), "a switch came while off");

  ctx.require(writeSetting(kQueuedWindows, L"written by the e2e driver"),
              "could not write \"Queued Windows\"");
  expectCommand(ctx, L"--quit", 0, "", "");
  expectEnded(ctx, *s, "--quit");
  expectStored(
      ctx,
      {stored(targets[0], titles[0]), stored(targets[1], titles[1]), stored(targets[2], titles[2])},
      "after --quit");

  for (const wchar_t* args :
       {L"--status", L"--off", L"/Next", L"--switch-to \"Command target 1\"", L"--quit"}) {
    expectCommand(ctx, args, 1, "", kNotRunning);
  }
  ctx.check(FindWindowW(kMainClass, nullptr) == nullptr,
            "a command with nothing running started "
            "Tarnavel");
}

// --on with nothing running starts Tarnavel and turns it on, or leaves it off
// without a box when the queue is empty.
void commandLineStartCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const std::wstring ta = L"Command start A", tb = L"Command start B";
  const HWND a = target(ctx, *host, ta);
  const HWND b = target(ctx, *host, tb);
  settle();
  freshSettings(ctx);
  ctx.require(writeSetting(kQueuedWindows, storedQueue({stored(a, ta), stored(b, tb)})),
              "could not write \"Queued Windows\"");
  {
    auto s = startWith(ctx, L"--on");
    expectOnOff(ctx, *s, true, "after a start with --on");
    expectQueue(ctx, *s, {row(a, ta, kValid), row(b, tb, kValid)}, "after a start with --on");
    Sleep(kQuietMs);
    expectNoBox(ctx, *s, "after a start with --on");
    expectCommand(ctx, L"--on", 0, "", "");
    Sleep(kQuietMs);
    expectOnOff(ctx, *s, true, "after --on while on");
    ctx.check(
        FindWindowExW(nullptr, FindWindowW(kMainClass, nullptr), kMainClass, nullptr) == nullptr,
        "a second main window");
    expectCommand(ctx, L"--quit", 0, "", "");
    expectEnded(ctx, *s, "--quit");
  }

  // With an empty queue the refusal is printed where the script reads it,
  // not shown, and this copy runs on, off.
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off"), "could not write \"StartStopState\"");
  Command started(ctx, L"--on");
  const std::string refusal = utf8(kQueueEmpty) + "\r\n";
  ctx.check(waitUntil([&] { return started.errorsSoFar() == refusal; }, kStartTimeoutMs),
            "a start with --on and an empty queue printed on errors " +
                quotedBytes(started.errorsSoFar()) + ", expected " + quotedBytes(refusal));
  HWND main = nullptr;
  ctx.check(waitUntil(
                [&] {
                  for (HWND w : topLevelWindowsOf(started.pid())) {
                    if (className(w) == kMainClass && IsWindowVisible(w)) main = w;
                  }
                  return main != nullptr;
                },
                kChangeTimeoutMs),
            "with an empty queue the window is not on screen");
  Sleep(kQuietMs);
  for (HWND w : topLevelWindowsOf(started.pid())) {
    ctx.check(className(w) != L"#32770" || !IsWindowVisible(w),
              "a start with --on and an empty queue shows the box " + quoted(remoteText(w)));
  }
  ctx.check(main != nullptr && FindWindowExW(main, nullptr, L"Button", kTurnOn) != nullptr,
            "with an empty queue the button does not read \"Turn On\"");
  ctx.check(readSetting(kStartStop) == std::wstring(L"Off"),
            "with an empty queue \"StartStopState\" is " + show(readSetting(kStartStop)));
  expectCommand(ctx, L"--quit", 0, "", "");
  const CommandResult end = started.finish(5000);
  ctx.check(end.ended && end.exitCode == 0,
            "the copy started with --on ended " +
                (end.ended ? "with " + std::to_string(end.exitCode) : std::string("not")) +
                " after --quit, expected 0");
  ctx.check(end.out.empty() && end.err == refusal, "the copy started with --on printed " +
                                                       quotedBytes(end.out) + " and on errors " +
                                                       quotedBytes(end.err));
}

// Requests of our kind that no second start sends, straight to the main
// window with no one to answer: each is taken, nothing is done.
void hostileRequestCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  freshSettings(ctx);
  auto s = startWith(ctx);
  queueTargets(ctx, *s, *host, 1, L"Hostile request target ");
  const Rows queue = queueRows(ctx, *s);
  SettingsTripwire tripwire;
  ctx.require(tripwire.armed(), "could not arm the settings tripwire");
  takeBandEntries();

  const struct {
    ULONG_PTR kind;
    std::string bytes;
    BOOL result;
  } requests[] = {
      {kRequestKind, "", TRUE},
      {kRequestKind, std::string(5000, 'x'), TRUE},
      {kRequestKind, std::string(4097, 'x'), TRUE},
      {kRequestKind, "ON", TRUE},
      {kRequestKind, "toggle ", TRUE},
      {kRequestKind, "switch-to", TRUE},
      {kRequestKind, "switch-to\n", TRUE},
      {kRequestKind, "\xC3", TRUE},
      {kRequestKind, "switch-to\nHostile request target \xC3", TRUE},
      {kRequestKind, "quit\nnow", TRUE},
      {kRequestKind, std::string("on\0", 3), TRUE},
      {kRequestKind, std::string("quit\0", 5), TRUE},
      {kRequestKind, "help", TRUE},
      {kRequestKind | 0x80, "on", FALSE},  // the answer's kind
      {kRequestKind + 1, "on", FALSE},     // another version
      {0x4A, "toggle", FALSE},
      {0, "on", FALSE},
  };
  for (const auto& r : requests) {
    COPYDATASTRUCT record{};
    record.dwData = r.kind;
    record.cbData = static_cast<DWORD>(r.bytes.size());
    record.lpData = r.bytes.empty() ? nullptr : const_cast<char*>(r.bytes.data());
    DWORD_PTR result = 0;
    const std::string what = "kind " + std::to_string(r.kind) + " with " +
                             std::to_string(r.bytes.size()) + " bytes " +
                             quotedBytes(r.bytes.substr(0, 40));
    const LRESULT sent =
        SendMessageTimeoutW(s->main(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                            SMTO_ABORTIFHUNG, 2000, &result);
    ctx.check(sent != 0,
              what + ": no answer within 2 s (error " + std::to_string(GetLastError()) + ")");
    ctx.check(
        sent == 0 || static_cast<BOOL>(result) == r.result,
        what + ": answered " + std::to_string(result) + ", expected " + std::to_string(r.result));
    ctx.check(s->app->sync(), what + ": the program no longer answers");
  }
  Sleep(kQuietMs);
  ctx.require(s->app->running(), "the program ended");
  ctx.check(s->app->sync(), "the program no longer answers");
  ctx.check(s->app->button(kTurnOn) != nullptr, "the requests changed monitoring");
  ctx.check(takeBandEntries().empty(), "the requests switched");
  expectQueue(ctx, *s, queue, "after the requests");
  expectNoBox(ctx, *s, "after the requests");
  ctx.check(tripwire.writes().empty(), "the requests wrote " + tripwire.writes());
  tripwire.restore();
  // And a real second start is still answered.
  expectCommand(ctx, L"--status", 0,
                "Off\n" + statusRows({L"Hostile request target 1"}) +
                    "In front: none\nNext switch in seconds: none\n",
                "");
  closeProgram(ctx, *s, "after the hostile requests");
}

}  // namespace

std::vector<Case> commandLineCases() {
  return {
      {"command_line",
       "a script's commands beside the running copy: answers, exit statuses, effects",
       commandLineCase},
      {"command_line_start",
       "--on with nothing running starts Tarnavel on; off, no box, when empty",
       commandLineStartCase},
      {"hostile_request", "requests of our kind no second start sends: taken, nothing done",
       hostileRequestCase},
  };
}

}  // namespace e2e
