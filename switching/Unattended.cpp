#include "switching/Unattended.h"

#include <cmath>
#include <string>

#include "core/Numbers.h"
#include "platform/Errors.h"
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
  if (!choices_.pauseWhenInUse || !inUse()) {
    if (!held_) return Hold::Run;
    release();
    return Hold::Resumed;
  }
  if (!held_) statusBeforeHold_ = cx_.ui.Frame4.caption();
  cx_.ui.Frame4.setCaption(kStatusPaused);
  if (!held_) {
    held_ = true;
    if (showHeld) showHeld(true);
  }
  return Hold::Hold;
}

void Unattended::ownInput() {
  if (choices_.pauseWhenInUse) ownInputAt_ = cx_.sys.input.tickCount();
}

void Unattended::queueEmptied() {
  if (!held_) return;
  if (cx_.ui.Frame4.caption() == kStatusPaused) cx_.ui.Frame4.setCaption(statusBeforeHold_);
  release();
}

void Unattended::release() {
  if (!held_) return;
  held_ = false;
  if (showHeld) showHeld(false);
}

int Unattended::turnFor(int row) {
  auto& list = cx_.ui.ListView2;
  const int count = list.count();
  if (count == 0) return 0;
  if (choices_.findReopened) reopened_.sync();
  const auto there = [&](int r) {
    if (choices_.findReopened) return reopened_.present(r) || reopened_.findAgain(r);
    const auto value = readNumber(list.text(r, kHandleText), cx_.sys.locale.numberFormat());
    return value && fitsLong(*value) && IsShownWindow(cx_.sys.windows, roundToLong(*value));
  };
  for (int k = 0; k < count; ++k) {
    const int r = (row - 1 + k) % count + 1;
    if (there(r)) return r;
    // Without skipping, the turn passes on the row's own handle, as always.
    if (!choices_.skipMissing) return row;
  }
  return 0;
}

void Unattended::queueChanged() {
  if (choices_.findReopened) reopened_.sync();
}

}  // namespace tarnavel
