#include "tests/fakes/FakeSystem.h"

#include <algorithm>

#include <chrono>

namespace tarnavel::fake {
namespace {

// Length in bytes of the UTF-8 sequence that starts with this byte.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  return 4;
}

}  // namespace

int utf16Length(std::string_view utf8) {
  int units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = sequenceLength(static_cast<unsigned char>(utf8[i]));
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return units;
}

std::string utf16Prefix(std::string_view utf8, int bufferUnits) {
  int room = bufferUnits - 1;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t n = sequenceLength(static_cast<unsigned char>(utf8[i]));
    const int units = n == 4 ? 2 : 1;
    if (units > room) break;
    room -= units;
    i += n;
  }
  return std::string(utf8.substr(0, i));
}

int FakeDialogs::messageBox(std::string_view text, int style, std::string_view title) {
  acts("messageBox", title);
  boxes.push_back({std::string(text), style, std::string(title)});
  if (whileShown) whileShown();
  return kIdOk;
}

void FakeDialogs::optionsBox(std::string_view title, const UnattendedChoices& current,
                             const ChoiceLocks& locked,
                             const std::function<void(const UnattendedChoices&)>& changed,
                             const std::function<void()>& openLogFolder) {
  acts("optionsBox");
  optionsShown.emplace_back(std::string(title), current);
  optionsLocks = locked;
  if (whileShown) whileShown();
  UnattendedChoices now = current;
  for (const auto& edit : optionsEdits) {
    edit(now);
    changed(now);
  }
  for (int k = 0; k < openLogFolderClicks; ++k)
    openLogFolder();
}

std::vector<std::string> FakeLogFiles::entries(std::string_view name) const {
  std::vector<std::string> lines;
  const auto it = files.find(path + "\\" + std::string(name));
  if (it == files.end()) return lines;
  std::string_view rest = it->second;
  while (!rest.empty()) {
    const auto end = rest.find("\r\n");
    const std::string_view line = rest.substr(0, end);
    // "YYYY-MM-DDTHH:MM:SS " comes first.
    lines.emplace_back(line.size() > 20 ? line.substr(20) : std::string_view{});
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 2);
  }
  return lines;
}

std::optional<std::string> FakeDialogs::inputBox(std::string_view prompt, std::string_view title,
                                                 std::string_view preset) {
  acts("inputBox");
  prompts.push_back({std::string(prompt), std::string(title), std::string(preset)});
  if (whileShown) whileShown();
  if (answers.empty()) return std::nullopt;
  auto answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

Hwnd32 FakeWindowSystem::open(std::string title, std::uint32_t style) {
  const Hwnd32 h = next_ += 0x10;
  windows.insert(windows.begin(), Window{h, std::move(title), style});
  return h;
}

Hwnd32 FakeWindowSystem::openBelow(std::string title, std::uint32_t style) {
  const Hwnd32 h = next_ += 0x10;
  windows.push_back(Window{h, std::move(title), style});
  return h;
}

Hwnd32 FakeWindowSystem::openAs(Hwnd32 handle, std::string title, std::string program,
                                std::string windowClass) {
  windows.insert(windows.begin(),
                 Window{handle, std::move(title), kAppStyle, false, ShowCommand::Show,
                        std::move(program), std::move(windowClass)});
  return handle;
}

bool FakeWindowSystem::exists(Hwnd32 window) {
  reads("exists");
  return find(window) != nullptr;
}

std::string FakeWindowSystem::programPath(Hwnd32 window) {
  reads("programPath");
  const Window* w = find(window);
  return w ? w->program : std::string();
}

std::string FakeWindowSystem::windowClass(Hwnd32 window) {
  reads("windowClass");
  const Window* w = find(window);
  return w ? w->windowClass : std::string();
}

void FakeWindowSystem::close(Hwnd32 window) {
  std::erase_if(windows, [&](const Window& w) { return w.handle == window; });
}

FakeWindowSystem::Window* FakeWindowSystem::find(Hwnd32 window) {
  const auto it = std::find_if(windows.begin(), windows.end(),
                               [&](const Window& w) { return w.handle == window; });
  return it == windows.end() ? nullptr : &*it;
}

const FakeWindowSystem::Window* FakeWindowSystem::find(Hwnd32 window) const {
  return const_cast<FakeWindowSystem*>(this)->find(window);
}

Hwnd32 FakeWindowSystem::firstSibling(Hwnd32) {
  reads("firstSibling");
  return windows.empty() ? 0 : windows.front().handle;
}

Hwnd32 FakeWindowSystem::nextSibling(Hwnd32 window) {
  reads("nextSibling");
  for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
    if (windows[i].handle == window) return windows[i + 1].handle;
  }
  return 0;
}

std::uint32_t FakeWindowSystem::style(Hwnd32 window) {
  reads("style");
  const Window* w = find(window);
  return w ? w->style : 0;
}

int FakeWindowSystem::textLength(Hwnd32 window) {
  reads("textLength");
  const Window* w = find(window);
  const int length = w ? utf16Length(w->title) : 0;
  if (afterLengthQuery) afterLengthQuery(window);
  return length;
}

std::string FakeWindowSystem::text(Hwnd32 window, int bufferUnits) {
  reads("text");
  const Window* w = find(window);
  return w ? utf16Prefix(w->title, bufferUnits) : std::string();
}

void FakeWindowSystem::allowAnyForeground() {
  acts("allowAnyForeground");
  calls.emplace_back("allow");
}

std::uint32_t FakeWindowSystem::threadId(const Window& w) {
  return w.thread != 0 ? w.thread : static_cast<std::uint32_t>(w.handle);
}

bool FakeWindowSystem::locked() const {
  if (lockInput == nullptr) return false;
  if (lockInput->now - lockInput->lastInput >= lockTimeoutMs) return false;
  const Window* front = find(foreground);
  if (front == nullptr) return false;
  const std::uint32_t thread = threadId(*front);
  return thread != kOwnThread && thread != attachedTo;
}

Hwnd32 FakeWindowSystem::openOwn(std::string title) {
  const Hwnd32 h = open(std::move(title));
  find(h)->thread = kOwnThread;
  return h;
}

bool FakeWindowSystem::setForeground(Hwnd32 window) {
  acts("setForeground");
  calls.push_back("foreground " + std::to_string(window));
  if (!find(window)) return false;
  if (locked()) {
    ++flashes;
    return false;
  }
  foreground = window;
  return true;
}

Hwnd32 FakeWindowSystem::foregroundWindow() {
  reads("foregroundWindow");
  return find(foreground) ? foreground : 0;
}

std::uint32_t FakeWindowSystem::threadOf(Hwnd32 window) {
  reads("threadOf");
  const Window* w = find(window);
  return w == nullptr ? 0 : threadId(*w);
}

std::uint32_t FakeWindowSystem::processOf(Hwnd32 window) {
  reads("processOf");
  const Window* w = find(window);
  if (w == nullptr) return 0;
  return w->process != 0 ? w->process : static_cast<std::uint32_t>(w->handle) + 500000;
}

std::uint32_t FakeWindowSystem::ownThread() {
  reads("ownThread");
  return kOwnThread;
}

bool FakeWindowSystem::answers(Hwnd32 window, int) {
  reads("answers");
  const Window* w = find(window);
  return w != nullptr && !w->hung;
}

bool FakeWindowSystem::attachInput(std::uint32_t thread, std::uint32_t to, bool attach) {
  acts("attachInput", attach ? "on" : "off");
  calls.push_back((attach ? "attach " : "detach ") + std::to_string(to));
  if (thread != kOwnThread) return false;
  if (!attach) {
    if (attachedTo != to) return false;
    attachedTo = 0;
    return true;
  }
  if (refuseAttach || to == thread || attachedTo != 0) return false;
  for (const Window& w : windows) {
    if (w.hung && threadId(w) == to) froze = true;
  }
  attachedTo = to;
  return true;
}

bool FakeWindowSystem::cloaked(Hwnd32 window) {
  reads("cloaked");
  const Window* w = find(window);
  return w != nullptr && w->cloaked;
}

bool FakeWindowSystem::runsAbove(Hwnd32 window) {
  reads("runsAbove");
  const Window* w = find(window);
  return w != nullptr && w->above;
}

Display FakeWindowSystem::displayOf(Hwnd32 window) {
  reads("displayOf");
  const Window* w = find(window);
  if (w == nullptr) return {};
  if (monitors.empty()) return {1, true};
  // The overlap's area, and else the distance between the two rectangles.
  const auto overlap = [&](const Rect& a) {
    const long long x = std::min(a.right, w->place.right) - std::max(a.left, w->place.left);
    const long long y = std::min(a.bottom, w->place.bottom) - std::max(a.top, w->place.top);
    return x > 0 && y > 0 ? x * y : 0;
  };
  const auto distance = [&](const Rect& a) {
    const long long x = std::max({0, a.left - w->place.right, w->place.left - a.right});
    const long long y = std::max({0, a.top - w->place.bottom, w->place.top - a.bottom});
    return x * x + y * y;
  };
  const Monitor* best = &monitors.front();
  for (const Monitor& m : monitors) {
    if (overlap(m.area) > overlap(best->area) ||
        (overlap(best->area) == 0 && distance(m.area) < distance(best->area))) {
      best = &m;
    }
  }
  return best->display;
}

int FakeWindowSystem::displayCount() {
  reads("displayCount");
  return monitors.empty() ? 1 : static_cast<int>(monitors.size());
}

void FakeWindowSystem::raise(Hwnd32 window) {
  acts("raise");
  calls.push_back("raise " + std::to_string(window));
  if (Window* w = find(window)) ++w->raised;
}

void FakeWindowSystem::placeOn(Hwnd32 window, int display) {
  for (const Monitor& m : monitors) {
    if (m.display.number != display) continue;
    if (Window* w = find(window))
      w->place = {m.area.left, m.area.top, m.area.left + 800, m.area.top + 600};
  }
}

void FakeWindowSystem::setBand(Hwnd32 window, ZBand band) {
  acts("setBand", std::to_string(static_cast<int>(band)));
  calls.push_back("band " + std::to_string(window) + " " + std::to_string(static_cast<int>(band)));
  if (Window* w = find(window)) w->topmost = band == ZBand::Topmost;
}

void FakeWindowSystem::show(Hwnd32 window, ShowCommand command) {
  acts("show", std::to_string(static_cast<int>(command)));
  calls.push_back("show " + std::to_string(window) + " " +
                  std::to_string(static_cast<int>(command)));
  if (Window* w = find(window)) w->lastShow = command;
}

platform::StoredValue FakeSettings::read(std::string_view key) {
  reads("read", key);
  if (refuseReads) throw AppError::system("Access is denied.");
  if (otherKinds.contains(key)) return {std::nullopt, true};
  const auto it = values.find(key);
  if (it == values.end()) return {};
  return {it->second, false};
}

void FakeSettings::write(std::string_view key, std::string_view value) {
  acts("write", key);
  if (refuseWrites) throw AppError::system("Access is denied.");
  if (const auto it = otherKinds.find(key); it != otherKinds.end()) otherKinds.erase(it);
  values.insert_or_assign(std::string(key), std::string(value));
  writes.emplace_back(key);
}

bool FakeSettings::writeOverText(std::string_view key, std::string_view value) {
  acts("write", key);
  if (refuseWrites) throw AppError::system("Access is denied.");
  if (otherKinds.contains(key)) return false;
  values.insert_or_assign(std::string(key), std::string(value));
  writes.emplace_back(key);
  return true;
}

// The fake keeps its own calendar (the standard library's), so that it does
// not lean on the calendar code the tests check.
void FakeClock::advance(int seconds) {
  using namespace std::chrono;
  const auto date =
      sys_days(year_month_day(year(current.year), month(static_cast<unsigned>(current.month)),
                              day(static_cast<unsigned>(current.day))));
  const auto at = date + hours(current.time.hour) + minutes(current.time.minute) +
                  std::chrono::seconds(current.time.second);
  setLocal(duration_cast<std::chrono::seconds>(at.time_since_epoch()).count() + seconds);
}

void FakeClock::setLocal(std::int64_t secondsSinceEpoch) {
  using namespace std::chrono;
  const sys_seconds at{std::chrono::seconds(secondsSinceEpoch)};
  const sys_days date = floor<days>(at);
  const year_month_day ymd(date);
  const hh_mm_ss<std::chrono::seconds> time(at - date);
  current = {static_cast<int>(ymd.year()),
             static_cast<int>(static_cast<unsigned>(ymd.month())),
             static_cast<int>(static_cast<unsigned>(ymd.day())),
             static_cast<int>(weekday(date).c_encoding()),
             {static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
              static_cast<int>(time.seconds().count())}};
}

}  // namespace tarnavel::fake
