// The settings an organisation set for every display it runs (Group Policy,
// Intune): read once at start-up from the machine's and the user's policy
// keys, the machine's winning. A setting set by policy is read from there
// and never from, nor into, the user's own store; its controls are locked.
// A policy value that the setting cannot take is a problem reported once,
// and that setting stays the user's.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"

namespace tarnavel {

inline constexpr std::string_view kSetByOrganization = "Set by your organization";
// The name under which About Tarnavel lists a queue set by policy.
inline constexpr std::string_view kPolicyQueueName = "Queue";

// What a setting's text must be.
enum class PolicyForm {
  Boolean,    // "True"/"False" (any case) or "1"/"0"; REG_DWORD 1/0
  OnOff,      // "On"/"Off" (any case) or "1"/"0"; REG_DWORD 1/0
  Number,     // a whole number from 0 to 99999, as text or REG_DWORD
  Seconds,    // a whole number of seconds from 1 to 3600, as text or REG_DWORD
  TimeOfDay,  // a time of day, 12- or 24-hour
  Weekday,    // an English weekday name, "Monday" to "Sunday"
  Span,       // "HH:MM-HH:MM", or empty for none
  Days,       // English weekday names, comma-separated, in week order
};

struct PolicySetting {
  std::string_view name;
  PolicyForm form;
};

// Every setting a policy may set, in the order About Tarnavel lists them.
std::span<const PolicySetting> policySettings();

// The text a policy value gives the setting; nothing when the setting
// cannot take it.
std::optional<std::string> policyText(PolicyForm form, const platform::PolicyValue& value,
                                      const TimeFormat& times);

class Policies {
 public:
  // Reads every setting's policy and the queue's. Never throws: a store that
  // fails reads as no policy, and says so among the problems.
  void load(platform::IPolicyStore& store, const TimeFormat& times);

  // The setting's text by policy, or nothing when the user sets it.
  const std::string* text(std::string_view name) const;
  bool sets(std::string_view name) const { return text(name) != nullptr; }
  // The queue's window titles by policy, when a policy sets the queue.
  const std::optional<std::vector<std::string>>& queue() const { return queue_; }
  // The names of the settings set by policy, in list order, the queue last.
  std::vector<std::string> names() const;
  // One line for each policy value that cannot be used.
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::vector<std::pair<std::string, std::string>> texts_;
  std::optional<std::vector<std::string>> queue_;
  std::vector<std::string> problems_;
};

// The user's own settings store with the policies laid over it: a setting
// set by policy reads as the policy says, "Queued Windows" reads as the
// policy's titles (each row without a window, found again by its title), and
// writes to either leave the user's store alone.
class ManagedSettings final : public platform::ISettingsBackend {
 public:
  ManagedSettings(platform::ISettingsBackend& own, const Policies& policies)
      : own_(own), policies_(policies) {}
  platform::StoredValue read(std::string_view key) override;
  void write(std::string_view key, std::string_view value) override;
  bool writeOverText(std::string_view key, std::string_view value) override;

 private:
  bool managed(std::string_view key) const;

  platform::ISettingsBackend& own_;
  const Policies& policies_;
};

}  // namespace tarnavel
