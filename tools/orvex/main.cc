// orvex: drives the automation object from a script or a prompt.
#include <unistd.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/create_object.h"
#include "console.h"
#include "embedded_store.h"
#include "interpreter.h"
#include "options.h"
#include "platform/host_map.h"
#include "reporter.h"

namespace {

using namespace orvex::console;

int Main(std::span<const std::string_view> args) {
  Options options;
  try {
    options = ParseOptions(args);
  } catch (const UsageError& e) {
    std::cerr << "orvex: " << e.what() << "\n" << UsageText();
    return kExitSyntaxError;
  }
  if (options.help) {
    std::cout << UsageText();
    return kExitOk;
  }

  bool from_stdin = options.script.empty() || options.script == "-";
  bool interactive = options.script.empty() && isatty(STDIN_FILENO);
  std::optional<std::string> source;
  if (!from_stdin) {
    source = ReadScriptFile(options.script);
    if (!source) {
      std::cerr << "orvex: cannot read script '" << options.script << "'\n";
      return kExitSyntaxError;
    }
  }

  for (const auto& [host, address] : options.host_map) orvex::platform::MapHost(host, address);
  std::unique_ptr<EmbeddedStore> store;
  if (options.embedded) {
    try {
      store = std::make_unique<EmbeddedStore>(options);
    } catch (const std::exception& e) {
      std::cerr << "orvex: cannot start the embedded docstore: " << e.what() << "\n";
      return kExitRuntimeError;
    }
  }

  Reporter reporter(std::cout, std::cerr, options.json);
  // The interpreter, and with it every object the script still holds, ends
  // before the embedded docstore stops.
  Interpreter interpreter(
      reporter, [](std::string_view name) { return orvex::automation::CreateObject(name); });
  if (interactive) return RunInteractive(std::cin, std::cerr, interpreter, reporter);
  if (from_stdin) source = ReadScript(std::cin);
  return RunScript(*source, interpreter, reporter);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  return Main(args);
}
