#include "support/raw_connection.h"

#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define ORVEX_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVEX_TEST_ASAN 1
#endif
#endif
#ifdef ORVEX_TEST_ASAN
// The sanitizer runtime's count of live heap bytes (declared here: GCC does
// not install the sanitizer interface headers).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace orvex::docstore::testing {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

RawConnection::RawConnection(uint16_t port, const char* from, int receive_buffer) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  if (receive_buffer > 0)
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from, &local.sin_addr);
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    Close();
    return;
  }
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(port);
  ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) Close();
}

void RawConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool RawConnection::Send(const std::string& bytes) {
  return fd_ >= 0 && ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                         static_cast<ssize_t>(bytes.size());
}

std::string RawConnection::Read(int timeout_ms) {
  std::string out;
  auto deadline = Clock::now() + milliseconds(timeout_ms);
  while (fd_ >= 0 && !closed_) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    pollfd pfd{fd_, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(std::max<int64_t>(left, 0))) <= 0) break;
    char buf[65536];
    ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) {
      closed_ = true;
      break;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

std::string RawConnection::ReadAnswer(int timeout_ms) {
  std::string out;
  auto deadline = Clock::now() + milliseconds(timeout_ms);
  while (Clock::now() < deadline && !closed_) {
    // Short reads, so a whole answer is seen as soon as it has arrived.
    out += Read(5);
    auto end = out.find("\r\n\r\n");
    if (end == std::string::npos) continue;
    auto cl = out.find("Content-Length: ");
    size_t length = cl == std::string::npos ? 0 : std::stoul(out.substr(cl + 16));
    if (out.size() >= end + 4 + length) break;
  }
  return out;
}

std::string RawConnection::ReadToEnd(int quiet_ms) {
  std::string out;
  while (!closed_) {
    std::string got = Read(quiet_ms);
    if (got.empty()) break;
    out += got;
  }
  return out;
}

size_t RawConnection::Pending() const {
  int n = 0;
  return fd_ >= 0 && ::ioctl(fd_, FIONREAD, &n) == 0 ? static_cast<size_t>(n) : 0;
}

uint16_t RawConnection::local_port() const {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
  return ntohs(local.sin_port);
}

int StatusOf(const std::string& raw) {
  if (raw.rfind("HTTP/1.1 ", 0) != 0 && raw.rfind("HTTP/1.0 ", 0) != 0) return 0;
  return std::atoi(raw.c_str() + 9);
}

size_t HeapInUse() {
#ifdef ORVEX_TEST_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

}  // namespace orvex::docstore::testing
