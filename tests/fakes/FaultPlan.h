// Failure injection for the tests. While a plan records, every call that a
// fake takes from the program is numbered and written down by name, and the
// call numbered failAt throws instead of doing its work, the way a failing
// control or service does. Walking failAt over 1..N makes each statement of
// a procedure fail in turn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Errors.h"

namespace tarnavel::fake {

class FaultPlan {
 public:
  struct Call {
    // The fake's name, the member and what it was about, e.g.
    // "ListView2.setText", "settings.write Weekly", "windows.show 3".
    std::string name;
    // False for a query that leaves everything as it was.
    bool changes;
  };

  void take(std::string_view fake, std::string_view member, std::string_view detail, bool changes) {
    if (!recording) return;
    std::string name(fake);
    name += '.';
    name += member;
    if (!detail.empty()) {
      name += ' ';
      name += detail;
    }
    calls.push_back({std::move(name), changes});
    if (calls.size() == failAt) throw AppError::invalidCall();
  }

  bool recording = false;
  // 1-based number of the call that fails; 0 fails none.
  std::size_t failAt = 0;
  std::vector<Call> calls;
};

// What lets a fake join a plan, under the name the program knows it by.
class Watched {
 public:
  void watch(FaultPlan& plan, std::string_view name) {
    plan_ = &plan;
    name_ = name;
  }

 protected:
  void reads(std::string_view member, std::string_view detail = {}) const {
    if (plan_) plan_->take(name_, member, detail, false);
  }
  void acts(std::string_view member, std::string_view detail = {}) const {
    if (plan_) plan_->take(name_, member, detail, true);
  }

 private:
  FaultPlan* plan_ = nullptr;
  std::string name_;
};

}  // namespace tarnavel::fake
