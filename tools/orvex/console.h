// Running the console's input: a whole script, or statements typed at a
// prompt.
#ifndef ORVEX_TOOLS_ORVEX_CONSOLE_H_
#define ORVEX_TOOLS_ORVEX_CONSOLE_H_

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "interpreter.h"
#include "reporter.h"

namespace orvex::console {

// Exit statuses of the console.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRuntimeError = 1;
inline constexpr int kExitSyntaxError = 2;  // also a command line or script that cannot be used

// Parses all of `source` first, then runs it: a syntax error anywhere means
// nothing runs (reported, kExitSyntaxError); a run-time error that is not
// handled stops the script (reported, kExitRuntimeError); else kExitOk.
int RunScript(std::string_view source, Interpreter& interpreter, Reporter& reporter);

// One line from the prompt.
struct InputLine {
  enum class Kind {
    kText,         // a line was entered
    kInterrupted,  // Ctrl-C came while it was being typed
    kEnd,          // the end of input (Ctrl-D)
  };
  Kind kind = Kind::kEnd;
  std::string text;  // the line; for kInterrupted, what had been typed of it
};

// Gives the next line typed after showing `prompt`.
using LineReader = std::function<InputLine(std::string_view prompt)>;

// The reference entry of the members called `name`; "" when there is none.
using MemberHelp = std::function<std::string(std::string_view name)>;

// Reads statements line by line, prompting for each (a continuation prompt
// after a line ending in "_" or inside an open block), and runs each as it
// is complete. Errors are reported and the session goes on. Commands of the
// prompt itself, alone on their line: "help" writes the summary of
// statements to `screen`, "help NAME" the reference entry of member NAME
// (from `member_help`), "exit" ends the session, as the end of input does.
//
// Ctrl-C abandons the line being typed, or the whole statement at a
// continuation prompt, and prompts again; Ctrl-C at an empty prompt writes
// how to leave, and a second one right after it ends the session. A
// statement that Ctrl-C interrupts is abandoned by the interpreter; an
// interrupt that comes as a statement ends is dropped with it. Returns
// kExitOk.
int RunInteractive(const LineReader& read_line, const MemberHelp& member_help, std::ostream& screen,
                   Interpreter& interpreter, Reporter& reporter);

// The same over a stream, writing the prompts (and a final newline) to
// `prompt`.
int RunInteractive(std::istream& in, std::ostream& prompt, Interpreter& interpreter,
                   Reporter& reporter, const MemberHelp& member_help = {});

// The summary the prompt's "help" writes.
std::string_view InteractiveHelp();

// What Ctrl-C at an empty prompt writes.
std::string_view LeaveHint();

// The text of script file `path`, without a UTF-8 byte order mark; nullopt
// when it cannot be read.
std::optional<std::string> ReadScriptFile(const std::string& path);

// The rest of `in` as script text, without a UTF-8 byte order mark.
std::string ReadScript(std::istream& in);

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_CONSOLE_H_
