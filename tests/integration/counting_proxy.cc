#include "integration/counting_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>

namespace orvex::testing {
namespace {

// Pieces are passed on as soon as they arrive: without this, the relay's
// small writes wait for the peer's delayed acknowledgement (tens of
// milliseconds a request), which would swamp every timing taken through it.
void NoDelay(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int Connect(uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  NoDelay(fd);
  return fd;
}

bool SendAll(int fd, const char* data, ssize_t n) {
  while (n > 0) {
    ssize_t w = ::send(fd, data, static_cast<size_t>(n), MSG_NOSIGNAL);
    if (w <= 0) return false;
    data += w;
    n -= w;
  }
  return true;
}

}  // namespace

CountingProxy::CountingProxy(uint16_t target_port) : target_(target_port) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::listen(listener_, 16);
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

CountingProxy::~CountingProxy() {
  stopping_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  ::close(listener_);
  acceptor_.join();
  for (std::thread& t : relays_) t.join();
}

std::vector<std::string> CountingProxy::methods() const {
  std::lock_guard<std::mutex> lock(methods_mutex_);
  return methods_;
}

void CountingProxy::Reset() {
  std::lock_guard<std::mutex> lock(methods_mutex_);
  methods_.clear();
  requests_ = 0;
}

void CountingProxy::Accept() {
  while (!stopping_) {
    int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    NoDelay(client);
    ++connections_;
    relays_.emplace_back([this, client] { Relay(client); });
  }
}

void CountingProxy::Relay(int client) {
  int server = Connect(target_);
  if (server < 0) {
    ::close(client);
    return;
  }
  // Request lines are recognised in the client's stream by their shape: an
  // upper-case method, a target and the protocol version (request bodies are
  // XML and never hold such a line).
  static const std::regex kRequestLine("([A-Z][A-Z-]*) [^ \r\n]+ HTTP/1\\.[01]\r\n");
  std::string pending;
  pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
  char buf[65536];
  while (!stopping_) {
    if (::poll(fds, 2, 100) < 0) break;
    bool closed = false;
    for (int i = 0; i < 2 && !closed; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = ::recv(fds[i].fd, buf, sizeof buf, 0);
      if (n <= 0 || !SendAll(fds[1 - i].fd, buf, n)) {
        closed = true;
        break;
      }
      if (i == 0) {
        pending.append(buf, static_cast<size_t>(n));
        std::smatch m;
        while (std::regex_search(pending, m, kRequestLine)) {
          std::lock_guard<std::mutex> lock(methods_mutex_);
          ++requests_;
          methods_.push_back(m[1]);
          pending.erase(0, static_cast<size_t>(m.position(0) + m.length(0)));
        }
        if (pending.size() > 8192) pending.erase(0, pending.size() - 8192);
      }
    }
    if (closed) break;
  }
  ::close(client);
  ::close(server);
}

}  // namespace orvex::testing
