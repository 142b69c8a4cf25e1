#include "console.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "lexer.h"
#include "parser.h"
#include "platform/text.h"
#include "syntax_error.h"

namespace orvex::console {
namespace {

constexpr std::string_view kPrompt = "orvex> ";
constexpr std::string_view kContinuationPrompt = "   ...> ";

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

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

int RunInteractive(const LineReader& read_line, std::ostream& screen, Interpreter& interpreter,
                   Reporter& reporter) {
  interpreter.set_echo_results(true);
  int line_number = 0;
  // Reads one more line into `text`; false at the end of input.
  std::string line;
  auto read_more = [&](std::string& text) {
    std::optional<std::string> next = read_line(kContinuationPrompt);
    if (!next) return false;
    line = std::move(*next);
    ++line_number;
    text += '\n';
    text += line;
    return true;
  };
  for (;;) {
    std::optional<std::string> first = read_line(kPrompt);
    if (!first) break;
    line = std::move(*first);
    int first_line = ++line_number;
    std::string_view command = Trimmed(line);
    if (platform::CompareNoCase(command, "exit") == 0) break;
    if (platform::CompareNoCase(command, "help") == 0) {
      screen << InteractiveHelp() << std::flush;
      continue;
    }
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
  return kExitOk;
}

int RunInteractive(std::istream& in, std::ostream& prompt, Interpreter& interpreter,
                   Reporter& reporter) {
  LineReader read_line = [&](std::string_view prompt_text) -> std::optional<std::string> {
    prompt << prompt_text << std::flush;
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    return line;
  };
  int status = RunInteractive(read_line, prompt, interpreter, reporter);
  prompt << '\n' << std::flush;
  return status;
}

std::string_view InteractiveHelp() {
  return "Statements (members and names are case-insensitive):\n"
         "  Set x = CreateObject(\"Linkora.ConnectOrvex\")   create an object\n"
         "  x.Prop = value                                  assign a property\n"
         "  x.Member a, b      Call x.Member(a, b)          call a member\n"
         "  v = x.Member(a, b)                              keep a result; a bare variable\n"
         "                                                  argument receives an output\n"
         "  Print e1, e2       ? e1, e2                     write values\n"
         "  If c Then ... Else ... End If                   choose (over several lines)\n"
         "  For i = a To b ... Next                         repeat\n"
         "  On Error Resume Next    On Error GoTo 0         keep going after errors, or not\n"
         "  Ui.Plan \"Form\", \"actions\"    Ui.Answer \"yes\"   script the dialogs\n"
         "A typed expression shows its value. A line ending in \" _\" goes on.\n"
         "help shows this; exit or end of input (Ctrl-D) leaves.\n";
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
