// A script that cannot be read as statements: the line it happened on and
// what was wrong there. Nothing of a script with a syntax error runs.
#ifndef ORVEX_TOOLS_ORVEX_SYNTAX_ERROR_H_
#define ORVEX_TOOLS_ORVEX_SYNTAX_ERROR_H_

#include <stdexcept>
#include <string>

namespace orvex::console {

class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int line, const std::string& message, bool incomplete = false)
      : std::runtime_error(message), line_(line), incomplete_(incomplete) {}
  int line() const { return line_; }

  // True when the text ended inside a block (an If without End If, a For
  // without Next): more lines could complete it.
  bool incomplete() const { return incomplete_; }

 private:
  int line_;
  bool incomplete_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_SYNTAX_ERROR_H_
