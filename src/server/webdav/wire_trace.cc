#include "server/webdav/wire_trace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <stdexcept>

#include "platform/text.h"

namespace orvex::server::webdav {
namespace {

constexpr size_t kBodyShown = 256;

struct TraceFile {
  std::mutex mutex;
  FILE* file = nullptr;
  bool from_environment_checked = false;
};

TraceFile& Trace() {
  static TraceFile trace;
  return trace;
}

FILE* OpenForAppend(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "a");
  if (f == nullptr)
    throw std::invalid_argument("the wire trace cannot be written to '" + path + "'");
  return f;
}

// Opens QZORVEX_TRACE once, unless a file was set before; the caller holds
// the lock. A file that cannot be opened leaves tracing off: the library
// never fails a call for its trace.
void CheckEnvironment(TraceFile& t) {
  if (t.from_environment_checked) return;
  t.from_environment_checked = true;
  const char* path = std::getenv("QZORVEX_TRACE");
  if (t.file != nullptr || path == nullptr || *path == '\0') return;
  t.file = std::fopen(path, "a");
}

std::string Timestamp() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t secs = system_clock::to_time_t(now);
  auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&secs, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03dZ", static_cast<int>(ms));
  return std::string(buf) + millis;
}

std::string Printable(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '.';
  return out;
}

}  // namespace

void SetWireTraceFile(const std::string& path) {
  FILE* f = path.empty() ? nullptr : OpenForAppend(path);
  TraceFile& t = Trace();
  std::lock_guard lock(t.mutex);
  if (t.file != nullptr) std::fclose(t.file);
  t.file = f;
  t.from_environment_checked = true;  // an explicit choice wins over the environment
}

bool WireTraceOn() {
  TraceFile& t = Trace();
  std::lock_guard lock(t.mutex);
  CheckEnvironment(t);
  return t.file != nullptr;
}

ExchangeTrace::ExchangeTrace(std::string_view method, std::string_view url,
                             std::string_view wire_url)
    : start_(std::chrono::steady_clock::now()) {
  block_ = "=== " + Timestamp() + " " + std::string(method) + " " + std::string(url);
  if (wire_url != url) block_ += " -> " + std::string(wire_url);
  block_ += "\n";
}

std::string ExchangeTrace::Masked(std::string_view line) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::string(line);
  std::string_view name = line.substr(0, colon);
  bool secret = false;
  for (std::string_view s : {"authorization", "proxy-authorization", "cookie", "set-cookie"})
    secret = secret || platform::CompareNoCase(name, s) == 0;
  if (!secret) return std::string(line);
  std::string_view value = line.substr(colon + 1);
  size_t b = value.find_first_not_of(" \t");
  std::string_view scheme;
  if (b != std::string_view::npos) {
    size_t e = value.find_first_of(" \t=", b);
    // Only a word followed by a blank is a scheme ("Basic ..."); anything
    // else is the secret itself.
    if (e != std::string_view::npos && value[e] != '=') scheme = value.substr(b, e - b);
  }
  return std::string(name) + ": " + (scheme.empty() ? "" : std::string(scheme) + " ") + "***";
}

void ExchangeTrace::FlushBody() {
  if (body_size_ == 0) return;
  block_ += body_kind_ == Kind::kBodyOut ? "> " : "< ";
  block_ += "[body " + std::to_string(body_size_) + " bytes] " + Printable(body_start_) + "\n";
  body_size_ = 0;
  body_start_.clear();
}

void ExchangeTrace::Add(Kind kind, std::string_view data) {
  if (kind == Kind::kBodyOut || kind == Kind::kBodyIn) {
    if (kind != body_kind_) FlushBody();
    body_kind_ = kind;
    body_size_ += data.size();
    if (body_start_.size() < kBodyShown)
      body_start_.append(data.substr(0, kBodyShown - body_start_.size()));
    return;
  }
  FlushBody();
  body_kind_ = Kind::kText;
  const char* mark = kind == Kind::kHeaderOut ? "> " : kind == Kind::kHeaderIn ? "< " : "* ";
  // libcurl hands over outgoing headers as one block and incoming ones line
  // by line; both end each line with CRLF.
  while (!data.empty()) {
    size_t nl = data.find('\n');
    std::string_view line = data.substr(0, nl);
    data = nl == std::string_view::npos ? std::string_view() : data.substr(nl + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.empty()) continue;
    block_ += mark;
    block_ += kind == Kind::kText ? Printable(line) : Printable(Masked(line));
    block_ += "\n";
  }
}

void ExchangeTrace::Finish(long status, std::string_view failure) {
  FlushBody();
  double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  char took[32];
  std::snprintf(took, sizeof took, "%.1f ms", ms);
  block_ += "= ";
  block_ += failure.empty() ? std::to_string(status) : "failed: " + Printable(failure);
  block_ += " in " + std::string(took) + "\n";
  TraceFile& t = Trace();
  std::lock_guard lock(t.mutex);
  if (t.file == nullptr) return;
  std::fwrite(block_.data(), 1, block_.size(), t.file);
  std::fflush(t.file);
}

}  // namespace orvex::server::webdav
