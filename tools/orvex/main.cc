// orvex: drives the automation object from a script or a prompt.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/create_object.h"
#include "automation/member_reference.h"
#include "completion.h"
#include "console.h"
#include "embedded_store.h"
#include "err_object.h"
#include "interpreter.h"
#include "interrupt.h"
#include "line_editor.h"
#include "options.h"
#include "platform/host_settings.h"
#include "platform/hosts_file.h"
#include "platform/language.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "qzorvex/version.h"
#include "reporter.h"
#include "server/webdav/transfer_interrupt.h"
#include "ui_object.h"

namespace {

using namespace orvex::console;
namespace ui = orvex::ui;

// Chooses the dialogs' toolkit, language and screenshot folder; false (with
// the reason on stderr) when the command line asks for something missing.
bool SetUpDialogs(const Options& options) {
  if (!options.toolkit.empty()) {
    if (!ui::HasToolkit(options.toolkit)) {
      std::cerr << "orvex: no toolkit '" << options.toolkit << "' in this build (have:";
      for (const std::string& name : ui::ToolkitNames()) std::cerr << " " << name;
      std::cerr << ")\n";
      return false;
    }
    ui::UseToolkit(options.toolkit);
  }
  if (options.language) orvex::platform::SetThreadLanguage(*options.language);
  if (!options.screenshots.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.screenshots, ec);
    if (ec) {
      std::cerr << "orvex: cannot create '" << options.screenshots << "': " << ec.message() << "\n";
      return false;
    }
    ui::SetScreenshotDirectory(options.screenshots);
  }
  return true;
}

// The session at the terminal. Ctrl-C abandons the line being typed or the
// statement running, HTTP transfers included, instead of ending the console.
int RunPrompt(Interpreter& interpreter, Reporter& reporter) {
  std::cerr << "orvex " << qzorvex::Version()
            << ", the QzOrvex console. Type help for the statements, exit to leave.\n";
  InterruptHandler interrupts;
  orvex::server::webdav::SetTransferInterruptCheck(&InterruptRequested);
  std::vector<std::string_view> members = orvex::automation::MemberNames();
  for (auto builtin : {ErrObject::MemberNames(), UiObject::MemberNames()})
    members.insert(members.end(), builtin.begin(), builtin.end());
  LineEditor editor(DefaultHistoryFile(), interrupts.wake_fd(),
                    [&](std::string_view before_cursor) {
                      return Complete(before_cursor, interpreter, members);
                    });
  int status =
      RunInteractive([&editor](std::string_view prompt) { return editor.ReadLine(prompt); },
                     [](std::string_view name) { return orvex::automation::MemberEntry(name); },
                     std::cerr, interpreter, reporter);
  std::cerr << '\n';
  orvex::server::webdav::SetTransferInterruptCheck(nullptr);
  return status;
}

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
  if (options.version) {
    std::cout << "orvex " << qzorvex::Version() << "\n";
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

  if (!SetUpDialogs(options)) return kExitSyntaxError;
  try {
    for (const std::string& file : options.hosts_files) orvex::platform::LoadHostsFile(file);
    for (const auto& [host, url] : options.host_map)
      orvex::platform::SetHostSetting(host, "url", url);
  } catch (const orvex::platform::HostSettingsError& e) {
    std::cerr << "orvex: " << e.what() << "\n";
    return kExitSyntaxError;
  }
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
  // Every dialog and message box shown while a member runs becomes a JSON
  // line, ahead of the line of the call that showed it.
  ui::SetObserver([&reporter](const nlohmann::json& record) { reporter.Record(record); });
  int status;
  {
    // The interpreter, and with it every object the script still holds,
    // ends before the observer and the embedded docstore do.
    Interpreter interpreter(
        reporter, [](std::string_view name) { return orvex::automation::CreateObject(name); });
    interpreter.AddBuiltin("Ui", std::make_shared<UiObject>());
    if (interactive) {
      status = RunPrompt(interpreter, reporter);
    } else {
      if (!from_stdin) reporter.set_source_name(options.script);
      if (from_stdin) source = ReadScript(std::cin);
      status = RunScript(*source, interpreter, reporter);
    }
  }
  ui::SetObserver(nullptr);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  return Main(args);
}
