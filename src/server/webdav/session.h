// What one backend shares between its connections and items: the HTTP
// client (one reused handle, so requests share a kept-alive connection) and
// what each open connection was opened with.
//
// An item opened without an active connection and without credentials of its
// own uses the settings of the most recently opened connection to the same
// origin, the way the provider's credential cache serves such opens.
//
// Requests stay home: a request goes only to an origin (origin.h) that a
// connection of this session was opened on, and one carrying credentials
// only where a connection was opened with those very credentials. Anything
// else, whatever URL a server handed out, is refused with
// server::Error(kErrPermissionDenied) before it is sent, so a password given
// for one server never reaches another. Closing a connection keeps its
// origin home: what was bound through it may still be used.
#ifndef ORVEX_SERVER_WEBDAV_SESSION_H_
#define ORVEX_SERVER_WEBDAV_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/connection.h"
#include "server/item.h"
#include "server/webdav/dialect.h"
#include "server/webdav/http_client.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/origin.h"
#include "server/webdav/url.h"

namespace orvex::server::webdav {

// Where requests for one item go, and how.
struct Target {
  Url url;
  bool encode_path = true;
  std::optional<Credentials> credentials;
  // A collection goes out with its final '/' (`url` keeps the engine's
  // spelling): servers that answer a folder URL without it with a redirect
  // or a refusal then take every request as meant.
  bool collection = false;
  Dialect dialect = Dialect::kPortal;  // of the URL's host
};

// The URL a request for `target` goes to: its URL, with a final '/' added
// for a collection.
Url SentUrl(const Target& target);

class Session {
 public:
  // Opens `connection`: checks its provider, then PROPFIND Depth 0 on `url`;
  // anything but 207 throws server::Error with the status's error number.
  void OpenConnection(const Connection& connection, const std::string& url, const std::string& user,
                      const std::string& password);
  void CloseConnection(const Connection& connection);

  // The target for an item's open or save-to arguments. Throws
  // server::Error(kErrGenericFailure) for a URL that is not http(s), a
  // closed active connection or a host whose dialect is unknown.
  Target Resolve(const BindArgs& args) const;

  // Sends `method` to `target`; throws on transport failure, never for an
  // error status. Like every call below, it first throws
  // server::Error(kErrPermissionDenied) for a request that may not leave home.
  HttpResponse Send(const Target& target, std::string method, std::vector<std::string> headers,
                    std::optional<std::string> body);

  // Sends `method` with `body` streamed from its file and Content-Length.
  // Bodies over 1 MiB wait for "100 Continue", so a refusal costs no
  // transfer; the exchange has no overall time limit (a stalled one still
  // ends). Throws server::Error(kErrFileRead) when the file cannot be read
  // whole.
  HttpResponse SendFile(const Target& target, std::string method, std::vector<std::string> headers,
                        FileBody body);

  // PROPFIND of everything (EverythingBody) at `depth`; throws server::Error with the status's
  // error number unless the answer is a well-formed 207 multistatus in XML.
  std::vector<ResourceResponse> Propfind(const Target& target, int depth);

  // `method` at `depth` with the XML `body`, answered by a multistatus that
  // is parsed as it arrives, never held whole. Throws as Propfind does.
  std::vector<ResourceResponse> SendForMultistatus(const Target& target, std::string method,
                                                   int depth, std::string body);

  // The answer of the connection open just made, for an item opened right
  // after it through that connection on the same URL with the same
  // credentials (the engine opens its root and workspace objects so): the
  // open asked exactly this, and nothing has been sent since. Taken once;
  // any other request, close or open forgets it.
  std::optional<std::vector<ResourceResponse>> TakeOpenAnswer(const Connection* active,
                                                              const Target& target);

 private:
  struct Opened {
    const Connection* connection;
    Origin origin;
    bool encode_path;
    std::optional<Credentials> credentials;
  };

  struct OpenAnswer {
    const Connection* connection;
    std::string wire_url;
    std::optional<Credentials> credentials;
    std::vector<ResourceResponse> responses;
  };

  // Where connections were opened, and with what.
  struct Home {
    Origin origin;
    std::optional<Credentials> credentials;

    friend bool operator==(const Home&, const Home&) = default;
  };

  // Throws server::Error(kErrPermissionDenied) unless `request` goes to a
  // home, with no credentials or with those that home was opened with.
  void RequireHome(const HttpRequest& request) const;

  // Every request goes out here; it forgets the connection's open answer.
  // Anything but a connection's own open must pass RequireHome first. A
  // redirect (301, 302, 307, 308) within the request's origin is followed,
  // the same request going to the new path, at most kMaxRedirects times; a
  // redirect off the origin throws as RequireHome does, since the request's
  // credentials would follow it.
  HttpResponse Exchange(const HttpRequest& request, bool opening = false);

  static constexpr int kMaxRedirects = 5;

  HttpClient http_;
  std::vector<Opened> opened_;  // oldest first
  std::vector<Home> homes_;     // every one there was, each once
  std::optional<OpenAnswer> open_answer_;
};

// Throws server::Error for `response` unless its status is 2xx.
void RequireSuccess(const HttpResponse& response, std::string_view method);

// The charset a multistatus answer is read in ("" when its Content-Type
// names none); throws server::Error(kErrGenericFailure) when the answer is
// not XML.
std::string MultistatusCharset(const HttpResponse& response);

// The multistatus in `response` (status 207); throws server::Error
// (kErrGenericFailure) when the body is not XML or does not parse.
std::vector<ResourceResponse> ReadMultistatus(const HttpResponse& response);

// Throws server::Error for the first property a PROPPATCH (or extended MKCOL)
// multistatus reports as failed, ignoring 424 (failed only because another
// one did).
void RequireAllPropertiesSet(const std::vector<ResourceResponse>& responses,
                             std::string_view method);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_SESSION_H_
