// The one way the program deals with an unexpected failure inside a guarded
// procedure: a warning box naming the failure, the procedure and the line,
// then the procedure carries on with its next labelled step.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "platform/System.h"

namespace tarnavel {

// Every error location starts with this text, then the module and procedure.
inline constexpr std::string_view kErrorLocationPrefix = "Orvendel2021/08/31.";
inline constexpr std::string_view kSupportAddress = "support@kestrine.example";
inline constexpr std::string_view kErrorBoxTitle = "Application Error";

// The box's text, built exactly as the user reads it.
std::string errorMessage(std::string_view description, std::string_view location, int label);
// The log's entry of the same report: the error's number when it has one,
// then the box's text.
std::string errorLogEntry(std::string_view description, std::string_view location, int label,
                          int number);

// The description text of whatever a step threw.
std::string describeFailure(std::exception_ptr failure);

class ErrorReport {
 public:
  explicit ErrorReport(platform::IDialogs& dialogs) : dialogs_(dialogs) {}
  // location is "Module.Procedure", e.g. "Form1.Form_Load". The report is
  // written to the log too, when there is one; number is the error's, 0 when
  // it has none.
  void show(std::string_view description, std::string_view location, int label, int number = 0);

  // Every report is written to this log from now on.
  void setLog(Log* log) { log_ = log; }
  // With true, a report is only written to the log: no box.
  void setLogOnly(bool only) { logOnly_ = only; }
  bool logOnly() const { return logOnly_; }

  // Something the user must hear of that is no failure: the statement goes
  // on, and once it has run, its guard shows the notice with its label.
  void notice(std::string description) { notices_.push_back(std::move(description)); }
  bool hasNotices() const { return !notices_.empty(); }
  void showNotices(std::string_view location, int label);

 private:
  platform::IDialogs& dialogs_;
  std::vector<std::string> notices_;
  Log* log_ = nullptr;
  bool logOnly_ = false;
};

// The guard of one guarded procedure. Each labelled statement runs through
// step(); a failure is reported with that label and the next statement runs.
//
//   Guard g(report, "Form1.loadWindows");
//   g.step(100, [&] { ... });
//   if (g.test(104, [&] { return cond(); })) { ... }   // a failed test runs the branch
//   for (...) { g.step(108, ...); }                    // a loop goes on
class Guard {
 public:
  Guard(ErrorReport& report, std::string_view location) : report_(report), location_(location) {}

  template <class F>
  void step(int label, F&& statement) {
    try {
      std::forward<F>(statement)();
    } catch (...) {
      fail(label, std::current_exception());
    }
    ran(label);
  }

  // The test of a multi-line If. When evaluating it fails, execution goes on
  // with the first statement of its first branch, so the result is true.
  template <class F>
  bool test(int label, F&& condition) {
    bool result = true;
    try {
      result = static_cast<bool>(std::forward<F>(condition)());
    } catch (...) {
      fail(label, std::current_exception());
    }
    ran(label);
    return result;
  }

  // A statement that yields a value; the fallback stands when it fails.
  template <class T, class F>
  T value(int label, T fallback, F&& expression) {
    try {
      fallback = std::forward<F>(expression)();
    } catch (...) {
      fail(label, std::current_exception());
    }
    ran(label);
    return fallback;
  }

 private:
  void fail(int label, std::exception_ptr failure);
  // The notices the statement raised, with its label.
  void ran(int label) {
    if (report_.hasNotices()) report_.showNotices(location_, label);
  }

  ErrorReport& report_;
  std::string location_;
};

}  // namespace tarnavel
