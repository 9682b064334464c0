// The log's folder and files, and the power plan's request, over the Windows
// API.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace tarnavel::win32 {

// %LOCALAPPDATA%\Tarnavel and the files in it. Every refusal throws.
class LogFiles final : public platform::ILogFiles {
 public:
  std::string folder() override;
  std::optional<std::uint64_t> size(std::string_view path) override;
  void replace(std::string_view from, std::string_view to) override;
  void append(std::string_view path, std::string_view bytes) override;
  void openFolder(std::string_view path) override;
};

// The UI thread's execution state (SetThreadExecutionState): while it is
// requested the display stays on and the computer awake. This owner clears
// what is still requested, and so does the thread's end: the program's end
// always lets the power plan have its way again.
class PowerRequest final : public platform::IPowerRequest {
 public:
  PowerRequest() = default;
  PowerRequest(const PowerRequest&) = delete;
  PowerRequest& operator=(const PowerRequest&) = delete;
  ~PowerRequest() override;
  void request() override;
  void clear() override;

 private:
  bool requested_ = false;
};

}  // namespace tarnavel::win32
