#include "stubborn_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "support/ports.h"

namespace orvex::testing {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

}  // namespace

StubbornServer::StubbornServer(Mode mode) : mode_(mode) {
  // A backlog of 0 queues one connection; the ones after it never complete
  // their handshake while nobody accepts.
  uint16_t port = 0;
  listen_fd_ = ListenOnLoopback(port, mode == Mode::kNoAccept ? 0 : 8);
  port_ = port;
  if (mode == Mode::kNoAccept) {
    for (int i = 0; i < 3; ++i) {
      int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      sockaddr_in to = Loopback(port_);
      (void)::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
      fillers_.push_back(fd);
    }
    return;
  }
  thread_ = std::thread([this] { Run(); });
}

StubbornServer::~StubbornServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  for (int fd : fillers_) ::close(fd);
  ::close(listen_fd_);
}

void StubbornServer::Run() {
  std::vector<std::pair<int, bool>> clients;  // each with whether its head went out
  constexpr std::string_view kHead =
      "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100000\r\n\r\n";
  while (!stop_) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (::poll(&p, 1, 200) == 1) {
      int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) clients.emplace_back(fd, false);
    }
    char buf[4096];
    for (auto& [fd, head_sent] : clients) {
      bool got_request = false;
      while (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) got_request = true;
      if (mode_ != Mode::kDrip) continue;
      // The head at once, as soon as the request is in; then the body a
      // byte per turn of this loop, about five a second.
      if (!head_sent && got_request) {
        (void)::send(fd, kHead.data(), kHead.size(), MSG_NOSIGNAL);
        head_sent = true;
      } else if (head_sent) {
        (void)::send(fd, "a", 1, MSG_NOSIGNAL);
      }
    }
  }
  for (const auto& client : clients) ::close(client.first);
}

}  // namespace orvex::testing
