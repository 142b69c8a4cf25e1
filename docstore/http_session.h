// One client connection: reads HTTP/1.1 requests (keep-alive), authenticates
// them, reads their bodies within limits, hands them to the DavHandler and
// writes the responses. Runs on a thread with blocking I/O while it has work;
// idle between requests it parks, giving up its thread and buffers until the
// socket is readable again. The server watches its progress (Overdue) and
// unblocks it with Shutdown.
#ifndef ORVEX_DOCSTORE_HTTP_SESSION_H_
#define ORVEX_DOCSTORE_HTTP_SESSION_H_

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <cstdint>
#include <memory>
#include <utility>

#include "docstore/dav_handler.h"
#include "docstore/login_throttle.h"
#include "docstore/server.h"

namespace orvex::docstore {

// Limits on what a request may send.
inline constexpr size_t kMaxHeaderBytes = 16 * 1024;     // 431 past this
inline constexpr uint64_t kMaxSmallBody = 1024 * 1024;   // 413 past this (XML bodies)
inline constexpr uint64_t kMaxUploadBody = 64ull << 30;  // 413 past this (PUT)

class HttpSession {
 public:
  // With `tls`, the connection speaks TLS: its handshake comes first.
  HttpSession(boost::asio::ip::tcp::socket socket, std::string address, DavHandler& handler,
              const ConnectionLimits& limits, LoginThrottle& throttle,
              boost::asio::ssl::context* tls = nullptr);
  ~HttpSession();

  // Serves requests until the peer closes, an error, or Shutdown: false.
  // True when the connection went idle between requests for
  // `ConnectionLimits::park_after_ms` with nothing of a next request read:
  // it is parked, holding no buffers, and the caller runs it again (on any
  // thread) once the socket is readable (AwaitReadable). The server first
  // runs a new connection once its first bytes have arrived.
  bool Run();
  // Calls `handler(error_code)` on the socket's executor once the socket is
  // readable, or with an error when the wait is cancelled (CancelWait). Only
  // while Run is not running.
  template <class Handler>
  void AwaitReadable(Handler&& handler) {
    socket_.async_wait(boost::asio::socket_base::wait_read, std::forward<Handler>(handler));
  }
  // Cancels AwaitReadable's wait; call on the socket's executor.
  void CancelWait();
  // Has the peer closed (or reset) the connection with nothing left to
  // read? Looks without reading; for a parked session.
  bool PeerClosed();
  // Callable from any thread: ends Run as soon as possible.
  void Shutdown();

  // Has the connection passed one of its limits at `now_ms` (steady clock)?
  // Too long without a complete request header, too long idle between
  // requests, or a body or answer moving slower than the least rate. Called
  // by one watching thread only.
  bool Overdue(int64_t now_ms);
  bool Finished() const { return finished_; }
  // Has Shutdown been called (the connection is ending)?
  bool Shut() const { return shut_; }
  // How readily the connection may be ended when the server runs short of
  // connections: 0 never (a request is being read or served), then the
  // higher the sooner: 3 an idle kept-alive connection, 2 a log-in waiting
  // for the throttle, 1 a request header still arriving. The server ends the
  // highest, the longest in its phase first (PhaseStart).
  int Sheddable() const;
  int64_t PhaseStart() const { return phase_start_ms_; }
  // Is a log-in waiting for the throttle?
  bool Throttled() const { return phase_ == Phase::kThrottled; }
  // The client's address, as the limits per address count it.
  const std::string& address() const { return address_; }

  // What the connection is doing, for the limits.
  enum class Phase { kHeader, kIdle, kThrottled, kBody, kHandling, kWriting };

  // Read and write calls of the connection that record progress (the
  // SyncReadStream / SyncWriteStream the HTTP parser needs).
  class Stream;

 private:
  class Exchange;

  void Enter(Phase phase);
  // Stops sending and drops what the peer still sends for a moment.
  void LingeringClose();
  // Has the next request started to arrive within `ms`? True as well when
  // the connection ended or failed, which the next read then finds.
  bool NextRequestWithin(int64_t ms);

  using TlsStream = boost::asio::ssl::stream<boost::asio::ip::tcp::socket&>;

  boost::asio::ip::tcp::socket socket_;
  std::unique_ptr<TlsStream> tls_;  // over socket_, when the server speaks TLS
  std::string address_;
  DavHandler& handler_;
  const ConnectionLimits& limits_;
  LoginThrottle& throttle_;
  std::atomic<Phase> phase_{Phase::kHeader};
  std::atomic<int64_t> phase_start_ms_;
  std::atomic<uint64_t> moved_{0};  // bytes read and written so far
  std::atomic<bool> shut_{false};
  std::atomic<bool> finished_{false};
  bool handshaken_ = false;  // the TLS handshake is done (or not needed)
  bool served_ = false;      // at least one request was answered
  // What was read of the next request; released while parked.
  boost::beast::flat_buffer buffer_;
  // The credentials this connection last proved: a kept-alive client pays
  // for the password hash once, not on every request.
  std::string verified_authorization_;
  std::string verified_user_;
  // The watcher's measuring window of the current body or answer.
  int64_t window_phase_start_ = -1;
  int64_t window_start_ms_ = 0;
  uint64_t window_moved_ = 0;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_HTTP_SESSION_H_
