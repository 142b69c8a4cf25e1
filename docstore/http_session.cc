#include "docstore/http_session.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <boost/asio/ssl.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <limits>
#include <optional>
#include <vector>

#include "docstore/database.h"
#include "docstore/url.h"
#include "wire/xml_text.h"

namespace orvex::docstore {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace asio = boost::asio;

int64_t NowMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Checks how the request frames its body. A Transfer-Encoding must end
// with chunked and may name no other coding: a list that does not end with
// chunked leaves the body's length unknown (400), another coding is one the
// server does not implement (501), and a Content-Length beside a
// Transfer-Encoding is refused so no two readers can disagree about where the
// body ends (400).
template <class Fields>
std::optional<DavResponse> CheckFraming(const Fields& fields) {
  std::vector<std::string> codings;
  bool has_encoding = false;
  bool has_length = false;
  for (const auto& field : fields) {
    if (field.name() == http::field::content_length) has_length = true;
    if (field.name() != http::field::transfer_encoding) continue;
    has_encoding = true;
    std::string value(field.value());
    size_t pos = 0;
    while (pos <= value.size()) {
      size_t comma = value.find(',', pos);
      if (comma == std::string::npos) comma = value.size();
      std::string coding = Lower(value.substr(pos, comma - pos));
      while (!coding.empty() && (coding.back() == ' ' || coding.back() == '\t')) coding.pop_back();
      size_t start = coding.find_first_not_of(" \t");
      if (start != std::string::npos) codings.push_back(coding.substr(start));
      pos = comma + 1;
    }
  }
  if (!has_encoding) return std::nullopt;
  if (has_length) return Status(400, "both Transfer-Encoding and Content-Length");
  if (codings.empty() || codings.back() != "chunked")
    return Status(400, "Transfer-Encoding must end with chunked");
  codings.pop_back();
  for (const auto& coding : codings)
    if (coding == "chunked") return Status(400, "chunked applied more than once");
  if (!codings.empty()) return Status(501, "transfer coding not implemented: " + codings.front());
  return std::nullopt;
}

// Is this a failure to parse what the peer sent (answered with 400), rather
// than the connection ending or failing?
bool IsParseError(const beast::error_code& ec) {
  return ec.category() == http::make_error_code(http::error::need_more).category() &&
         ec != http::error::end_of_stream && ec != http::error::partial_message &&
         ec != http::error::need_more && ec != http::error::body_limit &&
         ec != http::error::header_limit;
}

// A PUT body, appended to its upload file as it arrives (see
// BlobStore::Writer for why it is not simply written and flushed at the end).
struct UploadBody {
  struct value_type {
    BlobStore::Writer* writer = nullptr;
    bool failed = false;  // the file could not be written
    int error = 0;        // why (errno)
  };
  class reader {
   public:
    template <bool isRequest, class Fields>
    reader(http::header<isRequest, Fields>&, value_type& body) : body_(body) {}
    void init(const boost::optional<std::uint64_t>&, beast::error_code& ec) { ec = {}; }
    template <class Buffers>
    size_t put(const Buffers& buffers, beast::error_code& ec) {
      size_t n = 0;
      for (auto piece : beast::buffers_range_ref(buffers)) {
        if (!body_.writer->Append(static_cast<const char*>(piece.data()), piece.size())) {
          body_.failed = true;
          body_.error = errno;
          ec = beast::error_code(errno, boost::system::system_category());
          return n;
        }
        n += piece.size();
      }
      ec = {};
      return n;
    }
    void finish(beast::error_code& ec) { ec = {}; }

   private:
    value_type& body_;
  };
};

}  // namespace

class HttpSession::Stream {
 public:
  using executor_type = asio::ip::tcp::socket::executor_type;
  Stream(asio::ip::tcp::socket& socket, HttpSession& session)
      : socket_(socket), tls_(session.tls_.get()), session_(session) {}
  executor_type get_executor() { return socket_.get_executor(); }

  template <class Buffers>
  size_t read_some(const Buffers& buffers) {
    beast::error_code ec;
    size_t n = read_some(buffers, ec);
    if (ec) throw beast::system_error(ec);
    return n;
  }
  template <class Buffers>
  size_t read_some(const Buffers& buffers, beast::error_code& ec) {
    size_t n = tls_ ? tls_->read_some(buffers, ec) : socket_.read_some(buffers, ec);
    // The first bytes of a kept-alive connection's next request start the
    // deadline for its header.
    if (n > 0 && session_.phase_ == Phase::kIdle) session_.Enter(Phase::kHeader);
    session_.moved_ += n;
    return n;
  }
  template <class Buffers>
  size_t write_some(const Buffers& buffers) {
    beast::error_code ec;
    size_t n = write_some(buffers, ec);
    if (ec) throw beast::system_error(ec);
    return n;
  }
  template <class Buffers>
  size_t write_some(const Buffers& buffers, beast::error_code& ec) {
    size_t n = tls_ ? tls_->write_some(buffers, ec) : socket_.write_some(buffers, ec);
    session_.moved_ += n;
    return n;
  }

  // Sends up to `count` bytes of `fd` from `*offset` (at most 1 MiB at a
  // time, so progress keeps being recorded). In clear straight from the
  // file to the socket; over TLS through a buffer of 64 KiB, encrypted.
  ssize_t SendFile(int fd, off_t* offset, size_t count) {
    if (tls_) {
      if (buffer_.empty()) buffer_.resize(64 * 1024);
      ssize_t n = ::pread(fd, buffer_.data(), std::min(count, buffer_.size()), *offset);
      if (n <= 0) return n;
      beast::error_code ec;
      asio::write(*tls_, asio::buffer(buffer_.data(), static_cast<size_t>(n)), ec);
      if (ec) {
        errno = EPIPE;
        return -1;
      }
      *offset += n;
      session_.moved_ += static_cast<uint64_t>(n);
      return n;
    }
    // The socket is non-blocking once the server has waited on it for a
    // request (asio sets it so for its waits): a full send buffer is waited
    // out here, as a blocking socket would. Shutdown ends the wait.
    int socket = socket_.native_handle();
    for (;;) {
      ssize_t n = ::sendfile(socket, fd, offset, std::min<size_t>(count, 1 << 20));
      if (n > 0) session_.moved_ += static_cast<uint64_t>(n);
      if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return n;
      pollfd pfd{socket, POLLOUT, 0};
      if (::poll(&pfd, 1, -1) < 0 && errno != EINTR) return -1;
    }
  }

  void Enter(Phase phase) { session_.Enter(phase); }

 private:
  asio::ip::tcp::socket& socket_;
  TlsStream* tls_;
  HttpSession& session_;
  std::vector<char> buffer_;  // a file's bytes on their way into TLS
};

HttpSession::HttpSession(asio::ip::tcp::socket socket, std::string address, DavHandler& handler,
                         const ConnectionLimits& limits, LoginThrottle& throttle,
                         asio::ssl::context* tls)
    : socket_(std::move(socket)),
      address_(std::move(address)),
      handler_(handler),
      limits_(limits),
      throttle_(throttle),
      phase_start_ms_(NowMillis()) {
  // Responses go out in a few writes (header, then body pieces); waiting for
  // the peer's delayed acknowledgement between them would stall each one.
  beast::error_code ec;
  socket_.set_option(asio::ip::tcp::no_delay(true), ec);
  if (limits_.send_buffer_bytes > 0)
    socket_.set_option(asio::socket_base::send_buffer_size(limits_.send_buffer_bytes), ec);
  if (tls) tls_ = std::make_unique<TlsStream>(socket_, *tls);
}

HttpSession::~HttpSession() {
  beast::error_code ec;
  socket_.close(ec);
}

void HttpSession::Shutdown() {
  // shutdown(2) wakes a thread blocked in read or write on the socket; the
  // descriptor itself is closed by the session's own thread.
  shut_ = true;
  ::shutdown(socket_.native_handle(), SHUT_RDWR);
}

void HttpSession::Enter(Phase phase) {
  phase_start_ms_ = NowMillis();
  phase_ = phase;
}

int HttpSession::Sheddable() const {
  switch (phase_.load()) {
    case Phase::kIdle:
      return 3;
    case Phase::kThrottled:
      return 2;
    case Phase::kHeader:
      return 1;
    default:
      return 0;
  }
}

bool HttpSession::Overdue(int64_t now_ms) {
  Phase phase = phase_;
  int64_t start = phase_start_ms_;
  switch (phase) {
    case Phase::kHandling:
    case Phase::kThrottled:  // bounded by the throttle; shed first when slots run short
      return false;
    case Phase::kIdle:
      return now_ms - start > limits_.idle_timeout_ms;
    case Phase::kHeader:
      // Counted from the request's first byte: dripping a byte now and then
      // does not extend it.
      return now_ms - start > limits_.header_timeout_ms;
    case Phase::kBody:
    case Phase::kWriting:
      break;
  }
  uint64_t moved = moved_;
  if (start != window_phase_start_) {
    window_phase_start_ = start;
    window_start_ms_ = start;
    window_moved_ = moved;
  }
  int64_t elapsed = now_ms - window_start_ms_;
  if (elapsed < limits_.rate_window_ms) return false;
  uint64_t least = limits_.min_bytes_per_second * static_cast<uint64_t>(elapsed) / 1000;
  if (moved - window_moved_ < least) return true;
  window_start_ms_ = now_ms;
  window_moved_ = moved;
  return false;
}

namespace {

template <class Body>
void SetCommon(http::response<Body>& res, const DavResponse& r, bool keep_alive) {
  res.result(static_cast<http::status>(r.status));
  res.set(http::field::server, "orvex-docstore");
  res.set(http::field::date, [] {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
    return std::string(buf);
  }());
  for (const auto& [name, value] : r.headers) res.insert(name, value);
  if (!r.content_type.empty()) res.set(http::field::content_type, r.content_type);
  res.keep_alive(keep_alive);
}

// Writes one answer. A produced body goes out chunked to a client that can
// take it (`chunked`); an HTTP/1.0 client gets it piece by piece as well,
// without a length, and the end of the connection ends the body, so no
// answer is ever gathered whole.
bool WriteResponse(HttpSession::Stream& stream, DavResponse& r, bool keep_alive,
                   bool chunked = true) {
  stream.Enter(HttpSession::Phase::kWriting);
  beast::error_code ec;
  if (r.file_fd >= 0) {
    // The header through Beast, the content straight from the file to the
    // socket with sendfile(2): no copy through user space, nothing held in
    // memory.
    int fd = r.file_fd;
    r.file_fd = -1;
    http::response<http::empty_body> res{http::status::ok, 11};
    SetCommon(res, r, keep_alive);
    res.content_length(static_cast<uint64_t>(r.file_length));
    http::write(stream, res, ec);
    off_t offset = 0;
    while (!ec && offset < r.file_length) {
      ssize_t n = stream.SendFile(fd, &offset, static_cast<size_t>(r.file_length - offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
    }
    bool complete = !ec && offset == r.file_length;
    ::close(fd);
    return complete;
  }
  if (r.produce) {
    // The header, then each piece as it is produced. A failure half way
    // cannot change the status any more; it ends the connection.
    http::response<http::empty_body> res{http::status::ok, 11};
    SetCommon(res, r, chunked && keep_alive);
    if (chunked) res.chunked(true);
    http::response_serializer<http::empty_body> header{res};
    http::write_header(stream, header, ec);
    std::string piece = std::move(r.body);
    bool more = true;
    try {
      while (!ec) {
        if (more) more = r.produce(piece);
        if (!piece.empty() && chunked)
          asio::write(stream, http::make_chunk(asio::buffer(piece)), ec);
        else if (!piece.empty())
          asio::write(stream, asio::buffer(piece), ec);
        piece.clear();
        if (!more) break;
      }
    } catch (const std::exception&) {
      ec = asio::error::operation_aborted;
    }
    r.produce = nullptr;  // ends the store transaction it held
    if (!ec && chunked) asio::write(stream, http::make_chunk_last(), ec);
    return !ec && chunked;
  }
  if (r.head) {
    http::response<http::empty_body> res{http::status::ok, 11};
    SetCommon(res, r, keep_alive);
    res.content_length(static_cast<uint64_t>(r.file_length));
    http::write(stream, res, ec);
    return !ec;
  }
  http::response<http::string_body> res{http::status::ok, 11};
  SetCommon(res, r, keep_alive);
  res.body() = std::move(r.body);
  res.prepare_payload();
  http::write(stream, res, ec);
  return !ec;
}

}  // namespace

// One request and its answer, step by step: the header, the checks made
// before any body is read (framing, path, Host, credentials, permission),
// the body, and the answer.
class HttpSession::Exchange {
 public:
  Exchange(HttpSession& session, Stream& stream, beast::flat_buffer& buffer)
      : session_(session), stream_(stream), buffer_(buffer) {}

  // Serves one request; false when the connection ends after it.
  bool Run() {
    if (!ReadHeader()) return false;
    session_.Enter(Phase::kHandling);
    Store::RequestScope scope(session_.handler_.store());
    Describe();
    if (auto framing = CheckFraming(header_.get())) {
      // The body's end is unknown: nothing after this header can be read as
      // a request.
      WriteResponse(stream_, *framing, false);
      return false;
    }
    std::optional<DavResponse> early;
    if (!Admit(early)) return false;
    if (early) return Refuse(*early);
    if (auto refused = RefuseLargeBody()) {
      WriteResponse(stream_, *refused, false);
      return false;
    }
    if (!AcceptBody() || !ReadBody()) return false;
    return Answer();
  }

 private:
  // Reads the request line and header fields; a header too large or
  // malformed is answered (431, 400) before the connection ends.
  bool ReadHeader() {
    header_.header_limit(kMaxHeaderBytes);
    // The real limit is set once the method is known (Beast 1.74 mishandles
    // an unset limit, so the widest one stands in for "none").
    header_.body_limit(std::numeric_limits<std::uint64_t>::max());
    beast::error_code ec;
    http::read_header(stream_, buffer_, header_, ec);
    if (!ec) return true;
    if (ec == http::error::header_limit) {
      DavResponse r = Status(431, "request header too large");
      WriteResponse(stream_, r, false);
    } else if (ec != http::error::end_of_stream && ec != asio::error::eof &&
               ec != asio::error::connection_reset && ec != asio::error::broken_pipe &&
               ec != asio::error::not_connected && buffer_.size() > 0) {
      DavResponse r = Status(400, "malformed request: " + ec.message());
      WriteResponse(stream_, r, false);
    }
    return false;
  }

  // The request as the handler sees it.
  void Describe() {
    auto& req = header_.get();
    request_.method = std::string(req.method_string());
    request_.target = std::string(req.target());
    for (const auto& field : req)
      request_.headers[Lower(std::string(field.name_string()))] = std::string(field.value());
    request_.host = request_.Header("host");
    keep_alive_ = req.keep_alive();
    chunked_ok_ = req.version() >= 11;
  }

  // The checks made before the body is read: the path, the Host header, the
  // credentials (slowed down by the log-in throttle) and the handler's
  // precheck. Sets `early` to the answer of a refused request; false when
  // the session was shut while the log-in waited.
  bool Admit(std::optional<DavResponse>& early) {
    // One Host, required from HTTP/1.1 on, and at most one Authorization:
    // two readers must not disagree about which one counts.
    size_t hosts = 0;
    size_t authorizations = 0;
    for (const auto& field : header_.get()) {
      hosts += field.name() == http::field::host;
      authorizations += field.name() == http::field::authorization;
    }
    if (hosts > 1 || (hosts == 0 && header_.get().version() >= 11)) {
      early = Status(400, hosts ? "more than one Host header" : "Host header required");
      return true;
    }
    if (authorizations > 1) {
      early = Status(400, "more than one Authorization header");
      return true;
    }
    auto path = ParseRequestPath(request_.target);
    if (!path) {
      early = Status(400, "bad request path");
      return true;
    }
    if (!wire::IsXmlText(request_.host) ||
        request_.host.find_first_of("/\\ \"<>") != std::string::npos) {
      early = Status(400, "bad Host header");
      return true;
    }
    request_.path = *path;
    if (request_.method == "OPTIONS") return true;
    // Both look the user and the target up in the store: a database server
    // that cannot be reached refuses the request, as it would the request
    // itself.
    try {
      std::optional<std::string> user;
      if (!Authenticate(user)) return false;
      if (!user) {
        early = Status(401, "authentication required");
        for (auto& challenge : session_.handler_.Challenges(stale_))
          early->headers.emplace_back("WWW-Authenticate", std::move(challenge));
        return true;
      }
      request_.user = *user;
      early = session_.handler_.Precheck(request_, !BodyHere());
    } catch (const StoreUnavailableError&) {
      early = Status(503, "the store's database cannot be reached");
    } catch (const std::exception& e) {
      early = Status(500, std::string("internal error: ") + e.what());
    }
    return true;
  }

  // Has the whole body (if any) arrived with the header? Then reading it
  // waits for nothing.
  bool BodyHere() {
    if (header_.is_done()) return true;
    auto length = header_.content_length();
    return length && !ExpectsContinue() && buffer_.size() >= *length;
  }

  // The user the request's credentials prove, if any; false when the
  // session was shut while the log-in waited for the throttle.
  bool Authenticate(std::optional<std::string>& user) {
    std::string authorization = request_.Header("authorization");
    if (!session_.verified_authorization_.empty() &&
        authorization == session_.verified_authorization_) {
      user = session_.verified_user_;
      return true;
    }
    // No credentials yet (clients often ask first without): not a failed
    // log-in.
    if (authorization.empty()) return true;
    const std::string client =
        session_.throttle_.ClientOf(session_.address_, request_.Header("x-forwarded-for"));
    bool waited = session_.throttle_.Admit(client, {[this] { session_.Enter(Phase::kThrottled); },
                                                    [this] { return session_.shut_.load(); }});
    session_.Enter(Phase::kHandling);
    if (!waited) return false;
    try {
      user =
          session_.handler_.Authenticate(authorization, request_.method, request_.target, stale_);
    } catch (...) {
      // Given up before the check: the store could not tell.
      session_.throttle_.Done(client, false);
      throw;
    }
    // An expired nonce with the right response is no guess.
    session_.throttle_.Done(client, !user && !stale_);
    // Basic credentials are the same on every request and are checked once
    // per connection; Digest ones change with every request.
    if (user && !DigestAuth::Parse(authorization)) {
      session_.verified_authorization_ = authorization;
      session_.verified_user_ = *user;
    }
    return true;
  }

  // Answers a request refused before its body. The answer goes out first,
  // so a refusal never waits for a body; a small body is then read and
  // dropped so the connection can stay open, a large one closes it.
  bool Refuse(DavResponse& early) {
    bool drain = false;
    if (!header_.is_done()) {
      auto length = header_.content_length();
      if (!ExpectsContinue() && length && *length <= kMaxSmallBody)
        drain = true;
      else
        keep_alive_ = false;
    }
    if (!WriteResponse(stream_, early, keep_alive_) || !keep_alive_) return false;
    if (drain) {
      http::request_parser<http::string_body> dropped{std::move(header_)};
      dropped.body_limit(kMaxSmallBody);
      session_.Enter(Phase::kBody);
      beast::error_code ec;
      http::read(stream_, buffer_, dropped, ec);
      if (ec) return false;
    }
    return true;
  }

  // A body announced past its limit is refused before any of it is read
  // (the parser checks chunked bodies as they come).
  std::optional<DavResponse> RefuseLargeBody() {
    auto length = header_.content_length();
    if (length && *length > BodyLimit()) return Status(413, "request body too large");
    return std::nullopt;
  }

  // Tells a client waiting for it (Expect: 100-continue) to send the body.
  bool AcceptBody() {
    if (header_.is_done() || !ExpectsContinue()) return true;
    http::response<http::empty_body> go_on{http::status::continue_, 11};
    session_.Enter(Phase::kWriting);
    beast::error_code ec;
    http::write(stream_, go_on, ec);
    return !ec;
  }

  // Reads the body: a PUT's into its upload (memory or a temporary file),
  // any other into memory. A body past its limit, malformed or not stored
  // is answered (413, 400, 500) before the connection ends.
  bool ReadBody() {
    beast::error_code ec;
    int body_error = 0;
    bool read_ok = true;
    if (DavHandler::BodyFor(request_.method) == DavHandler::BodyKind::kFile) {
      auto upload = session_.handler_.NewUpload();
      http::request_parser<UploadBody> file_parser{std::move(header_)};
      file_parser.body_limit(kMaxUploadBody);
      file_parser.get().body().writer = upload.get();
      session_.Enter(Phase::kBody);
      http::read(stream_, buffer_, file_parser, ec);
      session_.Enter(Phase::kHandling);
      if (ec == http::error::body_limit) {
        body_error = 413;
      } else if (file_parser.get().body().failed) {
        int error = file_parser.get().body().error;
        body_error = error == ENOSPC || error == EDQUOT ? 507 : 500;
      } else if (ec) {
        read_ok = false;
      }
      if (!upload->Finish() && read_ok && !body_error) body_error = 500;
      request_.body_file = upload->path();
      request_.body = upload->TakeContent();
      request_.body_length = static_cast<int64_t>(upload->size());
    } else {
      http::request_parser<http::string_body> string_parser{std::move(header_)};
      string_parser.body_limit(kMaxSmallBody);
      session_.Enter(Phase::kBody);
      http::read(stream_, buffer_, string_parser, ec);
      session_.Enter(Phase::kHandling);
      if (ec == http::error::body_limit) {
        body_error = 413;
      } else if (ec) {
        read_ok = false;
      } else {
        request_.body = std::move(string_parser.get().body());
      }
    }
    if (!read_ok && IsParseError(ec)) body_error = 400;
    if (read_ok && !body_error) return true;
    if (!request_.body_file.empty()) session_.handler_.DiscardUpload(request_.body_file);
    if (body_error == 400) {
      DavResponse r = Status(400, "malformed request body: " + ec.message());
      WriteResponse(stream_, r, false);
    } else if (body_error) {
      DavResponse r = Status(body_error, body_error == 413   ? "request body too large"
                                         : body_error == 507 ? "the store's disk is full"
                                                             : "cannot store the request body");
      WriteResponse(stream_, r, false);
    }
    return false;
  }

  // Hands the request to the handler and writes its answer.
  bool Answer() {
    DavResponse response = session_.handler_.Handle(request_);
    if (!request_.body_file.empty()) session_.handler_.DiscardUpload(request_.body_file);
    return WriteResponse(stream_, response, keep_alive_, chunked_ok_) && keep_alive_;
  }

  bool ExpectsContinue() const {
    return Lower(std::string(header_.get()[http::field::expect])) == "100-continue";
  }
  uint64_t BodyLimit() const {
    return DavHandler::BodyFor(request_.method) == DavHandler::BodyKind::kFile ? kMaxUploadBody
                                                                               : kMaxSmallBody;
  }

  HttpSession& session_;
  Stream& stream_;
  beast::flat_buffer& buffer_;
  http::request_parser<http::empty_body> header_;
  DavRequest request_;
  bool keep_alive_ = false;
  bool chunked_ok_ = false;
  bool stale_ = false;  // Digest credentials right but their nonce expired
};

bool HttpSession::Run() {
  // sendfile(2) to a connection the peer or the watcher has shut raises
  // SIGPIPE; blocked on this thread, it leaves an EPIPE error instead of
  // ending the process.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  // The TLS handshake is part of the first request's header: it has the
  // same deadline.
  if (tls_ && !handshaken_) {
    beast::error_code ec;
    tls_->handshake(asio::ssl::stream_base::server, ec);
    if (ec) {
      finished_ = true;
      return false;
    }
  }
  handshaken_ = true;
  Stream stream(socket_, *this);
  // Reads fill what the buffer can hold; a roomy buffer moves a large body in
  // 256 KiB reads instead of a few hundred bytes each.
  buffer_.reserve(256 * 1024);
  for (;;) {
    // A new connection's first request is due at once; later ones may wait
    // for the idle timeout before their first byte, parked after a moment.
    if (served_) {
      Enter(buffer_.size() > 0 ? Phase::kHeader : Phase::kIdle);
      if (buffer_.size() == 0 && !NextRequestWithin(limits_.park_after_ms)) {
        buffer_ = beast::flat_buffer();
        return true;
      }
    }
    if (!Exchange(*this, stream, buffer_).Run()) break;
    served_ = true;
  }
  Enter(Phase::kHandling);  // the lingering close has its own deadline
  LingeringClose();
  finished_ = true;
  return false;
}

bool HttpSession::NextRequestWithin(int64_t ms) {
  if (tls_) {
    // Bytes TLS has decrypted or received but not yet handed out are not
    // seen by poll(2).
    SSL* ssl = tls_->native_handle();
    if (::SSL_has_pending(ssl) || ::BIO_ctrl_pending(::SSL_get_rbio(ssl)) > 0) return true;
  }
  pollfd pfd{socket_.native_handle(), POLLIN, 0};
  for (;;) {
    int ready = ::poll(&pfd, 1, static_cast<int>(std::max<int64_t>(ms, 0)));
    if (ready < 0 && errno == EINTR) continue;
    return ready != 0;
  }
}

bool HttpSession::PeerClosed() {
  char byte;
  ssize_t n = ::recv(socket_.native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

void HttpSession::CancelWait() {
  beast::error_code ec;
  socket_.cancel(ec);
}

void HttpSession::LingeringClose() {
  // Stop sending, then read and drop what the peer still sends for a
  // moment, so a refused request's unread body does not turn the close into
  // a reset that destroys the answer before the peer reads it.
  beast::error_code ec;
  if (tls_) {
    // Tells the peer the answer ended where it did (close_notify), without
    // waiting for its own: a peer that does not read cannot hold this up.
    socket_.non_blocking(true, ec);
    ::SSL_shutdown(tls_->native_handle());
  }
  socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ec);
  int fd = socket_.native_handle();
  int64_t deadline = NowMillis() + 2000;
  size_t drained = 0;
  char sink[16 * 1024];
  while (!ec && drained < (64u << 20)) {
    int64_t left = deadline - NowMillis();
    if (left <= 0) break;
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(left)) <= 0) break;
    ssize_t n = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
    if (n <= 0) break;
    drained += static_cast<size_t>(n);
  }
}

}  // namespace orvex::docstore
