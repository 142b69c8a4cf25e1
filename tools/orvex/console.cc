#include "console.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "lexer.h"
#include "parser.h"
#include "syntax_error.h"

namespace orvex::console {
namespace {

constexpr std::string_view kPrompt = "orvex> ";
constexpr std::string_view kContinuationPrompt = "   ...> ";

std::string WithoutByteOrderMark(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return text;
}

}  // namespace

int RunScript(std::string_view source, Interpreter& interpreter, Reporter& reporter) {
  Program program;
  try {
    program = Parse(source);
  } catch (const SyntaxError& e) {
    reporter.SyntaxError(e.line(), e.what());
    return kExitSyntaxError;
  }
  return interpreter.Run(program) ? kExitOk : kExitRuntimeError;
}

int RunInteractive(std::istream& in, std::ostream& prompt, Interpreter& interpreter,
                   Reporter& reporter) {
  interpreter.set_echo_results(true);
  int line_number = 0;
  std::string line;
  // Reads one more line into `text`; false at the end of input.
  auto read_more = [&](std::string& text) {
    prompt << kContinuationPrompt << std::flush;
    if (!std::getline(in, line)) return false;
    ++line_number;
    text += '\n';
    text += line;
    return true;
  };
  for (;;) {
    prompt << kPrompt << std::flush;
    if (!std::getline(in, line)) break;
    int first_line = ++line_number;
    std::string text = line;
    bool have_input = true;
    std::optional<Program> program;
    while (!program) {
      while (have_input && EndsWithContinuation(line)) have_input = read_more(text);
      try {
        program = Parse(text, first_line);
      } catch (const SyntaxError& e) {
        // An open If or For block goes on over the next lines.
        if (e.incomplete() && have_input && (have_input = read_more(text))) continue;
        reporter.SyntaxError(e.line(), e.what());
        break;
      }
    }
    if (program) interpreter.Run(*program);
    if (!have_input) break;
  }
  prompt << '\n' << std::flush;
  return kExitOk;
}

std::optional<std::string> ReadScriptFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return WithoutByteOrderMark(std::move(text).str());
}

std::string ReadScript(std::istream& in) {
  return WithoutByteOrderMark(
      std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

}  // namespace orvex::console
