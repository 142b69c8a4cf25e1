// Loopback peers that never answer properly, for the client's timeouts: one
// that does not even accept (its queue is full), one that accepts and says
// nothing, one that drips an answer that never ends.
#ifndef ORVEX_TESTS_SERVER_STUBBORN_SERVER_H_
#define ORVEX_TESTS_SERVER_STUBBORN_SERVER_H_

#include <atomic>
#include <thread>
#include <vector>

namespace orvex::testing {

class StubbornServer {
 public:
  enum class Mode {
    kNoAccept,  // the listen queue is full: connections never complete
    kSilent,    // accepts, reads, never writes
    kDrip,      // accepts, then sends an answer a byte at a time, never all of it
  };

  explicit StubbornServer(Mode mode);
  ~StubbornServer();
  StubbornServer(const StubbornServer&) = delete;
  StubbornServer& operator=(const StubbornServer&) = delete;

  int port() const { return port_; }

 private:
  void Run();

  Mode mode_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;  // kNoAccept: the connections that fill the queue
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SERVER_STUBBORN_SERVER_H_
