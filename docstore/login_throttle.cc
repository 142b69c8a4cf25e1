#include "docstore/login_throttle.h"

#include <algorithm>

namespace orvex::docstore {

LoginThrottle::Clock::time_point LoginThrottle::Admit(const std::string& address) {
  auto now = Clock::now();
  std::lock_guard lock(mutex_);
  auto it = records_.find(address);
  if (it == records_.end()) return now;
  Record& r = it->second;
  if (now - r.last_failure > kForgetAfter) {
    records_.erase(it);
    return now;
  }
  if (r.failures < kFreeFailures) return now;
  int doublings = std::min(r.failures - kFreeFailures, 16);
  auto delay = std::min<std::chrono::milliseconds>(kFirstDelay * (1 << doublings), kMaxDelay);
  auto at = std::max(now, r.next_slot) + delay;
  r.next_slot = at;
  return at;
}

void LoginThrottle::Failed(const std::string& address) {
  auto now = Clock::now();
  std::lock_guard lock(mutex_);
  // Memory stays small under a flood of addresses: what no longer slows
  // anybody down goes first.
  if (records_.size() > 10000) Forget(now);
  Record& r = records_[address];
  ++r.failures;
  r.last_failure = now;
}

void LoginThrottle::Forget(Clock::time_point now) {
  for (auto it = records_.begin(); it != records_.end();) {
    if (now - it->second.last_failure > kForgetAfter || it->second.failures < kFreeFailures)
      it = records_.erase(it);
    else
      ++it;
  }
}

}  // namespace orvex::docstore
