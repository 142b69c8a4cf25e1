#include "line_editor.h"

#include <editline/readline.h>

#include <cstdlib>
#include <memory>

namespace orvex::console {
namespace {

constexpr int kHistoryLines = 1000;

}  // namespace

LineEditor::LineEditor(std::string history_file) : history_file_(std::move(history_file)) {
  rl_readline_name = "orvex";
  using_history();
  stifle_history(kHistoryLines);
  if (!history_file_.empty()) read_history(history_file_.c_str());
}

LineEditor::~LineEditor() {
  if (!history_file_.empty()) write_history(history_file_.c_str());
}

std::optional<std::string> LineEditor::ReadLine(std::string_view prompt) {
  std::string prompt_text(prompt);
  std::unique_ptr<char, decltype(&std::free)> line(readline(prompt_text.c_str()), &std::free);
  if (!line) return std::nullopt;
  if (line.get()[0] != '\0') add_history(line.get());
  return std::string(line.get());
}

std::string DefaultHistoryFile() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return "";
  return std::string(home) + "/.orvex_history";
}

}  // namespace orvex::console
