#include "console.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "interrupt.h"
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

// "help" alone gives "", "help NAME" (or "help x.NAME") gives NAME; any other
// line is no help command.
std::optional<std::string_view> HelpTopic(std::string_view command) {
  constexpr std::string_view kHelp = "help";
  if (command.size() < kHelp.size() ||
      platform::CompareNoCase(command.substr(0, kHelp.size()), kHelp) != 0)
    return std::nullopt;
  std::string_view rest = command.substr(kHelp.size());
  if (rest.empty()) return rest;
  if (rest.front() != ' ' && rest.front() != '\t') return std::nullopt;
  rest = Trimmed(rest);
  if (size_t dot = rest.rfind('.'); dot != std::string_view::npos) rest.remove_prefix(dot + 1);
  if (rest.empty()) return std::nullopt;
  for (char c : rest) {
    bool name_char =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!name_char) return std::nullopt;
  }
  return rest;
}

void ShowHelp(std::string_view topic, const MemberHelp& member_help, std::ostream& screen) {
  if (topic.empty()) {
    screen << InteractiveHelp();
  } else if (std::string entry = member_help ? member_help(topic) : std::string(); !entry.empty()) {
    screen << entry;
  } else {
    screen << "No member is called " << topic << ". Type help for the statements.\n";
  }
  screen << std::flush;
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

int RunInteractive(const LineReader& read_line, const MemberHelp& member_help, std::ostream& screen,
                   Interpreter& interpreter, Reporter& reporter) {
  interpreter.set_echo_results(true);
  int line_number = 0;
  bool hinted = false;  // the last input was Ctrl-C at an empty prompt
  for (;;) {
    InputLine first = read_line(kPrompt);
    if (first.kind == InputLine::Kind::kEnd) break;
    if (first.kind == InputLine::Kind::kInterrupted) {
      bool empty = Trimmed(first.text).empty();
      if (empty && hinted) break;
      if (empty) screen << LeaveHint() << std::flush;
      hinted = empty;
      continue;
    }
    hinted = false;
    std::string line = std::move(first.text);
    int first_line = ++line_number;
    std::string_view command = Trimmed(line);
    if (platform::CompareNoCase(command, "exit") == 0) break;
    if (std::optional<std::string_view> topic = HelpTopic(command)) {
      ShowHelp(*topic, member_help, screen);
      continue;
    }
    // Reads one more line into `text`: false at the end of input or on
    // Ctrl-C, which abandons the statement.
    std::string text = line;
    bool have_input = true;
    bool abandoned = false;
    auto read_more = [&] {
      InputLine next = read_line(kContinuationPrompt);
      if (next.kind != InputLine::Kind::kText) {
        abandoned = next.kind == InputLine::Kind::kInterrupted;
        return false;
      }
      line = std::move(next.text);
      ++line_number;
      text += '\n';
      text += line;
      return true;
    };
    std::optional<Program> program;
    while (!program && !abandoned) {
      while (have_input && EndsWithContinuation(line)) have_input = read_more();
      if (abandoned) break;
      try {
        program = Parse(text, first_line);
      } catch (const SyntaxError& e) {
        // An open If or For block goes on over the next lines.
        if (e.incomplete() && have_input && (have_input = read_more())) continue;
        if (abandoned) break;
        reporter.SyntaxError(e.line(), e.what());
        break;
      }
    }
    if (abandoned) continue;
    if (program) interpreter.Run(*program);
    ClearInterrupt();
    if (!have_input) break;
  }
  return kExitOk;
}

int RunInteractive(std::istream& in, std::ostream& prompt, Interpreter& interpreter,
                   Reporter& reporter, const MemberHelp& member_help) {
  LineReader read_line = [&](std::string_view prompt_text) {
    prompt << prompt_text << std::flush;
    InputLine line{InputLine::Kind::kText, {}};
    if (!std::getline(in, line.text)) return InputLine{};
    return line;
  };
  int status = RunInteractive(read_line, member_help, prompt, interpreter, reporter);
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
         "  Err.Raise n, \"source\", \"text\"                 fail with an error of your own\n"
         "  Ui.Plan \"Form\", \"actions\"    Ui.Answer \"yes\"   script the dialogs\n"
         "A typed expression shows its value. A line ending in \" _\" goes on.\n"
         "Tab completes keywords, names and, after \"x.\", the members of x.\n"
         "Ctrl-C abandons the line or the statement running; variables and\n"
         "connections stay.\n"
         "help NAME shows the reference of member NAME; help shows this;\n"
         "exit, end of input (Ctrl-D) or Ctrl-C twice at an empty prompt leaves.\n";
}

std::string_view LeaveHint() { return "(To leave, press Ctrl-C again or Ctrl-D, or type exit.)\n"; }

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
