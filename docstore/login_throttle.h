// Slows down guessing passwords: log-ins from an address that keeps failing
// are made to wait, longer with every further failure.
//
// The first kFreeFailures failures of an address cost nothing extra. After
// that every log-in attempt from the address (right or wrong: answering
// right ones at once would tell a guesser which ones were wrong without
// waiting) waits before its password is checked: 100 ms after the next
// failure, doubling with each further one, at most kMaxDelay. The waits of
// one address queue behind each other, so opening more connections does not
// buy more guesses. An address is forgotten kForgetAfter after its last
// failure.
#ifndef ORVEX_DOCSTORE_LOGIN_THROTTLE_H_
#define ORVEX_DOCSTORE_LOGIN_THROTTLE_H_

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace orvex::docstore {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFreeFailures = 5;
  static constexpr std::chrono::milliseconds kFirstDelay{100};
  static constexpr std::chrono::milliseconds kMaxDelay{5000};
  static constexpr std::chrono::minutes kForgetAfter{15};

  // The moment a log-in attempt from `address` may have its password
  // checked (now, unless the address has failed too often).
  Clock::time_point Admit(const std::string& address);
  // Records a failed log-in from `address`.
  void Failed(const std::string& address);

 private:
  struct Record {
    int failures = 0;
    Clock::time_point last_failure;
    Clock::time_point next_slot;  // when the next waiting attempt may go
  };
  void Forget(Clock::time_point now);

  std::mutex mutex_;
  std::map<std::string, Record> records_;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_LOGIN_THROTTLE_H_
