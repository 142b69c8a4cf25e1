// One client connection: reads HTTP/1.1 requests (keep-alive), authenticates
// them, reads their bodies within limits, hands them to the DavHandler and
// writes the responses. Runs on its own thread with blocking I/O; the server
// unblocks it with Shutdown.
#ifndef ORVEX_DOCSTORE_HTTP_SESSION_H_
#define ORVEX_DOCSTORE_HTTP_SESSION_H_

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <cstdint>

#include "docstore/dav_handler.h"

namespace orvex::docstore {

// Limits on what a request may send.
inline constexpr size_t kMaxHeaderBytes = 16 * 1024;     // 431 past this
inline constexpr uint64_t kMaxSmallBody = 1024 * 1024;   // 413 past this (XML bodies)
inline constexpr uint64_t kMaxUploadBody = 64ull << 30;  // 413 past this (PUT)

class HttpSession {
 public:
  HttpSession(boost::asio::ip::tcp::socket socket, DavHandler& handler);
  ~HttpSession();

  // Serves requests until the peer closes, an error, or Shutdown.
  void Run();
  // Callable from any thread: ends Run as soon as possible.
  void Shutdown();

  // Milliseconds since the connection last moved data, or 0 while a request
  // is being handled.
  int64_t IdleMillis() const;
  bool Finished() const { return finished_; }

  // Read and write calls of the connection that record activity (the
  // SyncReadStream / SyncWriteStream the HTTP parser needs).
  class Stream;

 private:
  boost::asio::ip::tcp::socket socket_;
  DavHandler& handler_;
  std::atomic<int64_t> last_activity_ms_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> finished_{false};
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_HTTP_SESSION_H_
