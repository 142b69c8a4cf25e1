#include "docstore/login_throttle.h"

#include <algorithm>

namespace orvex::docstore {

LoginThrottle::Clock::time_point LoginThrottle::Admit(const std::string& address) {
  auto now = Clock::now();
  MutexLock lock(mutex_);
  // Memory stays small under a flood of addresses: what no longer slows
  // anybody down goes first.
  if (records_.size() > 10000) Forget(now);
  Record& r = records_[address];
  if (r.failures > 0 && now - r.last_failure > kForgetAfter) r.failures = 0;
  int counted = r.failures + r.in_flight;
  ++r.in_flight;
  if (counted < kFreeFailures) return now;
  int doublings = std::min(counted - kFreeFailures, 16);
  auto delay = std::min<std::chrono::milliseconds>(kFirstDelay * (1 << doublings), kMaxDelay);
  auto at = std::max(now, r.next_slot) + delay;
  r.next_slot = at;
  return at;
}

void LoginThrottle::Done(const std::string& address, bool failed) {
  auto now = Clock::now();
  MutexLock lock(mutex_);
  auto it = records_.find(address);
  if (it == records_.end()) return;
  Record& r = it->second;
  if (r.in_flight > 0) --r.in_flight;
  if (failed) {
    ++r.failures;
    r.last_failure = now;
  }
  if (r.failures == 0 && r.in_flight == 0) records_.erase(it);
}

void LoginThrottle::Forget(Clock::time_point now) {
  for (auto it = records_.begin(); it != records_.end();) {
    const Record& r = it->second;
    if (r.in_flight == 0 && (now - r.last_failure > kForgetAfter || r.failures < kFreeFailures))
      it = records_.erase(it);
    else
      ++it;
  }
}

}  // namespace orvex::docstore
