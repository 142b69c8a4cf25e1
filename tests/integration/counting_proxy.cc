#include "integration/counting_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <regex>
#include <stdexcept>

#include "support/ports.h"
#include "support/test_certificates.h"

namespace orvex::testing {

struct CountingProxy::Tls {
  SSL_CTX* serve = nullptr;  // towards the clients, with the certificate
  SSL_CTX* reach = nullptr;  // towards the store, taking its certificate as it is
  ~Tls() {
    SSL_CTX_free(serve);
    SSL_CTX_free(reach);
  }
};

namespace {

// Pieces are passed on as soon as they arrive: without this, the relay's
// small writes wait for the peer's delayed acknowledgement (tens of
// milliseconds a request), which would swamp every timing taken through it.
void NoDelay(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int Connect(uint16_t port) {
  const int fd = ConnectToLoopback(port);
  if (fd >= 0) NoDelay(fd);
  return fd;
}

// One side of a relayed connection: its socket, made non-blocking, and the
// TLS session over it when there is one. Non-blocking because a TLS read
// may consume only records that carry no data (the session tickets a
// server sends after the handshake), and must then not wait for more.
class End {
 public:
  End(int fd, SSL* ssl, const std::atomic<bool>& stopping)
      : fd_(fd), ssl_(ssl), stopping_(stopping) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    if (ssl_) SSL_set_fd(ssl_, fd_);
  }
  ~End() {
    if (ssl_) {
      SSL_shutdown(ssl_);
      SSL_free(ssl_);
    }
    ::close(fd_);
  }
  End(const End&) = delete;
  End& operator=(const End&) = delete;

  int fd() const { return fd_; }

  // Completes the TLS handshake, as the server (`accept`) or the client.
  bool Handshake(bool accept) {
    if (!ssl_) return true;
    if (accept)
      SSL_set_accept_state(ssl_);
    else
      SSL_set_connect_state(ssl_);
    for (;;) {
      const int r = SSL_do_handshake(ssl_);
      if (r == 1) return true;
      if (!Wait(SSL_get_error(ssl_, r))) return false;
    }
  }

  // What has arrived, up to `size` bytes: their count, 0 when nothing is
  // ready yet, -1 when the peer is gone.
  ssize_t Read(char* buf, size_t size) {
    if (!ssl_) {
      const ssize_t n = ::recv(fd_, buf, size, 0);
      if (n > 0) return n;
      return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
    const int n = SSL_read(ssl_, buf, static_cast<int>(size));
    if (n > 0) return n;
    const int error = SSL_get_error(ssl_, n);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? 0 : -1;
  }

  bool WriteAll(const char* data, size_t size) {
    while (size > 0) {
      ssize_t n;
      int want;
      if (ssl_) {
        n = SSL_write(ssl_, data, static_cast<int>(size));
        want = n > 0 ? 0 : SSL_get_error(ssl_, static_cast<int>(n));
      } else {
        n = ::send(fd_, data, size, MSG_NOSIGNAL);
        want = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? SSL_ERROR_WANT_WRITE : 0;
      }
      if (n > 0) {
        data += n;
        size -= static_cast<size_t>(n);
      } else if (!Wait(want)) {
        return false;
      }
    }
    return true;
  }

 private:
  // Waits until the socket is ready for what `want` (SSL_ERROR_WANT_READ or
  // _WRITE) asks; false for anything else, or when the proxy stops.
  bool Wait(int want) {
    const short events = want == SSL_ERROR_WANT_READ    ? POLLIN
                         : want == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                        : 0;
    if (events == 0) return false;
    while (!stopping_) {
      pollfd p{fd_, events, 0};
      const int r = ::poll(&p, 1, 100);
      if (r > 0) return true;
      if (r < 0 && errno != EINTR) return false;
    }
    return false;
  }

  int fd_;
  SSL* ssl_;
  const std::atomic<bool>& stopping_;
};

}  // namespace

CountingProxy::CountingProxy(uint16_t target_port, const CertificateFiles* tls)
    : target_(target_port) {
  if (tls) {
    tls_ = std::make_unique<Tls>();
    tls_->serve = SSL_CTX_new(TLS_server_method());
    tls_->reach = SSL_CTX_new(TLS_client_method());
    if (!tls_->serve || !tls_->reach ||
        SSL_CTX_use_certificate_chain_file(tls_->serve, tls->cert.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_->serve, tls->key.c_str(), SSL_FILETYPE_PEM) != 1)
      throw std::runtime_error("counting proxy: cannot serve " + tls->cert);
    SSL_CTX_set_verify(tls_->reach, SSL_VERIFY_NONE, nullptr);
  }
  listener_ = ListenOnLoopback(port_);
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

void CountingProxy::Relay(int client_fd) {
  int server_fd = Connect(target_);
  if (server_fd < 0) {
    ::close(client_fd);
    return;
  }
  End client(client_fd, tls_ ? SSL_new(tls_->serve) : nullptr, stopping_);
  End server(server_fd, tls_ ? SSL_new(tls_->reach) : nullptr, stopping_);
  if (!client.Handshake(true) || !server.Handshake(false)) return;
  // Request lines are recognised in the client's stream by their shape: an
  // upper-case method, a target and the protocol version (request bodies are
  // XML and never hold such a line).
  static const std::regex kRequestLine("([A-Z][A-Z-]*) [^ \r\n]+ HTTP/1\\.[01]\r\n");
  std::string pending;
  End* ends[2] = {&client, &server};
  char buf[65536];
  while (!stopping_) {
    pollfd fds[2] = {{client.fd(), POLLIN, 0}, {server.fd(), POLLIN, 0}};
    if (::poll(fds, 2, 100) < 0) break;
    bool closed = false;
    for (int i = 0; i < 2 && !closed; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      // Everything that has arrived, TLS records already decrypted included.
      for (;;) {
        const ssize_t n = ends[i]->Read(buf, sizeof buf);
        if (n == 0) break;
        if (n < 0 || !ends[1 - i]->WriteAll(buf, static_cast<size_t>(n))) {
          closed = true;
          break;
        }
        if (i != 0) continue;
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
}

}  // namespace orvex::testing
