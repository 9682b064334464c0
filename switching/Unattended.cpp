#include "switching/Unattended.h"

#include <cmath>
#include <string>

#include "core/Calendar.h"
#include "core/Main.h"
#include "core/Numbers.h"
#include "platform/Errors.h"
#include "queue/SwitchQueue.h"
#include "queue/WindowList.h"

namespace tarnavel {

int resumeAfterFrom(std::string_view stored, const NumberFormat& format) {
  const auto value = readNumber(stored, format);
  if (!value || *value != std::floor(*value) || *value < kResumeAfterMin ||
      *value > kResumeAfterMax) {
    return kResumeAfterDefault;
  }
  return static_cast<int>(*value);
}

bool logInsteadFrom(platform::ISettingsBackend& settings, const NumberFormat& format) {
  const auto text = settings.read(kLogInsteadKey).text;
  try {
    return text && textToBoolean(*text, format);
  } catch (const AppError&) {
    return false;
  }
}

std::optional<int> minutesFrom(std::string_view text) {
  const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
  if (text.size() != 5 || text[2] != ':' || !digit(0) || !digit(1) || !digit(3) || !digit(4)) {
    return std::nullopt;
  }
  const int hours = (text[0] - '0') * 10 + (text[1] - '0');
  const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
  if (hours > 23 || minutes > 59) return std::nullopt;
  return hours * 60 + minutes;
}

std::string minutesText(int minutes) {
  const auto two = [](int n) { return std::string{char('0' + n / 10), char('0' + n % 10)}; };
  return two(minutes / 60) + ":" + two(minutes % 60);
}

namespace {
// The week in the order the days are stored and shown: Monday first.
constexpr int kWeekOrder[] = {1, 2, 3, 4, 5, 6, 0};
}  // namespace

std::optional<SwitchHours> switchHoursFrom(std::string_view span,
                                           std::optional<std::string_view> days) {
  SwitchHours hours;
  if (!span.empty()) {
    const auto dash = span.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto from = minutesFrom(span.substr(0, dash));
    const auto to = minutesFrom(span.substr(dash + 1));
    if (!from || !to) return std::nullopt;
    hours.on = true;
    hours.from = *from;
    hours.to = *to;
  }
  if (days) {
    hours.days = 0;
    std::string_view rest = *days;
    while (!rest.empty()) {
      const auto comma = rest.find(',');
      std::string_view name = rest.substr(0, comma);
      rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
      while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
      while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
      int found = -1;
      for (int d = 0; d < 7; ++d) {
        if (kWeekdayNames[static_cast<std::size_t>(d)] == name) found = d;
      }
      if (found < 0) return std::nullopt;
      hours.days = static_cast<std::uint8_t>(hours.days | (1u << found));
      if (comma == std::string_view::npos) break;
      if (rest.empty()) return std::nullopt;  // a name missing after the comma
    }
  }
  return hours;
}

std::string spanText(const SwitchHours& hours) {
  if (!hours.on) return {};
  return minutesText(hours.from) + "-" + minutesText(hours.to);
}

std::string daysText(std::uint8_t days) {
  std::string text;
  for (const int d : kWeekOrder) {
    if ((days & (1u << d)) == 0) continue;
    if (!text.empty()) text += ",";
    text += kWeekdayNames[static_cast<std::size_t>(d)];
  }
  return text;
}

bool withinHours(const SwitchHours& hours, const LocalDateTime& at) {
  const int minute = at.time.hour * 60 + at.time.minute;
  const auto chosen = [&](int weekday) { return (hours.days & (1u << ((weekday + 7) % 7))) != 0; };
  if (hours.from < hours.to) {
    return minute >= hours.from && minute < hours.to && chosen(at.weekday);
  }
  // From the start to midnight belongs to today's span; from midnight to the
  // end, to yesterday's. Equal ends make a span of a whole day.
  if (minute >= hours.from) return chosen(at.weekday);
  return minute < hours.to && chosen(at.weekday - 1);
}

void Unattended::load() {
  Guard g(cx_.report, "Form1.LoadOptions");
  const NumberFormat format =
      g.value(100, NumberFormat{}, [&] { return cx_.sys.locale.numberFormat(); });
  // Read from the store itself: a key of another kind, or a text that is no
  // choice, is simply the default.
  const auto stored = [&](std::string_view key) { return cx_.sys.settings.read(key).text; };
  const auto boolean = [&](std::string_view key) {
    const auto text = stored(key);
    if (!text) return false;
    try {
      return textToBoolean(*text, format);
    } catch (const AppError&) {
      return false;
    }
  };
  g.step(102, [&] { choices_.pauseWhenInUse = boolean(kPauseWhenInUseKey); });
  g.step(104, [&] {
    const auto text = stored(kResumeAfterIdleKey);
    choices_.resumeAfterSeconds = text ? resumeAfterFrom(*text, format) : kResumeAfterDefault;
  });
  g.step(106, [&] { choices_.findReopened = boolean(kFindReopenedKey); });
  g.step(108, [&] { choices_.skipMissing = boolean(kSkipMissingKey); });
  if (choices_.findReopened) g.step(110, [&] { reopened_.load(); });
  g.step(112, [&] {
    choices_.logInsteadOfBoxes = boolean(kLogInsteadKey);
    cx_.report.setLogOnly(choices_.logInsteadOfBoxes);
  });
  g.step(114, [&] { choices_.logSwitches = boolean(kLogSwitchesKey); });
  g.step(116, [&] {
    choices_.keepDisplayOn = boolean(kKeepDisplayOnKey);
    applyPower();
  });
  g.step(118, [&] {
    const auto span = stored(kSwitchHoursKey);
    const auto days = stored(kSwitchDaysKey);
    // Both keys absent: off, and nothing to report.
    if (!span && !days) return;
    const auto hours = switchHoursFrom(span.value_or(""), days);
    if (!hours) throw AppError::typeMismatch();
    choices_.hours = *hours;
  });
  g.step(120, [&] { choices_.switchEachDisplay = boolean(kSwitchEachDisplayKey); });
}

void Unattended::storeChoice(std::string_view key, std::string_view text) {
  cx_.settings.write(key, text);
}

void Unattended::change(const UnattendedChoices& wanted) {
  const UnattendedChoices was = choices_;
  if (wanted.pauseWhenInUse != was.pauseWhenInUse) {
    choices_.pauseWhenInUse = wanted.pauseWhenInUse;
    storeChoice(kPauseWhenInUseKey, Settings::booleanText(wanted.pauseWhenInUse));
    if (!wanted.pauseWhenInUse) release();
  }
  if (wanted.resumeAfterSeconds != was.resumeAfterSeconds &&
      wanted.resumeAfterSeconds >= kResumeAfterMin &&
      wanted.resumeAfterSeconds <= kResumeAfterMax) {
    choices_.resumeAfterSeconds = wanted.resumeAfterSeconds;
    storeChoice(kResumeAfterIdleKey, std::to_string(wanted.resumeAfterSeconds));
  }
  if (wanted.findReopened != was.findReopened) {
    choices_.findReopened = wanted.findReopened;
    storeChoice(kFindReopenedKey, Settings::booleanText(wanted.findReopened));
    // The record starts from the windows the rows name now.
    if (wanted.findReopened) reopened_.load();
  }
  if (wanted.skipMissing != was.skipMissing) {
    choices_.skipMissing = wanted.skipMissing;
    storeChoice(kSkipMissingKey, Settings::booleanText(wanted.skipMissing));
  }
  if (wanted.logInsteadOfBoxes != was.logInsteadOfBoxes) {
    choices_.logInsteadOfBoxes = wanted.logInsteadOfBoxes;
    cx_.report.setLogOnly(wanted.logInsteadOfBoxes);
    storeChoice(kLogInsteadKey, Settings::booleanText(wanted.logInsteadOfBoxes));
  }
  if (wanted.logSwitches != was.logSwitches) {
    choices_.logSwitches = wanted.logSwitches;
    storeChoice(kLogSwitchesKey, Settings::booleanText(wanted.logSwitches));
  }
  if (wanted.keepDisplayOn != was.keepDisplayOn) {
    choices_.keepDisplayOn = wanted.keepDisplayOn;
    storeChoice(kKeepDisplayOnKey, Settings::booleanText(wanted.keepDisplayOn));
    applyPower();
  }
  if (wanted.switchEachDisplay != was.switchEachDisplay) {
    choices_.switchEachDisplay = wanted.switchEachDisplay;
    storeChoice(kSwitchEachDisplayKey, Settings::booleanText(wanted.switchEachDisplay));
  }
  const SwitchHours& hours = wanted.hours;
  const bool inRange = hours.from >= 0 && hours.from < 24 * 60 && hours.to >= 0 &&
                       hours.to < 24 * 60 && hours.days <= 0x7F;
  if (inRange && hours != was.hours) {
    choices_.hours = hours;
    // The times are kept only with the choice on; the days always.
    if (spanText(hours) != spanText(was.hours)) storeChoice(kSwitchHoursKey, spanText(hours));
    if (hours.days != was.hours.days) storeChoice(kSwitchDaysKey, daysText(hours.days));
    if (!hours.on && !choices_.pauseWhenInUse) release();
  }
}

void Unattended::switched(int row, bool taken) {
  ownInput();
  if (!choices_.logSwitches || log == nullptr) return;
  std::string entry = "Switched to \"";
  entry += cx_.ui.ListView2.text(row, kTitle);
  entry += taken ? "\": it took the foreground" : "\": it did not take the foreground";
  log->write(entry);
}

void Unattended::raised(int row, int display) {
  ownInput();
  if (!choices_.logSwitches || log == nullptr) return;
  log->write("Switched to \"" + cx_.ui.ListView2.text(row, kTitle) + "\" on display " +
             std::to_string(display) + ", raised without the foreground");
}

void Unattended::followMonitoring() {
  Guard g(cx_.report, "Form1.KeepDisplayOn");
  g.step(100, [&] {
    monitoringOn_ = cx_.ui.PushButton2.caption() == kTurnOff;
    applyPower();
  });
}

void Unattended::applyPower() {
  const bool wanted = choices_.keepDisplayOn && monitoringOn_;
  if (wanted == powerRequested_) return;
  if (wanted) {
    cx_.sys.power.request();
  } else {
    cx_.sys.power.clear();
  }
  powerRequested_ = wanted;
}

bool Unattended::inUse() {
  auto& input = cx_.sys.input;
  const std::uint32_t now = input.tickCount();
  const std::uint32_t last = input.lastInputTick();
  // Differences of the wrapping tick count, as signed spans.
  const auto idle = static_cast<std::int32_t>(now - last);
  if (idle >= 0 &&
      static_cast<std::int64_t>(idle) >= std::int64_t{choices_.resumeAfterSeconds} * 1000) {
    return false;
  }
  if (ownInputAt_ && static_cast<std::int32_t>(last - *ownInputAt_) <=
                         static_cast<std::int32_t>(kOwnInputMilliseconds)) {
    return false;
  }
  return true;
}

Unattended::Hold Unattended::tick() {
  if (choices_.hours.on && !withinHours(choices_.hours, cx_.sys.clock.now())) {
    hold(true);
    return Hold::Hold;
  }
  if (choices_.pauseWhenInUse && inUse()) {
    hold(false);
    return Hold::Hold;
  }
  if (!held_) return Hold::Run;
  release();
  return Hold::Resumed;
}

void Unattended::hold(bool outsideHours) {
  if (!held_) {
    statusBeforeHold_ = cx_.ui.Frame4.caption();
    outsideHoursInHold_ = false;
  }
  const bool reasonChanged = held_ && heldOutsideHours_ != outsideHours;
  heldOutsideHours_ = outsideHours;
  outsideHoursInHold_ = outsideHoursInHold_ || outsideHours;
  cx_.ui.Frame4.setCaption(holdStatus());
  if (!held_ || reasonChanged) {
    held_ = true;
    if (showHeld) showHeld(true);
  }
}

void Unattended::ownInput() {
  if (choices_.pauseWhenInUse) ownInputAt_ = cx_.sys.input.tickCount();
}

void Unattended::queueEmptied() {
  if (!held_) return;
  if (cx_.ui.Frame4.caption() == holdStatus()) cx_.ui.Frame4.setCaption(statusBeforeHold_);
  release();
}

void Unattended::release() {
  if (!held_) return;
  held_ = false;
  endedOutsideHours_ = outsideHoursInHold_;
  heldOutsideHours_ = false;
  if (showHeld) showHeld(false);
}

int Unattended::turnFor(int row) {
  auto& list = cx_.ui.ListView2;
  const int count = list.count();
  if (count == 0) return 0;
  if (choices_.findReopened) reopened_.sync();
  for (int k = 0; k < count; ++k) {
    const int r = (row - 1 + k) % count + 1;
    if (there(r)) return r;
    // Without skipping, the turn passes on the row's own handle, as always.
    if (!choices_.skipMissing) return row;
  }
  return 0;
}

bool Unattended::there(int row) {
  if (choices_.findReopened) return reopened_.present(row) || reopened_.findAgain(row);
  return ShownWindowOf(cx_.sys.windows, cx_.ui.ListView2.text(row, kHandleText),
                       cx_.sys.locale.numberFormat()) != 0;
}

void Unattended::queueChanged() {
  if (choices_.findReopened) reopened_.sync();
}

}  // namespace tarnavel
