#include "platform/host_settings.h"

#include <charconv>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "platform/hosts_file.h"
#include "platform/text.h"

namespace orvex::platform {
namespace {

struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
};

// Each host's keys with their values as given, in the order they were set:
// the settings are those values applied in that order.
using Values = std::vector<std::pair<std::string, std::string>>;

struct Store {
  std::shared_mutex mutex;
  std::map<std::string, Values, NoCaseLess> hosts;
  std::string load_error;  // why the settings files could not be used
};

Store& TheStore() {
  static Store store;
  return store;
}

// Stores one checked value; the caller holds the lock.
void Put(Store& s, std::string_view host, std::string_view key, std::string_view value) {
  Values& values = s.hosts[std::string(host)];
  std::erase_if(values, [&](const auto& kv) { return kv.first == key; });
  values.emplace_back(std::string(key), std::string(value));
}

// Loads the settings files once, before anything else reads or changes the
// settings, so that a later change always wins over the files.
void EnsureLoaded() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::string error;
    std::vector<HostsFileEntry> entries;
    try {
      for (const HostsFileName& file : DefaultHostsFiles()) {
        std::vector<HostsFileEntry> more = ReadHostsFile(file.path, !file.required);
        entries.insert(entries.end(), more.begin(), more.end());
      }
    } catch (const HostSettingsError& e) {
      error = e.what();
      entries.clear();
    }
    Store& s = TheStore();
    std::unique_lock lock(s.mutex);
    for (HostsFileEntry& e : entries) Put(s, e.host, e.key, e.value);
    s.load_error = std::move(error);
  });
}

[[noreturn]] void Bad(std::string_view key, std::string_view value, std::string_view why) {
  throw HostSettingsError("bad value '" + std::string(value) + "' for " + std::string(key) + ": " +
                          std::string(why));
}

std::optional<int> ParsePort(std::string_view text) {
  int p = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), p);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || p <= 0 || p > 65535)
    return std::nullopt;
  return p;
}

HostBase ParseBase(std::string_view key, std::string_view value) {
  HostBase base;
  std::string_view rest = value;
  if (StartsWithNoCase(rest, "http://")) {
    base.scheme = "http";
    base.port = 80;
    rest.remove_prefix(7);
  } else if (StartsWithNoCase(rest, "https://")) {
    base.scheme = "https";
    base.port = 443;
    rest.remove_prefix(8);
  } else {
    Bad(key, value, "not an http:// or https:// URL");
  }
  size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos && rest.substr(slash) != "/")
    Bad(key, value, "a bare name stands for a server's root: no path after the port");
  if (authority.empty()) Bad(key, value, "no host");
  if (authority.find_first_of("@ \t?#\\") != std::string_view::npos)
    Bad(key, value, "only a host and a port may follow the scheme");
  std::string_view host = authority;
  std::string_view port;
  if (authority.front() == '[') {
    size_t close = authority.find(']');
    if (close == std::string_view::npos || close == 1) Bad(key, value, "bad IPv6 literal");
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') Bad(key, value, "bad IPv6 literal");
      port = after.substr(1);
      if (port.empty()) Bad(key, value, "empty port");
    }
  } else if (size_t colon = authority.find(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    if (port.empty()) Bad(key, value, "empty port");
  }
  if (host.empty()) Bad(key, value, "no host");
  base.host = std::string(host);
  if (!port.empty()) {
    std::optional<int> p = ParsePort(port);
    if (!p) Bad(key, value, "the port must be 1 to 65535");
    base.port = *p;
  }
  return base;
}

bool ParseFlag(std::string_view key, std::string_view value) {
  std::string v = LowerAscii(value);
  if (v == "yes" || v == "true" || v == "on" || v == "1") return true;
  if (v == "no" || v == "false" || v == "off" || v == "0") return false;
  Bad(key, value, "yes or no");
}

unsigned ParseAuth(std::string_view key, std::string_view value) {
  unsigned methods = 0;
  std::string v = LowerAscii(value);
  size_t pos = 0;
  while (pos <= v.size()) {
    size_t end = v.find_first_of(", \t", pos);
    if (end == std::string::npos) end = v.size();
    std::string_view word = std::string_view(v).substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    if (word == "basic")
      methods |= kAuthBasic;
    else if (word == "digest")
      methods |= kAuthDigest;
    else if (word == "negotiate")
      methods |= kAuthNegotiate;
    else if (word == "ntlm")
      methods |= kAuthNtlm;
    else
      Bad(key, value, "methods are basic, digest, negotiate and ntlm");
  }
  if (methods == 0) Bad(key, value, "name at least one method");
  return methods;
}

long ParseSeconds(std::string_view key, std::string_view value, long least) {
  long n = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size() || n < least ||
      n > 86400)
    Bad(key, value,
        "whole seconds from " + std::to_string(least) + " to 86400" +
            (least == 0 ? " (0: none)" : ""));
  return n;
}

}  // namespace

std::string HostBase::Text() const {
  std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return scheme + "://" + h + ":" + std::to_string(port);
}

bool IsLoopbackHost(std::string_view host) {
  if (CompareNoCase(host, "localhost") == 0 || host == "::1") return true;
  // 127.0.0.0/8 written as a dotted quad.
  if (host.substr(0, 4) != "127.") return false;
  int dots = 0;
  for (char c : host) {
    if (c == '.')
      ++dots;
    else if (c < '0' || c > '9')
      return false;
  }
  return dots == 3;
}

unsigned AllowedAuth(const HostSettings& settings, std::string_view scheme, std::string_view host) {
  if (settings.auth) return *settings.auth;
  if (scheme == "http" && !IsLoopbackHost(host)) return kAuthAll & ~kAuthBasic;
  return kAuthAll;
}

bool IsBareHostName(std::string_view host) {
  return !host.empty() && host.find_first_of(":/@[]\\ \t?#") == std::string_view::npos;
}

void ApplyHostSetting(HostSettings& s, std::string_view key, std::string_view raw) {
  std::string_view value = Trim(raw);
  if (key == "url") {
    s.url = ParseBase(key, value);
  } else if (key == "ca-file") {
    if (value.empty()) Bad(key, value, "name a PEM file");
    s.ca_file = std::string(value);
  } else if (key == "verify") {
    s.verify = ParseFlag(key, value);
  } else if (key == "auth") {
    s.auth = ParseAuth(key, value);
  } else if (key == "proxy") {
    if (CompareNoCase(value, "none") == 0) {
      s.proxy = "";
    } else {
      static constexpr std::string_view kSchemes[] = {"http://", "https://", "socks4://",
                                                      "socks5://", "socks5h://"};
      bool ok = false;
      for (std::string_view scheme : kSchemes)
        ok = ok || (StartsWithNoCase(value, scheme) && value.size() > scheme.size());
      if (!ok) Bad(key, value, "a proxy URL (http, https, socks4, socks5, socks5h) or none");
      s.proxy = std::string(value);
    }
  } else if (key == "proxy-user") {
    if (value.empty() || value.front() == ':') Bad(key, "...", "USER or USER:PASSWORD");
    s.proxy_user = std::string(value);
  } else if (key == "connect-timeout") {
    s.connect_timeout = ParseSeconds(key, value, 1);
  } else if (key == "stall-timeout") {
    s.stall_timeout = ParseSeconds(key, value, 1);
  } else if (key == "request-timeout") {
    s.request_timeout = ParseSeconds(key, value, 0);
  } else if (key == "dialect") {
    if (value.empty() || value.find_first_of(" \t") != std::string_view::npos)
      Bad(key, value, "one name");
    s.dialect = LowerAscii(value);
  } else {
    throw HostSettingsError("unknown key '" + std::string(key) + "'");
  }
}

void SetHostSetting(std::string_view host, std::string_view key, std::string_view value) {
  if (!IsBareHostName(host))
    throw HostSettingsError("'" + std::string(host) + "' is not a bare host name");
  HostSettings check;
  ApplyHostSetting(check, key, value);
  EnsureLoaded();
  Store& s = TheStore();
  std::unique_lock lock(s.mutex);
  Put(s, host, key, Trim(value));
}

void RemoveHostSetting(std::string_view host, std::string_view key) {
  EnsureLoaded();
  Store& s = TheStore();
  std::unique_lock lock(s.mutex);
  auto it = s.hosts.find(host);
  if (it == s.hosts.end()) return;
  if (key.empty())
    it->second.clear();
  else
    std::erase_if(it->second, [&](const auto& kv) { return kv.first == key; });
  if (it->second.empty()) s.hosts.erase(it);
}

void ClearHostSettings() {
  EnsureLoaded();
  Store& s = TheStore();
  std::unique_lock lock(s.mutex);
  s.hosts.clear();
  s.load_error.clear();
}

HostSettings LookupHostSettings(std::string_view host) {
  EnsureLoaded();
  Store& s = TheStore();
  std::shared_lock lock(s.mutex);
  if (!s.load_error.empty()) throw HostSettingsError(s.load_error);
  HostSettings settings;
  auto it = s.hosts.find(host);
  if (it != s.hosts.end())
    for (const auto& [key, value] : it->second) ApplyHostSetting(settings, key, value);
  return settings;
}

std::optional<std::string> HostSetting(std::string_view host, std::string_view key) {
  EnsureLoaded();
  Store& s = TheStore();
  std::shared_lock lock(s.mutex);
  auto it = s.hosts.find(host);
  if (it == s.hosts.end()) return std::nullopt;
  for (const auto& [k, v] : it->second)
    if (k == key) return v;
  return std::nullopt;
}

}  // namespace orvex::platform
