#include "app/Policies.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Calendar.h"
#include "core/Chars.h"
#include "core/Numbers.h"
#include "core/Settings.h"
#include "queue/SwitchQueue.h"
#include "switching/Monitoring.h"
#include "switching/Unattended.h"

namespace tarnavel {
namespace {

using platform::PolicyValue;
using Kind = PolicyValue::Kind;

constexpr auto kSettings = std::to_array<PolicySetting>({
    {"Option1", PolicyForm::Boolean},
    {"Option2", PolicyForm::Boolean},
    {"Option3", PolicyForm::Boolean},
    {"Option7", PolicyForm::Boolean},
    {"Text1", PolicyForm::Number},
    {"Text2", PolicyForm::Number},
    {"Text3", PolicyForm::Number},
    {"Weekly Time", PolicyForm::TimeOfDay},
    {"Weekly", PolicyForm::Weekday},
    {"Option8", PolicyForm::Boolean},
    {"Option4", PolicyForm::Boolean},
    {"Option5", PolicyForm::Boolean},
    {"Option6", PolicyForm::Boolean},
    {kStartStopKey, PolicyForm::OnOff},
    {"Windows Startup", PolicyForm::OnOff},
    {"Minimized", PolicyForm::OnOff},
    {kPauseWhenInUseKey, PolicyForm::Boolean},
    {kResumeAfterIdleKey, PolicyForm::Seconds},
    {kFindReopenedKey, PolicyForm::Boolean},
    {kSkipMissingKey, PolicyForm::Boolean},
    {kLogInsteadKey, PolicyForm::Boolean},
    {kLogSwitchesKey, PolicyForm::Boolean},
    {kKeepDisplayOnKey, PolicyForm::Boolean},
    {kSwitchHoursKey, PolicyForm::Span},
    {kSwitchDaysKey, PolicyForm::Days},
    {kSwitchEachDisplayKey, PolicyForm::Boolean},
});

// A whole number within the bounds, from text or a number value.
std::optional<std::string> wholeNumber(const PolicyValue& value, std::uint32_t low,
                                       std::uint32_t high) {
  double number = value.number;
  if (value.kind == Kind::Text) {
    const auto read = readNumber(value.text, NumberFormat{});
    if (!read) return std::nullopt;
    number = *read;
  }
  if (number != std::floor(number) || number < low || number > high) return std::nullopt;
  return std::to_string(static_cast<std::uint32_t>(number));
}

// A yes/no setting from text (its two words, any case) or the number 1/0.
std::optional<std::string> twoWords(const PolicyValue& value, std::string_view yes,
                                    std::string_view no) {
  if (value.kind == Kind::Number) {
    if (value.number > 1) return std::nullopt;
    return std::string(value.number == 1 ? yes : no);
  }
  const std::string_view word = trimBlanks(value.text);
  if (word == "1") return std::string(yes);
  if (word == "0") return std::string(no);
  if (equalsNoCase(word, yes)) return std::string(yes);
  if (equalsNoCase(word, no)) return std::string(no);
  return std::nullopt;
}

std::string describe(const PolicyValue& value) {
  switch (value.kind) {
    case Kind::Text: return "\"" + value.text + "\"";
    case Kind::Number: return "the number " + std::to_string(value.number);
    default: return "a value of another kind";
  }
}

std::string problem(std::string_view name, const PolicyValue& value) {
  return "The policy \"" + std::string(name) + "\" holds " + describe(value) +
         ", which this setting cannot take: your own setting applies.";
}

}  // namespace

std::span<const PolicySetting> policySettings() {
  return kSettings;
}

std::optional<std::string> policyText(PolicyForm form, const PolicyValue& value,
                                      const TimeFormat& times) {
  if (value.kind == Kind::Other || value.kind == Kind::Absent) return std::nullopt;
  switch (form) {
    case PolicyForm::Boolean: return twoWords(value, "True", "False");
    case PolicyForm::OnOff: return twoWords(value, "On", "Off");
    case PolicyForm::Number: return wholeNumber(value, 0, 99999);
    case PolicyForm::Seconds: return wholeNumber(value, 1, 3600);
    default: break;
  }
  if (value.kind != Kind::Text) return std::nullopt;
  switch (form) {
    case PolicyForm::TimeOfDay:
      // Stored in the user's own time format, which the time picker reads.
      if (const auto time = parseTimeOfDay(value.text, times)) return formatTimeOfDay(*time, times);
      return std::nullopt;
    case PolicyForm::Weekday:
      for (const auto name : kWeekdayNames) {
        if (equalsNoCase(trimBlanks(value.text), name)) return std::string(name);
      }
      return std::nullopt;
    case PolicyForm::Span:
      if (!switchHoursFrom(value.text, std::nullopt)) return std::nullopt;
      return value.text;
    case PolicyForm::Days:
      if (!switchHoursFrom("", value.text)) return std::nullopt;
      return value.text;
    default: return std::nullopt;
  }
}

void Policies::load(platform::IPolicyStore& store, const TimeFormat& times) {
  texts_.clear();
  queue_.reset();
  problems_.clear();
  try {
    for (const auto& setting : kSettings) {
      for (const auto scope : {platform::PolicyScope::Machine, platform::PolicyScope::User}) {
        const PolicyValue value = store.read(scope, setting.name);
        if (value.kind == Kind::Absent) continue;
        if (auto text = policyText(setting.form, value, times)) {
          texts_.emplace_back(setting.name, std::move(*text));
        } else {
          problems_.push_back(problem(setting.name, value));
        }
        break;  // the machine's value, usable or not, hides the user's
      }
    }
    // The options of a group are stored together: a policy that chooses
    // one of them leaves the others unchosen.
    for (const auto group :
         {std::to_array<std::string_view>({"Option1", "Option2", "Option3", "Option7"}),
          std::to_array<std::string_view>({"Option8", "Option4", "Option5", "Option6"})}) {
      const bool any =
          std::any_of(group.begin(), group.end(), [&](auto name) { return sets(name); });
      for (const auto name : group) {
        if (any && !sets(name)) texts_.emplace_back(name, "False");
      }
    }
    for (const auto scope : {platform::PolicyScope::Machine, platform::PolicyScope::User}) {
      const auto values = store.queue(scope);
      if (values.empty()) continue;
      std::vector<std::string> titles;
      for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].kind == Kind::Text && !values[i].text.empty()) {
          titles.push_back(values[i].text);
        } else {
          problems_.push_back(problem("Queue\\" + std::to_string(i + 1), values[i]));
        }
      }
      queue_ = std::move(titles);
      break;
    }
  } catch (const std::exception& e) {
    texts_.clear();
    queue_.reset();
    problems_.push_back(std::string("The policies could not be read: ") + e.what());
  }
}

const std::string* Policies::text(std::string_view name) const {
  for (const auto& [key, value] : texts_) {
    if (key == name) return &value;
  }
  return nullptr;
}

std::vector<std::string> Policies::names() const {
  std::vector<std::string> names;
  for (const auto& setting : kSettings) {
    if (sets(setting.name)) names.emplace_back(setting.name);
  }
  if (queue_) names.emplace_back(kPolicyQueueName);
  return names;
}

bool ManagedSettings::managed(std::string_view key) const {
  return policies_.sets(key) || (key == kQueuedWindowsKey && policies_.queue());
}

platform::StoredValue ManagedSettings::read(std::string_view key) {
  if (const std::string* text = policies_.text(key)) return {*text, false};
  if (key == kQueuedWindowsKey && policies_.queue()) {
    std::vector<StoredRow> rows;
    for (const auto& title : *policies_.queue())
      rows.push_back({"0", title, "", true});
    return {storedForm(rows), false};
  }
  return own_.read(key);
}

void ManagedSettings::write(std::string_view key, std::string_view value) {
  if (!managed(key)) own_.write(key, value);
}

bool ManagedSettings::writeOverText(std::string_view key, std::string_view value) {
  return managed(key) || own_.writeOverText(key, value);
}

}  // namespace tarnavel
