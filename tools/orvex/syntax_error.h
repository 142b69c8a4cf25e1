// A script that cannot be read as statements: the line it happened on and
// what was wrong there. Nothing of a script with a syntax error runs.
#ifndef ORVEX_TOOLS_ORVEX_SYNTAX_ERROR_H_
#define ORVEX_TOOLS_ORVEX_SYNTAX_ERROR_H_

#include <stdexcept>
#include <string>

namespace orvex::console {

class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_SYNTAX_ERROR_H_
