#include "support/holding_relay.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "support/ports.h"

namespace orvex::testing {

HoldingRelay::HoldingRelay(uint16_t target_port)
    : target_(target_port), listener_(ListenOnLoopback(port_)) {
  acceptor_ = std::thread([this] { Accept(); });
}

HoldingRelay::~HoldingRelay() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (int s : sockets_) ::shutdown(s, SHUT_RDWR);
  }
  changed_.notify_all();
  ::shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  for (std::thread& t : pumps_) t.join();
  for (int s : sockets_) ::close(s);
  ::close(listener_);
}

void HoldingRelay::HoldAfter(size_t bytes) {
  std::lock_guard lock(mutex_);
  hold_at_ = passed_ + bytes;
}

bool HoldingRelay::WaitHeld(std::chrono::seconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return holding_ || stopping_; }) && holding_;
}

void HoldingRelay::Release() {
  {
    std::lock_guard lock(mutex_);
    hold_at_ = SIZE_MAX;
    holding_ = false;
  }
  changed_.notify_all();
}

void HoldingRelay::Accept() {
  for (;;) {
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    const int server = ConnectToLoopback(target_);
    std::lock_guard lock(mutex_);
    sockets_.push_back(client);
    if (server >= 0) sockets_.push_back(server);
    if (stopping_ || server < 0) {
      ::shutdown(client, SHUT_RDWR);
      continue;
    }
    pumps_.emplace_back([this, client, server] { Pump(client, server, true); });
    pumps_.emplace_back([this, client, server] { Pump(server, client, false); });
  }
}

void HoldingRelay::Pump(int from, int to, bool towards_server) {
  char buffer[16384];
  for (;;) {
    size_t room = sizeof buffer;
    if (towards_server) {
      std::unique_lock lock(mutex_);
      if (passed_ >= hold_at_ && !stopping_) {
        holding_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return passed_ < hold_at_ || stopping_; });
      }
      if (stopping_) break;
      room = std::min(room, hold_at_ - passed_);
    }
    const ssize_t n = ::read(from, buffer, room);
    if (n <= 0) break;
    if (towards_server) {
      std::lock_guard lock(mutex_);
      passed_ += static_cast<size_t>(n);
    }
    for (ssize_t sent = 0; sent < n;) {
      const ssize_t w = ::send(to, buffer + sent, static_cast<size_t>(n - sent), MSG_NOSIGNAL);
      if (w <= 0) return (void)::shutdown(from, SHUT_RDWR);
      sent += w;
    }
  }
  ::shutdown(to, SHUT_WR);
}

}  // namespace orvex::testing
