#include "server/canned_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "support/ports.h"

namespace orvex::testing {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 201:
      return "Created";
    case 204:
      return "No Content";
    case 207:
      return "Multi-Status";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    default:
      return "Status";
  }
}

bool SendAll(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& lower_name) const {
  auto it = headers.find(lower_name);
  return it == headers.end() ? std::string() : it->second;
}

CannedReply CannedReply::Multistatus(std::string xml) {
  CannedReply r;
  r.status = 207;
  r.headers.emplace_back("Content-Type", "application/xml; charset=\"utf-8\"");
  r.body = std::move(xml);
  return r;
}

CannedReply CannedReply::Status(int status) {
  CannedReply r;
  r.status = status;
  return r;
}

CannedHttpServer::CannedHttpServer(Handler handler) : handler_(std::move(handler)) {
  uint16_t port = 0;
  listen_fd_ = ListenOnLoopback(port);
  port_ = port;
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

CannedHttpServer::~CannedHttpServer() {
  (void)!::write(wake_[1], "x", 1);
  acceptor_.join();
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (int fd : open_fds_) ::shutdown(fd, SHUT_RDWR);
  }
  for (std::thread& t : workers_) t.join();
  for (int fd : open_fds_) ::close(fd);
  ::close(listen_fd_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::vector<RecordedRequest> CannedHttpServer::requests() const {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_;
}

void CannedHttpServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mu_);
  requests_.clear();
}

void CannedHttpServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents != 0) return;
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int connection = ++connections_;
    std::lock_guard<std::mutex> lock(mu_);
    open_fds_.push_back(fd);
    workers_.emplace_back([this, fd, connection] { Serve(fd, connection); });
  }
}

void CannedHttpServer::Serve(int fd, int connection) {
  std::string buffer;
  char chunk[65536];
  auto fill = [&]() {
    ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
  };
  for (;;) {
    size_t head_end;
    while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos)
      if (!fill()) return;

    RecordedRequest request;
    request.connection = connection;
    std::string head = buffer.substr(0, head_end);
    buffer.erase(0, head_end + 4);
    size_t line_end = head.find("\r\n");
    std::string request_line = head.substr(0, line_end);
    size_t sp1 = request_line.find(' ');
    size_t sp2 = request_line.rfind(' ');
    request.method = request_line.substr(0, sp1);
    request.target = request_line.substr(sp1 + 1, sp2 - sp1 - 1);
    size_t pos = line_end == std::string::npos ? head.size() : line_end + 2;
    while (pos < head.size()) {
      size_t end = head.find("\r\n", pos);
      if (end == std::string::npos) end = head.size();
      std::string line = head.substr(pos, end - pos);
      size_t colon = line.find(':');
      if (colon != std::string::npos) {
        size_t v = line.find_first_not_of(' ', colon + 1);
        request.headers[Lower(line.substr(0, colon))] =
            v == std::string::npos ? std::string() : line.substr(v);
      }
      pos = end + 2;
    }
    size_t length = 0;
    std::string cl = request.Header("content-length");
    if (!cl.empty()) length = std::stoul(cl);
    while (buffer.size() < length)
      if (!fill()) return;
    request.body = buffer.substr(0, length);
    buffer.erase(0, length);

    {
      std::lock_guard<std::mutex> lock(mu_);
      requests_.push_back(request);
    }
    CannedReply reply = handler_(request);
    if (reply.ending == CannedReply::Ending::kCloseAtOnce) break;

    std::string out =
        "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) + "\r\n";
    for (const auto& [name, value] : reply.headers) out += name + ": " + value + "\r\n";
    size_t announced = reply.body.size();
    if (reply.ending == CannedReply::Ending::kTruncated) announced += 1000;
    out += "Content-Length: " + std::to_string(announced) + "\r\n\r\n";
    out += reply.body;
    if (!SendAll(fd, out) || reply.ending == CannedReply::Ending::kTruncated) break;
    if (Lower(request.Header("connection")) == "close") break;
  }
  ::shutdown(fd, SHUT_RDWR);
}

}  // namespace orvex::testing
