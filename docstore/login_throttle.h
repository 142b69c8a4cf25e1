// Slows down guessing passwords: log-ins from an address that keeps failing
// are made to wait, longer with every further failure.
//
// The first kFreeFailures failures of an address cost nothing extra. After
// that every log-in attempt from the address (right or wrong: answering
// right ones at once would tell a guesser which ones were wrong without
// waiting) waits before its password is checked: 100 ms after the next
// failure, doubling with each further one, at most kMaxDelay. The waits of
// one address queue behind each other, and attempts not yet decided count
// as failures for the ramp, so guesses sent on many connections at once buy
// no more than guesses sent one after another. An address is forgotten
// kForgetAfter after its last failure.
#ifndef ORVEX_DOCSTORE_LOGIN_THROTTLE_H_
#define ORVEX_DOCSTORE_LOGIN_THROTTLE_H_

#include <chrono>
#include <map>
#include <string>

#include "docstore/mutex.h"

namespace orvex::docstore {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFreeFailures = 5;
  static constexpr std::chrono::milliseconds kFirstDelay{100};
  static constexpr std::chrono::milliseconds kMaxDelay{5000};
  static constexpr std::chrono::minutes kForgetAfter{15};

  // Starts a log-in attempt from `address`: the moment its password may be
  // checked (now, unless the address has failed too often). Every Admit is
  // followed by one Done.
  Clock::time_point Admit(const std::string& address);
  // Ends an attempt Admit started: `failed` when the password was wrong
  // (false also for an attempt given up before its check).
  void Done(const std::string& address, bool failed);

 private:
  struct Record {
    int failures = 0;
    int in_flight = 0;  // admitted and not done
    Clock::time_point last_failure;
    Clock::time_point next_slot;  // when the next waiting attempt may go
  };
  void Forget(Clock::time_point now) ORVEX_REQUIRES(mutex_);

  Mutex mutex_;
  std::map<std::string, Record> records_ ORVEX_GUARDED_BY(mutex_);
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_LOGIN_THROTTLE_H_
