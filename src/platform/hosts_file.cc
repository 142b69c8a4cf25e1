#include "platform/hosts_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/host_settings.h"
#include "platform/text.h"

namespace orvex::platform {
namespace {

// The blanks around a line's parts (a CR of a CRLF file included).
constexpr std::string_view kBlanks = " \t\r";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v == nullptr ? std::string() : std::string(v);
}

}  // namespace

std::vector<HostsFileEntry> ParseHostsText(std::string_view text, const std::string& name) {
  std::vector<HostsFileEntry> entries;
  std::string section;
  int line_number = 0;
  while (!text.empty()) {
    ++line_number;
    size_t nl = text.find('\n');
    std::string_view line = Trim(text.substr(0, nl), kBlanks);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    auto fail = [&](const std::string& why) {
      throw HostSettingsError(name + ":" + std::to_string(line_number) + ": " + why);
    };
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') fail("a section is written [hostname]");
      std::string_view host = Trim(line.substr(1, line.size() - 2));
      if (!IsBareHostName(host))
        fail("'" + std::string(host) + "' is not a bare host name (no port, path or scheme)");
      section = std::string(host);
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) fail("expected [hostname] or key = value");
    std::string key(Trim(line.substr(0, eq), kBlanks));
    std::string value(Trim(line.substr(eq + 1), kBlanks));
    if (section.empty()) fail("'" + key + "' comes before any [hostname] section");
    try {
      HostSettings scratch;
      ApplyHostSetting(scratch, key, value);
    } catch (const HostSettingsError& e) {
      fail(e.what());
    }
    entries.push_back({section, std::move(key), std::move(value)});
  }
  return entries;
}

std::vector<HostsFileEntry> ReadHostsFile(const std::string& path, bool missing_ok) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    int err = errno;
    if (missing_ok && err == ENOENT) return {};
    throw HostSettingsError(path + ": cannot be read: " + std::strerror(err));
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw HostSettingsError(path + ": cannot be read");
  return ParseHostsText(text.str(), path);
}

std::vector<HostsFileName> DefaultHostsFiles() {
  std::vector<HostsFileName> files{{"/etc/qzorvex/hosts.conf"}};
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty() && !Env("HOME").empty()) config = Env("HOME") + "/.config";
  if (!config.empty()) files.push_back({config + "/qzorvex/hosts.conf"});
  if (std::string named = Env("QZORVEX_HOSTS"); !named.empty()) files.push_back({named, true});
  return files;
}

void LoadHostsFile(const std::string& path) {
  for (const HostsFileEntry& e : ReadHostsFile(path)) SetHostSetting(e.host, e.key, e.value);
}

}  // namespace orvex::platform
