// The per-host settings file (host_settings.h), INI-like:
//
//   # a comment; so is a line starting with ';'
//   [docs]
//   url = https://dms.example.com:8443/
//   auth = digest, negotiate
//
// One section per bare host name (compared ignoring case; a section named
// twice continues), one "key = value" per line, blanks around both ignored.
// There are no inline comments: everything after '=' is the value. Unknown
// keys, bad values, a key outside a section and any other line are refused
// with the file's name, the line and the reason; a file is used whole or not
// at all.
#ifndef ORVEX_PLATFORM_HOSTS_FILE_H_
#define ORVEX_PLATFORM_HOSTS_FILE_H_

#include <string>
#include <string_view>
#include <vector>

namespace orvex::platform {

struct HostsFileEntry {
  std::string host;
  std::string key;
  std::string value;
};

// The checked entries of settings text read from `name`, in file order.
// Throws HostSettingsError "NAME:LINE: reason".
std::vector<HostsFileEntry> ParseHostsText(std::string_view text, const std::string& name);

// The checked entries of the file at `path`. A file that does not exist is
// empty when `missing_ok`; one that cannot be read throws HostSettingsError.
std::vector<HostsFileEntry> ReadHostsFile(const std::string& path, bool missing_ok = false);

struct HostsFileName {
  std::string path;
  bool required = false;  // a missing file is an error, not an empty one
};

// The files read at first use, in order, each overriding the ones before it
// key by key: /etc/qzorvex/hosts.conf, $XDG_CONFIG_HOME/qzorvex/hosts.conf
// ($HOME/.config when XDG_CONFIG_HOME is unset or empty), and the file
// $QZORVEX_HOSTS names, which alone must exist.
std::vector<HostsFileName> DefaultHostsFiles();

// Reads the file at `path` and applies its settings over the current ones.
// Throws HostSettingsError, changing nothing, when it cannot be used.
void LoadHostsFile(const std::string& path);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_HOSTS_FILE_H_
