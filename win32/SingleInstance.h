// One copy of the program per user session. The running copy holds a mutex
// in the session's namespace from the start of WinMain to its end; a second
// start finds its main window, hands it a request over WM_COPYDATA and ends.
// Another session (another user, or the same user logged on twice) has its
// own namespace and its own windows, so it runs its own copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Commands.h"
#include "win32/Handles.h"

namespace tarnavel::win32 {

class SessionLock {
 public:
  explicit SessionLock(const wchar_t* name) : name_(name) {}
  // Released by the copy that held it; a copy that ends without, crashed,
  // leaves it abandoned, which the next one takes as free.
  ~SessionLock();
  SessionLock(const SessionLock&) = delete;
  SessionLock& operator=(const SessionLock&) = delete;

  // Tries to become the session's running copy, waiting up to `waitMs` for
  // the one that holds the lock to end. A lock that cannot be made at all
  // is no reason not to run: the program runs as if it held it. A lock this
  // process may not even open (an elevated copy's) is held by that copy.
  bool take(DWORD waitMs);
  bool held() const { return held_; }

 private:
  const wchar_t* name_;
  KernelHandle mutex_;
  bool held_ = false;
};

// The main window of the copy running in this session (windows are found
// on this process's desktop only, which is in its session), not this
// process's own; nullptr when there is none.
HWND findRunningCopy();

// Lets WM_COPYDATA reach the window from a process of a lower integrity
// level: the answer window of a second start run as administrator hears the
// answer of a running copy that is not. The running copy's own window opens
// no such way: its requests change what it does.
void acceptRequestsFromBelow(HWND window);

// Hands the window a request and waits at most `timeoutMs` for it to be
// taken (the receiver's answer comes back inside that wait). Nothing when it
// was not taken: refused, gone, hung, too slow, or held back by the system
// (a message from a lower integrity level); else the answer, empty when the
// receiver gave none.
std::optional<CommandAnswer> sendRequest(HWND target, std::uint64_t kind, std::string_view bytes,
                                         DWORD timeoutMs);

// The receiver's side: the answer to the window a request came from, when
// that is a second start's answer window.
void sendAnswer(HWND from, HWND to, std::string_view answer);

// What a start does first. Nothing when this process is to run as the
// session's copy (it holds the lock); else it has handed `request` to the
// running copy, letting it take the foreground, and the running copy's
// answer, or status 1 when there was none (its window did not appear within
// `patienceMs`, or did not take the request).
std::optional<CommandAnswer> handOff(SessionLock& lock, std::string_view request, DWORD patienceMs);

}  // namespace tarnavel::win32
