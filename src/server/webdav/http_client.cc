#include "server/webdav/http_client.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>

#include "platform/text.h"
#include "platform/transfer_progress.h"
#include "server/error.h"
#include "server/webdav/http_auth.h"
#include "server/webdav/origin.h"
#include "server/webdav/transfer_interrupt.h"
#include "server/webdav/wire_trace.h"

namespace orvex::server::webdav {
namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  HttpResponse* response;
  const HttpRequest* request;
  CURL* curl;
  bool too_large = false;
  bool sink_refused = false;
  TransferInterruptCheck interrupt_check = nullptr;
  platform::TransferProgressHook progress_hook = nullptr;
  bool interrupted = false;
  // A content upload's progress, asked until the last byte has gone out;
  // `cancelled` when it answered stop (`cancel_reason`: what it threw).
  platform::UploadProgress upload_progress = {};
  uint64_t upload_total = 0;
  bool upload_sent = false;
  bool cancelled = false;
  std::string cancel_reason = {};
  // Every WWW-Authenticate value of every response in the transfer,
  // joined by ", ": libcurl may answer a challenge itself.
  std::string challenges = {};
  ExchangeTrace* trace = nullptr;
};

// Asks the upload progress about `sent` bytes; false when it answers stop
// (or throws) before the whole content has gone out. Once it has, the last
// answer no longer matters: the server may be storing it already.
bool UploadGoesOn(Transfer& t, uint64_t sent) {
  if (t.upload_sent) return true;
  sent = std::min(sent, t.upload_total);
  bool go_on = false;
  try {
    go_on = t.upload_progress(sent, t.upload_total);
  } catch (const std::exception& e) {
    t.cancel_reason = e.what();
  } catch (...) {
    t.cancel_reason = "unknown exception";
  }
  if (sent == t.upload_total) {
    t.upload_sent = true;
    return true;
  }
  t.cancelled = !go_on;
  return go_on;
}

// libcurl's progress callback, set only while an interrupt check, the
// thread's progress hook or an upload progress is installed: the hook runs
// first; a non-zero answer abandons the transfer.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
  auto* t = static_cast<Transfer*>(user);
  if (t->progress_hook) t->progress_hook();
  if (t->upload_progress && !UploadGoesOn(*t, static_cast<uint64_t>(ulnow))) return 1;
  if (!t->interrupt_check || !t->interrupt_check()) return 0;
  t->interrupted = true;
  return 1;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t->request->body_sink) {
    if (t->response->status == 0)
      curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &t->response->status);
    if (!t->request->body_sink(*t->response, std::string_view(data, n))) {
      t->sink_refused = true;
      return 0;  // makes libcurl fail the transfer
    }
    return n;
  }
  if (t->response->body.size() + n > t->request->max_body) {
    t->too_large = true;
    return 0;  // makes libcurl fail the transfer
  }
  t->response->body.append(data, n);
  return n;
}

// Reads a file body for libcurl at the position it asks for, so a retried
// send can start over.
struct FileSource {
  FileBody body;
  uint64_t offset = 0;
  bool failed = false;
};

size_t OnRead(char* data, size_t size, size_t count, void* user) {
  auto* src = static_cast<FileSource*>(user);
  uint64_t left = src->body.size - src->offset;
  size_t want = static_cast<size_t>(std::min<uint64_t>(left, uint64_t{size} * count));
  if (want == 0) return 0;
  ssize_t n;
  do {
    n = ::pread(src->body.fd, data, want, static_cast<off_t>(src->offset));
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    // The file ended early or failed: the request must not go out short.
    src->failed = true;
    return CURL_READFUNC_ABORT;
  }
  src->offset += static_cast<uint64_t>(n);
  return static_cast<size_t>(n);
}

int OnSeek(void* user, curl_off_t offset, int origin) {
  auto* src = static_cast<FileSource*>(user);
  if (origin != SEEK_SET || offset < 0 || static_cast<uint64_t>(offset) > src->body.size)
    return CURL_SEEKFUNC_CANTSEEK;
  src->offset = static_cast<uint64_t>(offset);
  return CURL_SEEKFUNC_OK;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  std::string_view line(data, n);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.substr(0, 5) == "HTTP/") {
    // A new response begins (after an interim 100 Continue, or a challenge
    // libcurl answers itself): nothing of the one before it counts.
    t->response->headers.clear();
    t->response->status = 0;
    if (!t->request->body_sink) t->response->body.clear();
    return n;
  }
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return n;
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  std::string name = platform::LowerAscii(line.substr(0, colon));
  if (name == "www-authenticate")
    t->challenges += (t->challenges.empty() ? "" : ", ") + std::string(value);
  t->response->headers[name] = std::string(value);
  return n;
}

// Where the request goes and how: the host's proxy, timeouts (the stall
// limit is RunTransfer's) and TLS checks. A host given a `url` is reached directly unless its
// settings name a proxy, as mapped hosts always were; others follow the environment's proxy
// variables unless theirs say otherwise.
void ApplyHostSettings(CURL* curl, const Route& route, const HttpRequest& request) {
  const platform::HostSettings& s = route.settings;
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, s.connect_timeout);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.timeout_seconds.value_or(s.request_timeout));
  if (s.proxy)
    curl_easy_setopt(curl, CURLOPT_PROXY, s.proxy->c_str());
  else if (s.url)
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
  if (!s.proxy_user.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXYUSERPWD, s.proxy_user.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
  }
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, s.verify ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, s.verify ? 2L : 0L);
  if (!s.ca_file.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, s.ca_file.c_str());
}

// libcurl's debug callback, set only while the wire trace is on.
int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  auto* t = static_cast<Transfer*>(user);
  std::string_view text(data, size);
  switch (type) {
    case CURLINFO_TEXT:
      t->trace->Add(ExchangeTrace::Kind::kText, text);
      break;
    case CURLINFO_HEADER_OUT:
      t->trace->Add(ExchangeTrace::Kind::kHeaderOut, text);
      break;
    case CURLINFO_HEADER_IN:
      t->trace->Add(ExchangeTrace::Kind::kHeaderIn, text);
      break;
    case CURLINFO_DATA_OUT:
      t->trace->Add(ExchangeTrace::Kind::kBodyOut, text);
      break;
    case CURLINFO_DATA_IN:
      t->trace->Add(ExchangeTrace::Kind::kBodyIn, text);
      break;
    default:  // TLS records
      break;
  }
  return 0;
}

// Runs the transfer set up on `curl` within `multi`, which keeps the
// connections for the next one. A transfer that moves no byte either way
// for `stall_seconds` is abandoned (`stalled`): checked every 100 ms, so the
// limit holds to a fraction of a second even right after a burst, where an
// average speed would still look healthy.
CURLcode RunTransfer(CURLM* multi, CURL* curl, long stall_seconds, bool& stalled) {
  using Clock = std::chrono::steady_clock;
  if (curl_multi_add_handle(multi, curl) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode result = CURLE_OK;
  curl_off_t moved = -1;
  Clock::time_point last_move = Clock::now();
  const auto stall = std::chrono::seconds(stall_seconds);
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    bool done = false;
    while (CURLMsg* m = curl_multi_info_read(multi, &queued)) {
      if (m->msg == CURLMSG_DONE && m->easy_handle == curl) {
        result = m->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    curl_off_t up = 0, down = 0;
    long header_bytes = 0;
    curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &up);
    curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &down);
    curl_easy_getinfo(curl, CURLINFO_HEADER_SIZE, &header_bytes);
    const curl_off_t now_moved = up + down + header_bytes;
    const Clock::time_point now = Clock::now();
    if (now_moved != moved) {
      moved = now_moved;
      last_move = now;
    } else if (now - last_move >= stall) {
      stalled = true;
      result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    curl_multi_poll(multi, nullptr, 0, 100, nullptr);
  }
  curl_multi_remove_handle(multi, curl);
  return result;
}

class SList {
 public:
  SList() = default;
  ~SList() { curl_slist_free_all(list_); }
  SList(const SList&) = delete;
  SList& operator=(const SList&) = delete;
  void Append(const std::string& s) {
    curl_slist* next = curl_slist_append(list_, s.c_str());
    if (next == nullptr) throw Error(kErrGenericFailure, "out of memory for request headers");
    list_ = next;
  }
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

}  // namespace

std::string HttpResponse::Header(const std::string& lower_name) const {
  auto it = headers.find(lower_name);
  return it == headers.end() ? std::string() : it->second;
}

HttpClient::HttpClient() {
  GlobalInit();
  curl_ = curl_easy_init();
  multi_ = curl_multi_init();
}

HttpClient::~HttpClient() {
  if (curl_ != nullptr) curl_easy_cleanup(static_cast<CURL*>(curl_));
  if (multi_ != nullptr) curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

HttpResponse HttpClient::Send(const HttpRequest& request) {
  if (curl_ == nullptr || multi_ == nullptr)
    throw Error(kErrGenericFailure, "HTTP client could not be created");
  const Route route = RouteOf(request.url, request.encode_path);
  std::optional<ExchangeTrace> trace;
  if (WireTraceOn())
    trace.emplace(request.method, WireUrl(request.url, request.encode_path), route.wire_url);
  if (!request.credentials) {
    HttpResponse response = Attempt(request, route, 0, nullptr, trace);
    return Finished(response, trace);
  }

  // The methods this request may use, and the one to try first.
  const unsigned allowed =
      platform::AllowedAuth(route.settings, route.origin.scheme, route.origin.host) &
      AvailableAuthMethods();
  const std::string origin_key =
      route.origin.scheme + "://" + route.origin.host + ":" + std::to_string(route.origin.port);
  unsigned methods = allowed;
  if (auto it = auth_learned_.find(origin_key); it != auth_learned_.end() && (it->second & allowed))
    methods = it->second;
  else if (allowed & platform::kAuthBasic)
    methods = platform::kAuthBasic;
  std::string challenges;
  HttpResponse response = Attempt(request, route, methods, &challenges, trace);
  const unsigned offered = OfferedAuthMethods(challenges);
  if (response.status == 401) {
    // Answer a challenge naming an allowed method not tried yet, once.
    const unsigned next = StrongestAuthMethod(offered & allowed & ~methods);
    if (next == 0) return Finished(response, trace);
    methods = next;
    challenges.clear();
    response = Attempt(request, route, methods, &challenges, trace);
    if (response.status == 401) return Finished(response, trace);
  }
  // What worked: the one method tried, or the one libcurl answered with.
  unsigned used = (methods & (methods - 1)) == 0 ? methods : StrongestAuthMethod(offered & methods);
  if (used != 0) auth_learned_[origin_key] = used;
  return Finished(response, trace);
}

HttpResponse HttpClient::Finished(HttpResponse& response, std::optional<ExchangeTrace>& trace) {
  if (trace) trace->Finish(response.status, {});
  return std::move(response);
}

HttpResponse HttpClient::Attempt(const HttpRequest& request, const Route& route,
                                 unsigned auth_methods, std::string* challenges,
                                 std::optional<ExchangeTrace>& trace) {
  CURL* curl = static_cast<CURL*>(curl_);

  // Reset clears the previous request's options but keeps the connection
  // cache, so the next request reuses the open connection.
  curl_easy_reset(curl);

  HttpResponse response;
  Transfer transfer{&response, &request, curl};
  transfer.trace = trace ? &*trace : nullptr;
  const std::string url = WireUrl(request.url, request.encode_path);
  char error[CURL_ERROR_SIZE] = {0};

  SList headers;
  headers.Append(request.expect_continue ? "Expect: 100-continue" : "Expect:");
  if (route.host_header) headers.Append(*route.host_header);
  for (const std::string& h : request.headers) headers.Append(h);

  curl_easy_setopt(curl, CURLOPT_URL, route.wire_url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "QzOrvex/0.1");
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  ApplyHostSettings(curl, route, request);
  if (request.credentials && auth_methods != 0) {
    // "DOMAIN\user" goes as it is: Basic and Digest servers take it so,
    // libcurl splits it for NTLM, and Negotiate uses the Kerberos ticket
    // cache instead (the name and password are not sent).
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CurlAuthBits(auth_methods));
    curl_easy_setopt(curl, CURLOPT_USERNAME, request.credentials->user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, request.credentials->password.c_str());
  }
  if (transfer.trace != nullptr) {
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
  }
  FileSource source;
  if (request.file_body) {
    source.body = *request.file_body;
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(source.body.size));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &OnRead);
    curl_easy_setopt(curl, CURLOPT_READDATA, &source);
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, &OnSeek);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, &source);
  } else if (request.body) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body->size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body->data());
  }
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  transfer.interrupt_check = CurrentTransferInterruptCheck();
  transfer.progress_hook = platform::CurrentThreadTransferProgressHook();
  if (request.file_body) {
    transfer.upload_progress = platform::CurrentThreadUploadProgress();
    transfer.upload_total = request.file_body->size;
  }
  if (transfer.interrupt_check || transfer.progress_hook || transfer.upload_progress) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }

  bool stalled = false;
  CURLcode rc =
      RunTransfer(static_cast<CURLM*>(multi_), curl, route.settings.stall_timeout, stalled);
  if (challenges != nullptr) *challenges = std::move(transfer.challenges);
  // Nothing of this request may outlive it in the reused handle.
  curl_easy_setopt(curl, CURLOPT_USERNAME, nullptr);
  curl_easy_setopt(curl, CURLOPT_PASSWORD, nullptr);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(curl, CURLOPT_PROXYUSERPWD, nullptr);
  curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
  curl_easy_setopt(curl, CURLOPT_SEEKDATA, nullptr);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, nullptr);
  if (source.failed) {
    std::string what = "the file to send could not be read whole";
    if (trace) trace->Finish(0, what);
    throw Error(kErrFileRead, request.method + " " + url + " failed: " + what);
  }
  if (rc != CURLE_OK && transfer.cancelled) {
    std::string what = "cancelled by the upload progress";
    if (!transfer.cancel_reason.empty()) what += ": " + transfer.cancel_reason;
    if (trace) trace->Finish(0, what);
    throw Error(kErrCancelled, request.method + " " + url + " " + what);
  }
  if (rc != CURLE_OK) {
    std::string what;
    if (transfer.too_large)
      what = "response body larger than " + std::to_string(request.max_body) + " bytes";
    else if (transfer.sink_refused)
      what = "the response body was refused while it arrived";
    else if (transfer.interrupted)
      what = "interrupted";
    else if (stalled)
      what = "nothing moved for " + std::to_string(route.settings.stall_timeout) +
             " s (stall-timeout)";
    else
      what = error[0] != '\0' ? error : curl_easy_strerror(rc);
    if (trace) trace->Finish(0, what);
    throw Error(kErrGenericFailure, request.method + " " + url + " failed: " + what);
  }
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
  return response;
}

}  // namespace orvex::server::webdav
