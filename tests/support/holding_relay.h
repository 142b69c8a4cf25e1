// HoldingRelay: a loopback TCP relay in front of a server that can stop
// passing on what clients send once a number of bytes has gone through, and
// go on when told: a server that stops reading in the middle of an upload.
// Answers always flow.
#ifndef ORVEX_TESTS_SUPPORT_HOLDING_RELAY_H_
#define ORVEX_TESTS_SUPPORT_HOLDING_RELAY_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace orvex::testing {

class HoldingRelay {
 public:
  // Relays 127.0.0.1:port() to 127.0.0.1:target_port, holding nothing.
  explicit HoldingRelay(uint16_t target_port);
  ~HoldingRelay();  // releases, closes every connection, joins
  HoldingRelay(const HoldingRelay&) = delete;
  HoldingRelay& operator=(const HoldingRelay&) = delete;

  uint16_t port() const { return port_; }
  // From now on, once `bytes` more have passed towards the server, hold the
  // rest until Release().
  void HoldAfter(size_t bytes);
  // Waits until the relay holds; false when it has not within `limit`.
  bool WaitHeld(std::chrono::seconds limit);
  void Release();

 private:
  void Accept();
  void Pump(int from, int to, bool towards_server);

  uint16_t target_;
  uint16_t port_ = 0;
  int listener_ = -1;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  bool holding_ = false;
  size_t hold_at_ = SIZE_MAX;  // bytes towards the server after which to hold
  size_t passed_ = 0;          // bytes passed towards the server so far
  std::vector<int> sockets_;
  std::vector<std::thread> pumps_;
  std::thread acceptor_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_HOLDING_RELAY_H_
