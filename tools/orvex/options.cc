#include "options.h"

#include <optional>

#include "platform/host_map.h"
#include "platform/host_settings.h"
#include "platform/language.h"

namespace orvex::console {
namespace {

class ArgReader {
 public:
  explicit ArgReader(std::span<const std::string_view> args) : args_(args) {}

  bool Done() const { return i_ >= args_.size(); }
  std::string_view Current() const { return args_[i_]; }
  void Advance() { ++i_; }

  // The value of option `name` when the current argument is that option
  // (as "--name=value" or "--name value"); nullopt when it is another one.
  std::optional<std::string> Value(std::string_view name) {
    std::string_view arg = args_[i_];
    if (arg.substr(0, name.size()) != name) return std::nullopt;
    if (arg.size() > name.size() && arg[name.size()] == '=') {
      ++i_;
      return std::string(arg.substr(name.size() + 1));
    }
    if (arg.size() != name.size()) return std::nullopt;
    if (i_ + 1 >= args_.size()) throw UsageError(std::string(name) + " needs a value");
    i_ += 2;
    return std::string(args_[i_ - 1]);
  }

 private:
  std::span<const std::string_view> args_;
  size_t i_ = 0;
};

std::pair<std::string, std::string> ParseMapping(const std::string& text) {
  size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0)
    throw UsageError("--map-host wants NAME=URL or NAME=ADDR:PORT, got '" + text + "'");
  std::string name = text.substr(0, eq);
  if (!platform::IsBareHostName(name))
    throw UsageError("--map-host: '" + name + "' is not a bare host name");
  try {
    return {std::move(name), platform::HostUrlFor(text.substr(eq + 1))};
  } catch (const platform::HostSettingsError& e) {
    throw UsageError("--map-host " + text + ": " + e.what());
  }
}

}  // namespace

Options ParseOptions(std::span<const std::string_view> args) {
  Options options;
  ArgReader reader(args);
  bool have_script = false;
  while (!reader.Done()) {
    std::string_view arg = reader.Current();
    if (have_script)
      throw UsageError("unexpected argument after the script: '" + std::string(arg) + "'");
    if (arg == "--embedded") {
      options.embedded = true;
      reader.Advance();
    } else if (arg == "--json") {
      options.json = true;
      reader.Advance();
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
      reader.Advance();
    } else if (arg == "--version") {
      options.version = true;
      reader.Advance();
    } else if (auto seed = reader.Value("--seed")) {
      options.seed_file = *seed;
    } else if (auto store = reader.Value("--store")) {
      options.store_dir = *store;
    } else if (auto hosts = reader.Value("--hosts")) {
      if (hosts->empty()) throw UsageError("--hosts needs a settings file");
      options.hosts_files.push_back(*hosts);
    } else if (auto trace = reader.Value("--trace")) {
      if (trace->empty()) throw UsageError("--trace needs a file");
      options.trace_file = *trace;
    } else if (auto mapping = reader.Value("--map-host")) {
      options.host_map.push_back(ParseMapping(*mapping));
    } else if (auto toolkit = reader.Value("--ui")) {
      if (toolkit->empty()) throw UsageError("--ui needs a toolkit name (headless or qt)");
      options.toolkit = *toolkit;
    } else if (auto lang = reader.Value("--lang")) {
      if (*lang == "en") {
        options.language = platform::kLangEnglish;
      } else if (*lang == "ja") {
        options.language = platform::kLangJapanese;
      } else {
        throw UsageError("--lang wants en or ja, got '" + *lang + "'");
      }
    } else if (auto shots = reader.Value("--screenshots")) {
      if (shots->empty()) throw UsageError("--screenshots needs a folder");
      options.screenshots = *shots;
    } else if (arg == "-" || arg.substr(0, 1) != "-") {
      options.script = std::string(arg);
      have_script = true;
      reader.Advance();
    } else {
      throw UsageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (!options.embedded && (!options.seed_file.empty() || !options.store_dir.empty()))
    throw UsageError("--seed and --store configure the embedded docstore; add --embedded");
  return options;
}

std::string UsageText() {
  return "usage: orvex [--embedded] [--seed FILE] [--store DIR] [--hosts FILE]...\n"
         "             [--map-host NAME=URL|NAME=ADDR:PORT]... [--trace FILE]\n"
         "             [--ui headless|qt] [--lang en|ja] [--screenshots DIR] [--json]\n"
         "             [SCRIPT | -]\n"
         "       orvex --version | --help\n"
         "\n"
         "Runs a script of statements against the automation object, or reads\n"
         "statements at a prompt when standard input is a terminal.\n"
         "\n"
         "  --embedded              start a docstore in this process and map its host names\n"
         "  --seed FILE             seed the embedded docstore from FILE (default: sample store)\n"
         "  --store DIR             keep the embedded docstore's store in DIR\n"
         "  --hosts FILE            per-host connection settings (repeatable)\n"
         "  --map-host NAME=URL     reach server NAME at URL, or at ADDR:PORT (repeatable)\n"
         "  --trace FILE            append every HTTP exchange to FILE, credentials masked\n"
         "  --ui headless|qt        toolkit for the dialogs (default: qt with a display)\n"
         "  --lang en|ja            language of the dialogs (default: from the locale)\n"
         "  --screenshots DIR       save a PNG of every dialog shown\n"
         "  --json                  write one JSON object per member call, Print and dialog\n"
         "  SCRIPT                  script file; '-' or none reads standard input\n"
         "\n"
         "Exit status: 0 done, 1 run-time error, 2 syntax or usage error.\n";
}

}  // namespace orvex::console
