// Slows down guessing passwords: log-ins from an address that keeps failing
// are made to wait, longer with every further failure.
//
// The first kFreeFailures failures of an address cost nothing extra. While
// an address has free failures left, its log-ins are checked side by side,
// but never more at once than it has free failures left: were every one
// of them wrong, the address would just have used them up. Once they are
// used up its log-ins are checked one at a time, each after a wait (right
// or wrong alike: answering right ones at once would tell a guesser which
// ones were wrong without waiting): 100 ms after the next failure, doubling
// with each further one, at most kMaxDelay. So guesses sent on many
// connections at once buy no more than guesses sent one after another,
// while right log-ins arriving together (many clients behind one proxy)
// wait for nothing but each other's checks. An address is forgotten
// kForgetAfter after its last failure.
//
// The address is the client's: the peer's, or, for a peer that is a
// trusted proxy (a load balancer in front of the nodes), the one it names
// last in X-Forwarded-For, so clients behind one balancer are throttled
// each on its own.
#ifndef ORVEX_DOCSTORE_LOGIN_THROTTLE_H_
#define ORVEX_DOCSTORE_LOGIN_THROTTLE_H_

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "docstore/mutex.h"

namespace orvex::docstore {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFreeFailures = 5;
  static constexpr std::chrono::milliseconds kFirstDelay{100};
  static constexpr std::chrono::milliseconds kMaxDelay{5000};
  static constexpr std::chrono::minutes kForgetAfter{15};

  // `trusted_proxies`: peer addresses whose X-Forwarded-For is believed.
  explicit LoginThrottle(std::vector<std::string> trusted_proxies = {})
      : trusted_proxies_(std::move(trusted_proxies)) {}

  // The address a log-in from `peer` counts for: for a trusted proxy the
  // last address of `forwarded_for` (the X-Forwarded-For it sent), when
  // that is an IP address; otherwise `peer` itself.
  std::string ClientOf(const std::string& peer, const std::string& forwarded_for) const;

  // What a waiting log-in tells and asks its connection.
  struct Waiter {
    std::function<void()> waiting;   // called once, before the first wait
    std::function<bool()> given_up;  // asked while waiting: stop waiting?
  };

  // Starts a log-in attempt from `address`: returns once its password may be
  // checked (at once, unless the address's free failures are used up or
  // taken by the attempts being checked), or false when `waiter.given_up`
  // said so first. Every Admit that returns true is followed by one Done.
  bool Admit(const std::string& address, const Waiter& waiter);
  // Ends an attempt Admit let through: `failed` when the password was wrong
  // (false also for an attempt given up before its check).
  void Done(const std::string& address, bool failed);

 private:
  struct Record {
    int failures = 0;
    int checking = 0;  // admitted and not done
    int waiting = 0;   // in Admit, not yet admitted
    Clock::time_point last_failure;
  };
  // The attempt's wait once the free failures are used up.
  static std::chrono::milliseconds DelayAfter(int failures);
  void Forget(Clock::time_point now) ORVEX_REQUIRES(mutex_);

  const std::vector<std::string> trusted_proxies_;
  Mutex mutex_;
  std::condition_variable_any changed_;  // an attempt was done or gave up
  std::map<std::string, Record> records_ ORVEX_GUARDED_BY(mutex_);
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_LOGIN_THROTTLE_H_
