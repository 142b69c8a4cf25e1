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

// Gives the next line typed after showing `prompt`; nullopt at the end of
// input.
using LineReader = std::function<std::optional<std::string>(std::string_view prompt)>;

// Reads statements line by line, prompting for each (a continuation prompt
// after a line ending in "_" or inside an open block), and runs each as it
// is complete. Errors are reported and the session goes on. A line "help"
// writes the summary of statements to `screen`; a line "exit" ends the
// session, as the end of input does. Returns kExitOk.
int RunInteractive(const LineReader& read_line, std::ostream& screen, Interpreter& interpreter,
                   Reporter& reporter);

// The same over a stream, writing the prompts (and a final newline) to
// `prompt`.
int RunInteractive(std::istream& in, std::ostream& prompt, Interpreter& interpreter,
                   Reporter& reporter);

// The summary the prompt's "help" writes.
std::string_view InteractiveHelp();

// The text of script file `path`, without a UTF-8 byte order mark; nullopt
// when it cannot be read.
std::optional<std::string> ReadScriptFile(const std::string& path);

// The rest of `in` as script text, without a UTF-8 byte order mark.
std::string ReadScript(std::istream& in);

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_CONSOLE_H_
