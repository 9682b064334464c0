#include "Harness.h"

#include <windows.h>

#include <cstdio>
#include <exception>

namespace e2e {

bool Ctx::check(bool ok, const std::string& what) {
  if (!ok) failures_.push_back(what);
  return ok;
}

void Ctx::require(bool ok, const std::string& what) {
  if (!ok) abort(what);
}

void Ctx::abort(const std::string& what) {
  failures_.push_back(what);
  throw CaseAborted{};
}

void Ctx::note(const std::string& what) {
  notes_.push_back(what);
}

void Ctx::runCleanups() {
  while (!cleanups_.empty()) {
    auto cleanup = std::move(cleanups_.back());
    cleanups_.pop_back();
    try {
      cleanup();
    } catch (const CaseAborted&) {
      // the failure is recorded already
    } catch (const std::exception& e) {
      failures_.push_back(std::string("cleanup threw: ") + e.what());
    }
  }
}

void printLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int runCases(const std::vector<Case>& cases, const std::vector<std::string>& only,
             const Options& options) {
  int passed = 0;
  int failed = 0;
  for (const auto& c : only) {
    bool known = false;
    for (const auto& k : cases)
      known = known || k.name == c;
    if (!known) {
      printLine("FAIL " + c + " (no such case)");
      ++failed;
    }
  }
  // Named cases run in the order named, as often as named (to hunt a fault
  // that shows once in many runs); otherwise every case once.
  std::vector<const Case*> order;
  if (only.empty()) {
    for (const auto& c : cases)
      order.push_back(&c);
  } else {
    for (const auto& o : only) {
      for (const auto& c : cases) {
        if (c.name == o) order.push_back(&c);
      }
    }
  }
  for (const Case* pc : order) {
    const Case& c = *pc;
    Ctx ctx(options);
    auto started = std::chrono::steady_clock::now();
    try {
      c.run(ctx);
    } catch (const CaseAborted&) {
      // recorded
    } catch (const std::exception& e) {
      ctx.fail(std::string("unexpected exception: ") + e.what());
    }
    ctx.runCleanups();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - started)
                  .count();
    char timing[32];
    std::snprintf(timing, sizeof timing, " (%.1f s)", static_cast<double>(ms) / 1000.0);
    if (ctx.failed()) {
      ++failed;
      printLine("FAIL " + c.name + timing + " - " + c.summary);
      for (const auto& f : ctx.failures())
        printLine("    - " + f);
      for (const auto& n : ctx.notes())
        printLine("      note: " + n);
    } else {
      ++passed;
      printLine("PASS " + c.name + timing + " - " + c.summary);
      if (options.verbose) {
        for (const auto& n : ctx.notes())
          printLine("      note: " + n);
      }
    }
  }
  printLine(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed");
  return failed;
}

}  // namespace e2e
