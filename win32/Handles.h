// Owners of the handles the program creates. One owner per handle: each type
// is move-only, frees its handle exactly once, and hands the raw value out only
// through get() (no implicit conversions).
//
// Child windows and owned pop-ups (the controls, the tooltip) are not wrapped:
// the system destroys them with their parent or owner, which is their owner.
#pragma once

#include <windows.h>

#include <wtsapi32.h>

#include <utility>

namespace tarnavel::win32 {

template <class Traits>
class Owned {
 public:
  using Handle = typename Traits::Handle;

  Owned() noexcept = default;
  explicit Owned(Handle handle) noexcept : handle_(handle) {}
  Owned(Owned&& other) noexcept : handle_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    reset(other.release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

  // Gives the handle up without freeing it.
  Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }

  void reset(Handle handle = Traits::invalid()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct FontTraits {
  using Handle = HFONT;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DeleteObject(h); }
};
struct IconTraits {
  using Handle = HICON;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DestroyIcon(h); }
};
struct CursorTraits {
  using Handle = HCURSOR;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DestroyCursor(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { RegCloseKey(h); }
};
struct HookTraits {
  using Handle = HHOOK;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { UnhookWindowsHookEx(h); }
};
struct FindTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) noexcept { FindClose(h); }
};
struct FileTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) noexcept { CloseHandle(h); }
};
// The window's registration for the session's notifications, taken back
// before the window goes.
struct SessionWatchTraits {
  using Handle = HWND;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { WTSUnRegisterSessionNotification(h); }
};
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { FreeLibrary(h); }
};
struct KernelTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { CloseHandle(h); }
};
// A top-level window of ours. The window procedure releases the handle at
// WM_NCDESTROY when the window goes away by other means.
struct WindowTraits {
  using Handle = HWND;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DestroyWindow(h); }
};

// A shortcut menu made for one use.
struct MenuTraits {
  using Handle = HMENU;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DestroyMenu(h); }
};

using Font = Owned<FontTraits>;
using Icon = Owned<IconTraits>;
using Cursor = Owned<CursorTraits>;
using RegKey = Owned<RegKeyTraits>;
using FindHandle = Owned<FindTraits>;
using File = Owned<FileTraits>;
using Hook = Owned<HookTraits>;
using KernelHandle = Owned<KernelTraits>;
using Window = Owned<WindowTraits>;
using Library = Owned<LibraryTraits>;
using SessionWatch = Owned<SessionWatchTraits>;
using MenuHandle = Owned<MenuTraits>;

// A registered window class, unregistered when its owner goes. The windows of
// the class must be gone by then.
class WindowClass {
 public:
  WindowClass() noexcept = default;
  WindowClass(ATOM atom, HINSTANCE instance) noexcept : atom_(atom), instance_(instance) {}
  WindowClass(WindowClass&& other) noexcept
      : atom_(std::exchange(other.atom_, ATOM{0})), instance_(other.instance_) {}
  WindowClass& operator=(WindowClass&& other) noexcept {
    if (this != &other) {
      reset();
      atom_ = std::exchange(other.atom_, ATOM{0});
      instance_ = other.instance_;
    }
    return *this;
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ~WindowClass() { reset(); }

  ATOM atom() const noexcept { return atom_; }
  // The class as CreateWindowExW takes it.
  const wchar_t* name() const noexcept {
    return reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(atom_));
  }
  explicit operator bool() const noexcept { return atom_ != 0; }

 private:
  void reset() noexcept {
    if (atom_ != 0) UnregisterClassW(name(), instance_);
    atom_ = 0;
  }

  ATOM atom_ = 0;
  HINSTANCE instance_ = nullptr;
};

}  // namespace tarnavel::win32
