// HTTP/1.1 requests over one reused libcurl handle.
//
// One client keeps one easy handle, so consecutive requests to the same
// server share a kept-alive connection. Each request goes where its host's
// settings send it (origin.h: the `url`, with the bare name left in the Host
// header), with that host's proxy, timeouts and certificate checks.
// Credentials go out preemptively as HTTP Basic and are never written
// anywhere else.
#ifndef ORVEX_SERVER_WEBDAV_HTTP_CLIENT_H_
#define ORVEX_SERVER_WEBDAV_HTTP_CLIENT_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/webdav/url.h"

namespace orvex::server::webdav {

struct Credentials {
  std::string user;  // may carry a domain: "CORP\jones"
  std::string password;

  friend bool operator==(const Credentials&, const Credentials&) = default;
};

// A request body sent from an open file: `size` bytes from offset 0, read
// as libcurl asks for them, never held in memory.
struct FileBody {
  int fd = -1;
  uint64_t size = 0;
};

struct HttpResponse;

struct HttpRequest {
  std::string method;
  Url url;
  bool encode_path = true;            // percent-encode url.path on the wire
  std::vector<std::string> headers;   // "Name: value"
  std::optional<std::string> body;    // none: the request has no body
  std::optional<FileBody> file_body;  // instead of `body`: streamed with Content-Length
  // Ask for "100 Continue" before the body, so a server can refuse the
  // request without receiving the body first.
  bool expect_continue = false;
  std::optional<Credentials> credentials;
  size_t max_body = size_t{64} << 20;  // a longer response body fails the request
  // The whole exchange; 0: no limit; none: the host's request-timeout.
  std::optional<long> timeout_seconds;
  // When set, the response body goes here piece by piece as it arrives
  // (with the status and headers already in the response) instead of into
  // HttpResponse::body, and max_body does not apply. Returning false stops
  // the transfer; Send then fails.
  std::function<bool(const HttpResponse& head, std::string_view piece)> body_sink;
};

struct HttpResponse {
  long status = 0;
  // Headers of the final response, names in lower case.
  std::map<std::string, std::string> headers;
  std::string body;

  // The header's value, or "" when absent.
  std::string Header(const std::string& lower_name) const;
};

class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Sends `request` and returns whatever status the server answered. Throws
  // server::Error(kErrGenericFailure) when no complete response arrives: no
  // connection, a timeout, a truncated or oversized body; and
  // server::Error(kErrFileRead) when a file body cannot be read whole (the
  // file shrank or failed while being sent).
  HttpResponse Send(const HttpRequest& request);

 private:
  void* curl_;  // CURL*
};

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_HTTP_CLIENT_H_
