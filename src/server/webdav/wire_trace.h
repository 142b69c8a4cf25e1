// The wire trace: what went over the wire, for a user to see why a call
// failed. Off by default; on when QZORVEX_TRACE names a file at the first
// request, or after SetWireTraceFile.
//
// Each exchange (one request as the provider sends it, with the round
// trips libcurl makes for it: an authentication challenge and its answer,
// say) is one block appended to the file:
//
//   === 2026-12-07T15:04:05.123Z PROPFIND http://docs/Sales -> https://127.0.0.1:8443/Sales
//   * Connected to 127.0.0.1 (127.0.0.1) port 8443 (#0)
//   > PROPFIND /Sales HTTP/1.1
//   > Host: docs
//   > Authorization: Basic ***
//   > [body 98 bytes] <?xml version="1.0" encoding="utf-8"?><D:propfind ...
//   < HTTP/1.1 207 Multi-Status
//   < Content-Type: application/xml; charset="utf-8"
//   < [body 1534 bytes] <?xml version="1.0" ...
//   = 207 in 3.2 ms
//
// ">" lines went out, "<" came in, "*" are libcurl's notes (TLS, the
// connection, its errors), "=" ends the block with the final status (or
// "failed: reason") and the time taken. Credentials are masked: the value
// of Authorization, Proxy-Authorization, Cookie and Set-Cookie after its
// first word becomes "***". Bodies show their size and first 256 bytes,
// control characters as '.'.
#ifndef ORVEX_SERVER_WEBDAV_WIRE_TRACE_H_
#define ORVEX_SERVER_WEBDAV_WIRE_TRACE_H_

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace orvex::server::webdav {

// Traces every later exchange to `path` (appending), or stops tracing for
// an empty path. Throws std::invalid_argument when the file cannot be
// opened for appending.
void SetWireTraceFile(const std::string& path);

// Whether exchanges are traced now.
bool WireTraceOn();

// One exchange being traced: fed what libcurl reports, written whole at
// Finish so that blocks of concurrent exchanges never interleave.
class ExchangeTrace {
 public:
  ExchangeTrace(std::string_view method, std::string_view url, std::string_view wire_url);

  enum class Kind { kText, kHeaderOut, kHeaderIn, kBodyOut, kBodyIn };
  void Add(Kind kind, std::string_view data);

  // Ends the block with the final status, or with `failure` when not empty.
  void Finish(long status, std::string_view failure);

  // The header line as it may be shown ("Authorization: Basic ***").
  static std::string Masked(std::string_view header_line);

 private:
  void FlushBody();

  std::string block_;
  std::chrono::steady_clock::time_point start_;
  Kind body_kind_ = Kind::kText;
  size_t body_size_ = 0;
  std::string body_start_;
};

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_WIRE_TRACE_H_
