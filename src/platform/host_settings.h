// Per-host connection settings: how the library reaches a server named by a
// bare host name, and with what.
//
// Server URLs carry bare host names ("http://docs/..."). Each host may have
// settings, kept under its name compared ignoring case:
//
//   url              the base the bare name stands for ("https://dms:8443/");
//                    requests go there while their Host header and every URL
//                    the engine builds keep the bare name
//   ca-file          PEM file of the certificate authorities to trust
//   verify           yes (default) or no: check the server's certificate
//   auth             methods allowed, among basic, digest, negotiate, ntlm
//   proxy            a proxy URL, or "none"
//   proxy-user       USER or USER:PASSWORD for the proxy
//   connect-timeout  seconds to wait for a connection (default 10)
//   stall-timeout    seconds a transfer may run below 1 byte/s (default 30)
//   request-timeout  seconds one exchange may take (default 120; 0: none)
//   dialect          the kind of server at the other end, a name: portal
//                    (the default) or webdav (server/webdav/dialect.h)
//
// The settings are process-wide and safe to read and change from any thread.
// The first use loads the settings files (hosts_file.h).
#ifndef ORVEX_PLATFORM_HOST_SETTINGS_H_
#define ORVEX_PLATFORM_HOST_SETTINGS_H_

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvex::platform {

// Settings that cannot be used; the message says where and why.
class HostSettingsError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Authentication methods, as a bit set.
enum AuthMethod : unsigned {
  kAuthBasic = 1,
  kAuthDigest = 2,
  kAuthNegotiate = 4,
  kAuthNtlm = 8,
};
constexpr unsigned kAuthAll = kAuthBasic | kAuthDigest | kAuthNegotiate | kAuthNtlm;

// Where a bare name really goes: a `url` setting, parsed.
struct HostBase {
  std::string scheme;  // "http" or "https"
  std::string host;    // an IPv6 literal without brackets
  int port = 80;

  // "scheme://host:port", the IPv6 literal bracketed.
  std::string Text() const;
  friend bool operator==(const HostBase&, const HostBase&) = default;
};

struct HostSettings {
  std::optional<HostBase> url;
  std::string ca_file;  // empty: the system's authorities
  bool verify = true;
  std::optional<unsigned> auth;  // none: the default for the target (AllowedAuth)
  // "" means none; unset: none for a host with a url, else the environment's.
  std::optional<std::string> proxy;
  std::string proxy_user;
  long connect_timeout = 10;
  long stall_timeout = 30;
  long request_timeout = 120;
  std::string dialect;
};

// The methods a request may use: `auth` when given, otherwise all but Basic
// when Basic would travel in clear (`scheme` "http") to a host that is not
// loopback (`host`, the address actually reached).
unsigned AllowedAuth(const HostSettings& settings, std::string_view scheme, std::string_view host);

// Whether `host` names this machine: "localhost", 127.0.0.0/8 or ::1.
bool IsLoopbackHost(std::string_view host);

// Checks `value` for `key` and stores it for `host`, replacing any earlier
// value of that key. Throws HostSettingsError ("unknown key", "bad value")
// with the reason; nothing changes then.
void SetHostSetting(std::string_view host, std::string_view key, std::string_view value);

// Removes `key` (or, for an empty key, every setting) of `host`.
void RemoveHostSetting(std::string_view host, std::string_view key);

// Forgets every host's settings, those the files gave included.
void ClearHostSettings();

// The settings of `host`; the defaults for a host without any. Throws
// HostSettingsError when the settings files loaded at first use were bad.
HostSettings LookupHostSettings(std::string_view host);

// The value stored for `key` of `host` as it was given, or nullopt.
std::optional<std::string> HostSetting(std::string_view host, std::string_view key);

// Applies `value` for `key` to `settings`; throws HostSettingsError. Used by
// the store and by the file reader to check a whole file before using it.
void ApplyHostSetting(HostSettings& settings, std::string_view key, std::string_view value);

// Whether `host` may name a section: a bare host name, no port or path.
bool IsBareHostName(std::string_view host);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_HOST_SETTINGS_H_
