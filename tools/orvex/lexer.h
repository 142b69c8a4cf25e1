// Splits console script text into tokens.
//
// Keywords and names are case-insensitive; a token keeps the text as written
// and the 1-based line it starts on. Comments (from ' to the end of the
// line, or a Rem statement) are dropped. A "_" that ends a line joins it to
// the next one, so a statement continued that way keeps the line number of
// its first line. Newlines and ":" both end a statement.
#ifndef ORVEX_TOOLS_ORVEX_LEXER_H_
#define ORVEX_TOOLS_ORVEX_LEXER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::console {

enum class TokenKind {
  kName,            // identifiers and keywords
  kString,          // text holds the value, "" already turned into "
  kInteger,         // integer holds the (non-negative) value
  kDot,             // .
  kComma,           // ,
  kOpenParen,       // (
  kCloseParen,      // )
  kEquals,          // =
  kAmpersand,       // &
  kPlus,            // +
  kMinus,           // -
  kLess,            // <
  kLessEqual,       // <=
  kGreater,         // >
  kGreaterEqual,    // >=
  kNotEqual,        // <>
  kQuestion,        // ? (Print shorthand at the interactive prompt)
  kEndOfStatement,  // newline (text "\n") or ":" (text ":")
  kEndOfInput,
};

struct Token {
  TokenKind kind;
  std::string text;
  int64_t integer = 0;
  int line = 0;
};

// The tokens of `source`, whose first line is numbered `first_line`. The last
// token is always kEndOfInput. Throws SyntaxError for a character that
// starts no token, an unterminated string or an integer too large for 32
// bits.
std::vector<Token> Tokenize(std::string_view source, int first_line = 1);

// True when `line` ends with a line-continuation "_" (outside a string or
// comment), so an interactive reader knows to ask for the next line.
bool EndsWithContinuation(std::string_view line);

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_LEXER_H_
