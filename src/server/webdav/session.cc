#include "server/webdav/session.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "platform/text.h"
#include "server/error.h"
#include "server/webdav/request_body.h"
#include "server/webdav/status.h"

namespace orvex::server::webdav {
namespace {

constexpr char kProvider[] = "MSDAIPP.DSO";

Url ParseOrThrow(const std::string& text) {
  std::optional<Url> url = ParseUrl(text);
  if (!url) throw Error(kErrGenericFailure, "not an http URL: " + text);
  return *url;
}

std::optional<Credentials> CredentialsOf(const std::string& user, const std::string& password) {
  if (user.empty() && password.empty()) return std::nullopt;
  return Credentials{user, password};
}

// The connection's "Url Encoding" setting: 1 encodes paths.
bool EncodesPaths(const Connection& connection) {
  const Variant& v = connection.Property("Url Encoding");
  switch (v.type()) {
    case VariantType::kI2:
    case VariantType::kI4:
      return v.ToInt32() == 1;
    case VariantType::kString:
      return v.ToString() == "1";
    default:
      return false;
  }
}

HttpRequest RequestTo(const Target& target, std::string method, std::vector<std::string> headers) {
  HttpRequest request;
  request.method = std::move(method);
  request.url = SentUrl(target);
  request.encode_path = target.encode_path;
  request.headers = std::move(headers);
  request.credentials = target.credentials;
  return request;
}

bool IsFollowedRedirect(long status) {
  return status == 301 || status == 302 || status == 307 || status == 308;
}

// The path of a Location that IsOnOrigin accepted: an absolute URL, a
// network-path reference or an absolute path; still percent-encoded.
std::string LocationPath(std::string_view location) {
  if (location.substr(0, 2) == "//") {
    size_t slash = location.find('/', 2);
    location = slash == std::string_view::npos ? std::string_view("/") : location.substr(slash);
  }
  std::string path = HrefPath(location);
  return path.empty() ? "/" : path;
}

}  // namespace

Url SentUrl(const Target& target) {
  Url url = target.url;
  if (target.collection && (url.path.empty() || url.path.back() != '/')) url.path += '/';
  return url;
}

void Session::OpenConnection(const Connection& connection, const std::string& url,
                             const std::string& user, const std::string& password) {
  if (platform::CompareNoCase(connection.Provider(), kProvider) != 0)
    throw Error(kErrGenericFailure, "provider not supported: " + connection.Provider());
  // A connection opens on the workspace list or on a workspace: collections.
  Target target{ParseOrThrow(url), EncodesPaths(connection), CredentialsOf(user, password),
                /*collection=*/true};
  target.dialect = DialectOf(target.url);
  HttpRequest request = RequestTo(target, "PROPFIND",
                                  {"Depth: 0", "Content-Type: application/xml; charset=\"utf-8\""});
  request.body = EverythingBody(target.dialect);
  // The open itself is what makes its origin home to its credentials.
  HttpResponse response = Exchange(request, /*opening=*/true);
  if (response.status != 207)
    throw Error(ErrorForStatus(response.status, "PROPFIND"),
                "opening " + url + ": HTTP status " + std::to_string(response.status));
  CloseConnection(connection);
  const Origin origin = OriginOf(target.url);
  opened_.push_back({&connection, origin, target.encode_path, target.credentials});
  Home home{origin, target.credentials};
  if (std::find(homes_.begin(), homes_.end(), home) == homes_.end()) homes_.push_back(home);
  // An answer the item open could not read either is not kept: that open
  // then asks again and fails the way it always has.
  try {
    open_answer_ = OpenAnswer{&connection, WireUrl(SentUrl(target), target.encode_path),
                              target.credentials, ReadMultistatus(response)};
  } catch (const Error&) {
  }
}

void Session::CloseConnection(const Connection& connection) {
  open_answer_.reset();
  std::erase_if(opened_, [&](const Opened& o) { return o.connection == &connection; });
}

std::optional<std::vector<ResourceResponse>> Session::TakeOpenAnswer(const Connection* active,
                                                                     const Target& target) {
  std::optional<OpenAnswer> answer = std::move(open_answer_);
  open_answer_.reset();
  if (!answer || active == nullptr || answer->connection != active) return std::nullopt;
  if (answer->wire_url != WireUrl(SentUrl(target), target.encode_path)) return std::nullopt;
  if (answer->credentials != target.credentials) return std::nullopt;
  return std::move(answer->responses);
}

Target Session::Resolve(const BindArgs& args) const {
  Target target{ParseOrThrow(args.url), true, CredentialsOf(args.user, args.password)};
  target.dialect = DialectOf(target.url);
  if (args.active_connection != nullptr) {
    const Connection& c = *args.active_connection;
    if (c.State() != kStateOpen)
      throw Error(kErrGenericFailure, "the active connection is not open");
    target.encode_path = EncodesPaths(c);
    if (!target.credentials) target.credentials = CredentialsOf(c.user(), c.password());
    return target;
  }
  const Origin origin = OriginOf(target.url);
  for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) {
    if (it->origin != origin) continue;
    target.encode_path = it->encode_path;
    if (!target.credentials) target.credentials = it->credentials;
    break;
  }
  return target;
}

HttpResponse Session::Send(const Target& target, std::string method,
                           std::vector<std::string> headers, std::optional<std::string> body) {
  HttpRequest request = RequestTo(target, std::move(method), std::move(headers));
  request.body = std::move(body);
  return Exchange(request);
}

HttpResponse Session::SendFile(const Target& target, std::string method,
                               std::vector<std::string> headers, FileBody body) {
  constexpr uint64_t kContinueThreshold = uint64_t{1} << 20;
  HttpRequest request = RequestTo(target, std::move(method), std::move(headers));
  request.file_body = body;
  request.expect_continue = body.size > kContinueThreshold;
  request.timeout_seconds = 0;
  return Exchange(request);
}

void Session::RequireHome(const HttpRequest& request) const {
  const Origin origin = OriginOf(request.url);
  for (const Home& h : homes_)
    if (h.origin == origin && (!request.credentials || h.credentials == request.credentials))
      return;
  throw Error(kErrPermissionDenied, "not sent: " + WireUrl(request.url, false) +
                                        " is not on an origin a connection was opened on" +
                                        (request.credentials ? " with these credentials" : ""));
}

HttpResponse Session::Exchange(const HttpRequest& request, bool opening) {
  if (!opening) RequireHome(request);
  // Whatever is sent now may change what the connection's open answered.
  open_answer_.reset();
  std::optional<HttpRequest> redirected;
  const HttpRequest* current = &request;
  for (int followed = 0;; ++followed) {
    HttpResponse response = http_.Send(*current);
    if (response.status < 300 || response.status >= 400) return response;
    std::string location = response.Header("location");
    if (location.empty()) return response;
    // The credentials would follow the request: it goes nowhere else.
    if (!IsOnOrigin(OriginOf(current->url), location))
      throw Error(kErrPermissionDenied,
                  request.method + " was redirected off its origin, to " + location);
    if (!IsFollowedRedirect(response.status) || followed == kMaxRedirects) return response;
    if (!redirected) redirected = request;
    redirected->url.path = LocationPath(location);
    redirected->encode_path = false;  // a Location is already in its wire form
    current = &*redirected;
  }
}

std::vector<ResourceResponse> Session::Propfind(const Target& target, int depth) {
  return SendForMultistatus(target, "PROPFIND", depth, EverythingBody(target.dialect));
}

std::vector<ResourceResponse> Session::SendForMultistatus(const Target& target, std::string method,
                                                          int depth, std::string body) {
  HttpRequest request = RequestTo(
      target, std::move(method),
      {"Depth: " + std::to_string(depth), "Content-Type: application/xml; charset=\"utf-8\""});
  request.body = std::move(body);
  // The answer is parsed as it arrives, never held whole: its size is
  // bounded by the multistatus limits, not by memory for the raw answer,
  // and reading overlaps the server's writing.
  std::optional<MultistatusReader> reader;
  std::exception_ptr failure;
  request.body_sink = [&](const HttpResponse& head, std::string_view piece) {
    if (head.status != 207) return true;  // only the status of a refusal matters
    try {
      if (!reader) reader.emplace(MultistatusCharset(head));
      reader->Feed(piece);
      return true;
    } catch (...) {
      failure = std::current_exception();
      return false;
    }
  };
  HttpResponse response;
  try {
    response = Exchange(request);
  } catch (const Error&) {
    if (failure) std::rethrow_exception(failure);
    throw;
  }
  if (response.status != 207) {
    RequireSuccess(response, request.method);
    throw Error(kErrGenericFailure, request.method + " answered " +
                                        std::to_string(response.status) + " instead of 207");
  }
  if (!reader) reader.emplace(MultistatusCharset(response));
  return reader->Finish();
}

void RequireSuccess(const HttpResponse& response, std::string_view method) {
  if (response.status >= 200 && response.status < 300) return;
  throw Error(ErrorForStatus(response.status, method),
              std::string(method) + " answered HTTP status " + std::to_string(response.status));
}

std::string MultistatusCharset(const HttpResponse& response) {
  std::string content_type = response.Header("content-type");
  std::string_view media =
      platform::Trim(std::string_view(content_type).substr(0, content_type.find(';')));
  const std::string lower = platform::LowerAscii(media);
  bool xml = lower == "application/xml" || lower == "text/xml" ||
             (lower.size() > 4 && lower.compare(lower.size() - 4, 4, "+xml") == 0);
  if (!xml)
    throw Error(kErrGenericFailure, "multistatus response is not XML: \"" + content_type + "\"");

  // A charset named in the header outranks the document's own declaration.
  std::string charset;
  for (size_t pos = content_type.find(';'); pos != std::string::npos;
       pos = content_type.find(';', pos + 1)) {
    std::string_view param = platform::Trim(std::string_view(content_type).substr(pos + 1));
    param = param.substr(0, param.find(';'));
    if (platform::StartsWithNoCase(param, "charset=")) {
      param.remove_prefix(8);
      if (param.size() >= 2 && param.front() == '"' && param.back() == '"')
        param = param.substr(1, param.size() - 2);
      charset = std::string(param);
    }
  }
  return charset;
}

std::vector<ResourceResponse> ReadMultistatus(const HttpResponse& response) {
  return ParseMultistatus(response.body, MultistatusCharset(response));
}

void RequireAllPropertiesSet(const std::vector<ResourceResponse>& responses,
                             std::string_view method) {
  int first = 0;      // the first failure of its own
  int dependent = 0;  // 424: failed because another property did
  for (const ResourceResponse& r : responses) {
    if (r.status != 0 && (r.status < 200 || r.status >= 300) && first == 0) first = r.status;
    for (const auto& [name, status] : r.failed) {
      if (status == 424)
        dependent = status;
      else if (first == 0)
        first = status;
    }
  }
  int failed = first != 0 ? first : dependent;
  if (failed == 0) return;
  throw Error(
      ErrorForStatus(failed, method),
      std::string(method) + " could not set a property: HTTP status " + std::to_string(failed));
}

}  // namespace orvex::server::webdav
