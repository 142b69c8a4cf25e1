// The console's command line:
//   orvex [--embedded] [--seed FILE] [--store DIR] [--hosts FILE]...
//         [--map-host NAME=URL|NAME=ADDR:PORT]...
//         [--ui headless|qt] [--lang en|ja] [--screenshots DIR] [--json]
//         [SCRIPT | -]
#ifndef ORVEX_TOOLS_ORVEX_OPTIONS_H_
#define ORVEX_TOOLS_ORVEX_OPTIONS_H_

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvex::console {

struct Options {
  bool embedded = false;                 // run a docstore in-process and map its host names to it
  std::string seed_file;                 // its seed (empty: the built-in sample store)
  std::string store_dir;                 // keep its store on disk here (empty: in memory)
  std::vector<std::string> hosts_files;  // --hosts: settings files, applied in order
  // --map-host, in order, after the files: each host's `url` setting.
  std::vector<std::pair<std::string, std::string>> host_map;
  std::string toolkit;          // --ui: the dialogs' toolkit (empty: chosen at first use)
  std::optional<int> language;  // --lang: 1033 or 1041 (none: from the locale)
  std::string screenshots;      // --screenshots: folder for a PNG of every shown dialog
  bool json = false;            // JSON lines on stdout
  std::string script;           // script file; "-" or empty: standard input
  bool help = false;
  bool version = false;
};

// A command line that cannot be used; the message says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Options may come in any
// order before the script; "--opt=value" and "--opt value" are both
// accepted. Throws UsageError.
Options ParseOptions(std::span<const std::string_view> args);

// The usage summary printed by --help and after a usage error.
std::string UsageText();

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_OPTIONS_H_
