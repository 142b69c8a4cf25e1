#include "platform/host_map.h"

#include <charconv>

#include "platform/host_settings.h"
#include "platform/text.h"

namespace orvex::platform {

std::optional<HostAddress> ParseHostAddress(std::string_view text) {
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  std::string_view addr = text.substr(0, colon);
  std::string_view port = text.substr(colon + 1);
  if (addr.front() == '[') {
    if (addr.size() < 3 || addr.back() != ']') return std::nullopt;
    addr = addr.substr(1, addr.size() - 2);
  } else if (addr.find(':') != std::string_view::npos) {
    return std::nullopt;
  }
  int p = 0;
  auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), p);
  if (ec != std::errc() || end != port.data() + port.size() || p <= 0 || p > 65535)
    return std::nullopt;
  return HostAddress{std::string(addr), p};
}

std::string HostUrlFor(std::string_view target) {
  if (StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://")) {
    HostSettings check;
    ApplyHostSetting(check, "url", target);
    return std::string(target);
  }
  std::optional<HostAddress> address = ParseHostAddress(target);
  if (!address)
    throw HostSettingsError("'" + std::string(target) + "' is neither a URL nor ADDR:PORT");
  return HostBase{"http", address->address, address->port}.Text() + "/";
}

void MapHost(std::string_view host, HostAddress to) {
  SetHostSetting(host, "url", HostBase{"http", to.address, to.port}.Text() + "/");
}

void UnmapHost(std::string_view host) { RemoveHostSetting(host, "url"); }

void ClearHostMap() { ClearHostSettings(); }

std::optional<HostAddress> LookupHost(std::string_view host) {
  HostSettings settings = LookupHostSettings(host);
  if (!settings.url) return std::nullopt;
  return HostAddress{settings.url->host, settings.url->port};
}

}  // namespace orvex::platform
