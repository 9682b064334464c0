#include "win32/SingleInstance.h"

#include "core/Request.h"
#include "win32/Messages.h"

namespace tarnavel::win32 {
namespace {

// How long one request may take, both ways.
constexpr DWORD kRequestTimeoutMs = 2000;
// Between two looks for a copy that is still starting.
constexpr DWORD kLookAgainMs = 100;

// Where the answer window puts what it is sent.
struct AnswerBox {
  std::optional<CommandAnswer> answer;
};

LRESULT CALLBACK answerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
  auto* box = reinterpret_cast<AnswerBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (box == nullptr || record == nullptr || (record->cbData > 0 && record->lpData == nullptr)) {
    return FALSE;
  }
  try {
    box->answer = decodeAnswer(
        record->dwData, std::string_view(static_cast<const char*>(record->lpData), record->cbData));
  } catch (...) {
    return FALSE;
  }
  return box->answer ? TRUE : FALSE;
}

// A message-only window of the answer class, for the length of one request.
Window answerWindow(AnswerBox& box) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = answerProcedure;
  wc.hInstance = instance;
  wc.lpszClassName = kAnswerWindowClass;
  // Registered once for the process; a second registration fails harmlessly.
  RegisterClassExW(&wc);
  Window window(CreateWindowExW(0, kAnswerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr));
  if (!window) return window;
  SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  acceptRequestsFromBelow(window.get());
  return window;
}

bool copyData(HWND from, HWND to, std::uint64_t kind, std::string_view bytes, DWORD timeoutMs) {
  COPYDATASTRUCT record{};
  record.dwData = static_cast<ULONG_PTR>(kind);
  record.cbData = static_cast<DWORD>(bytes.size());
  record.lpData = const_cast<char*>(bytes.data());
  DWORD_PTR result = FALSE;
  // No SMTO_BLOCK: the answer is sent to this thread while it waits here.
  const LRESULT sent =
      SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                          reinterpret_cast<LPARAM>(&record), SMTO_ABORTIFHUNG, timeoutMs, &result);
  return sent != 0 && result != FALSE;
}

}  // namespace

SessionLock::~SessionLock() {
  if (held_ && mutex_) ReleaseMutex(mutex_.get());
}

bool SessionLock::take(DWORD waitMs) {
  if (held_) return true;
  if (!mutex_) {
    mutex_.reset(CreateMutexW(nullptr, FALSE, name_));
    if (!mutex_) {
      if (GetLastError() != ERROR_ACCESS_DENIED) return held_ = true;
      Sleep(waitMs);
      return false;
    }
  }
  const DWORD waited = WaitForSingleObject(mutex_.get(), waitMs);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return held_;
}

void acceptRequestsFromBelow(HWND window) {
  // Refused, the default holds: a lower level's request is dropped, which
  // its sender sees as not taken.
  ChangeWindowMessageFilterEx(window, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
}

HWND findRunningCopy() {
  const DWORD self = GetCurrentProcessId();
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr) {
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) != 0 && owner != self) return window;
  }
  return nullptr;
}

std::optional<CommandAnswer> sendRequest(HWND target, std::uint64_t kind, std::string_view bytes,
                                         DWORD timeoutMs) {
  AnswerBox box;
  const Window answers = answerWindow(box);
  if (!copyData(answers.get(), target, kind, bytes, timeoutMs)) return std::nullopt;
  // Taken, but no answer came back (it could not be sent, or was not ours).
  return box.answer.value_or(CommandAnswer{kExitNotRunning, "Tarnavel did not answer.\n"});
}

void sendAnswer(HWND from, HWND to, std::string_view answer) {
  wchar_t className[64]{};
  if (to == nullptr || GetClassNameW(to, className, 64) == 0) return;
  if (std::wstring_view(className) != kAnswerWindowClass) return;
  copyData(from, to, kAnswerKind, answer, kRequestTimeoutMs);
}

std::optional<CommandAnswer> handOff(SessionLock& lock, std::string_view request,
                                     DWORD patienceMs) {
  const CommandAnswer silent{kExitNotRunning, "Tarnavel did not answer.\n"};
  if (lock.take(0)) return std::nullopt;
  const ULONGLONG end = GetTickCount64() + patienceMs;
  for (;;) {
    if (const HWND running = findRunningCopy()) {
      DWORD owner = 0;
      GetWindowThreadProcessId(running, &owner);
      // Started by the user, this process may take the foreground; the
      // running copy is to, when it shows its window.
      AllowSetForegroundWindow(owner);
      if (auto answer = sendRequest(running, kRequestKind, request, kRequestTimeoutMs)) {
        return answer;
      }
      // A window that went away was a copy that is ending: look again.
      if (IsWindow(running)) return silent;
    }
    // The running copy ended while this one looked: this one runs.
    if (lock.take(kLookAgainMs)) return std::nullopt;
    if (GetTickCount64() >= end) return silent;
  }
}

}  // namespace tarnavel::win32
