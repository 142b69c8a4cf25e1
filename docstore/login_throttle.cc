#include "docstore/login_throttle.h"

#include <arpa/inet.h>

#include <algorithm>

namespace orvex::docstore {

namespace {

// How often a waiting attempt asks whether it was given up.
constexpr std::chrono::milliseconds kPoll{50};

}  // namespace

std::string LoginThrottle::ClientOf(const std::string& peer,
                                    const std::string& forwarded_for) const {
  if (forwarded_for.empty() ||
      std::find(trusted_proxies_.begin(), trusted_proxies_.end(), peer) == trusted_proxies_.end())
    return peer;
  // The proxy appends the address it took the request from; what comes
  // before it is whatever the client chose to send.
  size_t comma = forwarded_for.rfind(',');
  std::string last = forwarded_for.substr(comma == std::string::npos ? 0 : comma + 1);
  last.erase(0, last.find_first_not_of(" \t"));
  last.erase(last.find_last_not_of(" \t") + 1);
  unsigned char bytes[16];
  if (::inet_pton(AF_INET, last.c_str(), bytes) != 1 &&
      ::inet_pton(AF_INET6, last.c_str(), bytes) != 1)
    return peer;
  return last;
}

std::chrono::milliseconds LoginThrottle::DelayAfter(int failures) {
  int doublings = std::min(failures - kFreeFailures, 16);
  return std::min<std::chrono::milliseconds>(kFirstDelay * (1 << doublings), kMaxDelay);
}

bool LoginThrottle::Admit(const std::string& address, const Waiter& waiter) {
  MutexLock lock(mutex_);
  // Memory stays small under a flood of addresses: what no longer slows
  // anybody down goes first.
  if (records_.size() > 10000) Forget(Clock::now());
  // Records are erased only when nobody waits on them or checks, so this
  // reference stays good while the lock is let go.
  Record& r = records_[address];
  ++r.waiting;
  bool told = false;
  auto wait = [&](Clock::time_point until) {
    if (!told) waiter.waiting();
    told = true;
    lock.WaitFor(changed_, std::min<Clock::duration>(until - Clock::now(), kPoll));
  };
  while (true) {
    auto now = Clock::now();
    if (r.failures > 0 && now - r.last_failure > kForgetAfter) r.failures = 0;
    if (r.failures + r.checking < kFreeFailures) break;
    if (r.failures >= kFreeFailures && r.checking == 0) {
      // Its turn: it waits its delay holding the turn, so the next attempt
      // waits for its outcome and then its own delay.
      ++r.checking;
      auto until = now + DelayAfter(r.failures);
      while (Clock::now() < until && !waiter.given_up()) wait(until);
      --r.checking;
      if (Clock::now() >= until) break;
      changed_.notify_all();
    }
    if (waiter.given_up()) {
      --r.waiting;
      if (r.failures == 0 && r.checking == 0 && r.waiting == 0) records_.erase(address);
      return false;
    }
    wait(now + kPoll);
  }
  --r.waiting;
  ++r.checking;
  return true;
}

void LoginThrottle::Done(const std::string& address, bool failed) {
  MutexLock lock(mutex_);
  auto it = records_.find(address);
  if (it == records_.end()) return;
  Record& r = it->second;
  if (r.checking > 0) --r.checking;
  if (failed) {
    ++r.failures;
    r.last_failure = Clock::now();
  }
  if (r.failures == 0 && r.checking == 0 && r.waiting == 0) records_.erase(it);
  changed_.notify_all();
}

void LoginThrottle::Forget(Clock::time_point now) {
  for (auto it = records_.begin(); it != records_.end();) {
    const Record& r = it->second;
    if (r.checking == 0 && r.waiting == 0 &&
        (now - r.last_failure > kForgetAfter || r.failures < kFreeFailures))
      it = records_.erase(it);
    else
      ++it;
  }
}

}  // namespace orvex::docstore
