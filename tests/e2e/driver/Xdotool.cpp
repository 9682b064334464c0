#include "Xdotool.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "AppUnderTest.h"
#include "Text.h"

namespace e2e {
namespace {

std::string readAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

// The runner takes NAME.req, whose lines are the arguments, and answers with
// NAME.done holding the exit code. The request is written under another name
// first and then renamed, so that the runner never reads half of it.
bool xdotool(const Options& options, const std::vector<std::string>& args, int timeoutMs,
             std::string& error, std::string* output) {
  if (options.xdotoolDir.empty()) {
    error =
        "the runner offers no xdotool (run the driver with tests/e2e/run.sh, with xdotool "
        "installed)";
    return false;
  }
  static int calls = 0;
  const std::wstring base = options.xdotoolDir + L"\\call" + std::to_wstring(++calls);
  std::string lines;
  for (const auto& a : args)
    lines += a + "\n";
  {
    std::ofstream out(std::filesystem::path(base + L".new"), std::ios::binary);
    out << lines;
    if (!out.flush()) {
      error = "cannot write " + utf8(base) + ".new";
      return false;
    }
  }
  if (!MoveFileExW((base + L".new").c_str(), (base + L".req").c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = "cannot hand " + utf8(base) + ".req to the runner";
    return false;
  }
  const std::wstring done = base + L".done";
  std::string code;
  const bool answered = waitUntil(
      [&] {
        if (GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
        code = readAll(done);
        return true;
      },
      timeoutMs, 10);
  std::string call = "xdotool";
  for (const auto& a : args)
    call += " " + a;
  if (!answered) {
    error = call + " did not end within " + std::to_string(timeoutMs) + " ms";
    return false;
  }
  while (!code.empty() && (code.back() == '\n' || code.back() == '\r'))
    code.pop_back();
  if (code != "0") {
    error = call + " ended with " + code + ": " + readAll(base + L".log");
    return false;
  }
  if (output) *output = readAll(base + L".log");
  return true;
}

}  // namespace e2e
