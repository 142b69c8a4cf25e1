#include "platform/host_map.h"

#include <charconv>
#include <map>

#include "platform/text.h"

namespace orvex::platform {
namespace {

struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
};

std::map<std::string, HostAddress, NoCaseLess>& Table() {
  static std::map<std::string, HostAddress, NoCaseLess> table;
  return table;
}

}  // namespace

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

void MapHost(std::string_view host, HostAddress to) {
  Table().insert_or_assign(std::string(host), std::move(to));
}

void UnmapHost(std::string_view host) {
  auto it = Table().find(host);
  if (it != Table().end()) Table().erase(it);
}

void ClearHostMap() { Table().clear(); }

std::optional<HostAddress> LookupHost(std::string_view host) {
  auto it = Table().find(host);
  if (it == Table().end()) return std::nullopt;
  return it->second;
}

}  // namespace orvex::platform
