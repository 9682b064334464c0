// A tiny test harness: named cases, each run on its own, reporting PASS or
// FAIL with the reasons; the last line is "N passed, M failed".
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct Options {
  std::wstring appPath;           // tarnavel.exe
  std::wstring selfPath;          // this driver
  std::wstring setupPath;         // the installer, for the install cases (--setup)
  std::wstring screenshotSignal;  // handshake file prefix for the runner's screenshot
  std::wstring xdotoolDir;        // the runner's folder for xdotool calls (Xdotool.h)
  bool verbose = false;
};

// Thrown by Ctx::require to end a case early; the failure is already recorded.
struct CaseAborted {};

class Ctx {
 public:
  explicit Ctx(const Options& options) : options_(options) {}

  const Options& options() const { return options_; }

  // Records a failure when ok is false and goes on.
  bool check(bool ok, const std::string& what);
  // Records a failure when ok is false and ends the case.
  void require(bool ok, const std::string& what);
  void fail(const std::string& what) { check(false, what); }
  [[noreturn]] void abort(const std::string& what);
  // A line of information, printed with the case's result in verbose mode
  // and always when the case fails.
  void note(const std::string& what);

  bool failed() const { return !failures_.empty(); }
  const std::vector<std::string>& failures() const { return failures_; }
  const std::vector<std::string>& notes() const { return notes_; }

  // Work that must run when the case ends, however it ends (last in, first out).
  void atEnd(std::function<void()> cleanup) { cleanups_.push_back(std::move(cleanup)); }
  void runCleanups();

 private:
  const Options& options_;
  std::vector<std::string> failures_;
  std::vector<std::string> notes_;
  std::vector<std::function<void()>> cleanups_;
};

struct Case {
  std::string name;
  std::string summary;
  std::function<void(Ctx&)> run;
};

// Runs the cases whose names are in only (all when empty), prints one block
// per case and the summary line; returns the number of failed cases.
int runCases(const std::vector<Case>& cases, const std::vector<std::string>& only,
             const Options& options);

// Writes a line to standard output at once (UTF-8).
void printLine(const std::string& line);

}  // namespace e2e
