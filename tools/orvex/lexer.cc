#include "lexer.h"

#include <cctype>
#include <cstdio>

#include "platform/text.h"
#include "syntax_error.h"

namespace orvex::console {
namespace {

constexpr int64_t kLargestMagnitude = 2147483648LL;  // -2147483648 is still a 32-bit integer

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

class Lexer {
 public:
  Lexer(std::string_view source, int first_line) : src_(source), line_(first_line) {}

  std::vector<Token> Run() {
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (IsBlank(c)) {
        ++pos_;
      } else if (c == '\n') {
        EndStatement("\n");
        ++pos_;
        ++line_;
      } else if (c == ':') {
        EndStatement(":");
        ++pos_;
      } else if (c == '\'') {
        SkipToEndOfLine();
      } else if (c == '_' && RestOfLineIsBlank(pos_ + 1)) {
        // Line continuation: the statement goes on after the newline.
        SkipToEndOfLine();
        if (pos_ < src_.size()) {
          ++pos_;
          ++line_;
        }
      } else if (c == '"') {
        String();
      } else if (std::isdigit(static_cast<unsigned char>(c))) {
        Integer();
      } else if (IsNameStart(c)) {
        Name();
      } else {
        Punctuation(c);
      }
    }
    EndStatement("\n");
    tokens_.push_back(Token{TokenKind::kEndOfInput, "", 0, line_});
    return std::move(tokens_);
  }

 private:
  bool AtStatementStart() const {
    return tokens_.empty() || tokens_.back().kind == TokenKind::kEndOfStatement;
  }

  // Ends the statement at a newline or ":". Several in a row make one
  // token; a newline wins over ":" because it also ends a one-line If.
  void EndStatement(const char* text) {
    if (tokens_.empty()) return;
    Token& last = tokens_.back();
    if (last.kind == TokenKind::kEndOfStatement) {
      if (text[0] == '\n') last.text = text;
      return;
    }
    tokens_.push_back(Token{TokenKind::kEndOfStatement, text, 0, line_});
  }

  void SkipToEndOfLine() {
    while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
  }

  bool RestOfLineIsBlank(size_t from) const {
    for (size_t i = from; i < src_.size() && src_[i] != '\n'; ++i)
      if (!IsBlank(src_[i])) return false;
    return true;
  }

  void String() {
    std::string value;
    ++pos_;
    for (;;) {
      if (pos_ >= src_.size() || src_[pos_] == '\n')
        throw SyntaxError(line_, "unterminated string");
      char c = src_[pos_++];
      if (c == '"') {
        if (pos_ < src_.size() && src_[pos_] == '"') {
          value += '"';
          ++pos_;
          continue;
        }
        break;
      }
      value += c;
    }
    tokens_.push_back(Token{TokenKind::kString, std::move(value), 0, line_});
  }

  void Integer() {
    size_t start = pos_;
    int64_t value = 0;
    while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) {
      value = value * 10 + (src_[pos_] - '0');
      if (value > kLargestMagnitude) {
        throw SyntaxError(line_, "number too large for a 32-bit integer");
      }
      ++pos_;
    }
    if (pos_ < src_.size() && IsNameChar(src_[pos_])) throw SyntaxError(line_, "malformed number");
    tokens_.push_back(
        Token{TokenKind::kInteger, std::string(src_.substr(start, pos_ - start)), value, line_});
  }

  void Name() {
    size_t start = pos_;
    while (pos_ < src_.size() && IsNameChar(src_[pos_])) ++pos_;
    std::string_view text = src_.substr(start, pos_ - start);
    // Rem is a comment statement: the rest of the line is ignored.
    if (AtStatementStart() && platform::CompareNoCase(text, "Rem") == 0) {
      SkipToEndOfLine();
      return;
    }
    tokens_.push_back(Token{TokenKind::kName, std::string(text), 0, line_});
  }

  void Punctuation(char c) {
    char next = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\0';
    TokenKind kind;
    size_t length = 1;
    switch (c) {
      case '.':
        kind = TokenKind::kDot;
        break;
      case ',':
        kind = TokenKind::kComma;
        break;
      case '(':
        kind = TokenKind::kOpenParen;
        break;
      case ')':
        kind = TokenKind::kCloseParen;
        break;
      case '=':
        kind = TokenKind::kEquals;
        break;
      case '&':
        kind = TokenKind::kAmpersand;
        break;
      case '+':
        kind = TokenKind::kPlus;
        break;
      case '-':
        kind = TokenKind::kMinus;
        break;
      case '?':
        kind = TokenKind::kQuestion;
        break;
      case '<':
        kind = next == '='   ? TokenKind::kLessEqual
               : next == '>' ? TokenKind::kNotEqual
                             : TokenKind::kLess;
        length = kind == TokenKind::kLess ? 1 : 2;
        break;
      case '>':
        kind = next == '=' ? TokenKind::kGreaterEqual : TokenKind::kGreater;
        length = kind == TokenKind::kGreater ? 1 : 2;
        break;
      default: {
        std::string shown(1, c);
        if (!std::isprint(static_cast<unsigned char>(c))) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          shown = hex;
        }
        throw SyntaxError(line_, "unexpected character '" + shown + "'");
      }
    }
    tokens_.push_back(Token{kind, std::string(src_.substr(pos_, length)), 0, line_});
    pos_ += length;
  }

  std::string_view src_;
  size_t pos_ = 0;
  int line_;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view source, int first_line) {
  return Lexer(source, first_line).Run();
}

bool EndsWithContinuation(std::string_view line) {
  bool in_string = false;
  bool continued = false;
  char previous = 0;
  for (char c : line) {
    if (in_string) {
      if (c == '"') in_string = false;
    } else if (c == '\'') {
      break;
    } else if (c == '"') {
      in_string = true;
      continued = false;
    } else if (c == '_' && !IsNameChar(previous)) {
      continued = true;
    } else if (!IsBlank(c)) {
      continued = false;
    }
    previous = c;
  }
  return continued && !in_string;
}

}  // namespace orvex::console
