#include "parser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "lexer.h"
#include "platform/text.h"
#include "syntax_error.h"

namespace orvex::console {
namespace {

bool Is(const Token& t, std::string_view keyword) {
  return t.kind == TokenKind::kName && platform::CompareNoCase(t.text, keyword) == 0;
}

// Words that cannot name a variable.
constexpr std::array<std::string_view, 22> kReserved = {
    "Set",  "Call", "Print",  "On",  "Dim", "True", "False", "Empty", "Null", "Nothing", "If",
    "Then", "Else", "ElseIf", "End", "For", "To",   "Step",  "Next",  "Not",  "And",     "Or"};

// VBScript statements a reader might try; naming them gives a clearer
// message than "expected '='".
constexpr std::array<std::string_view, 13> kUnsupported = {
    "Do",    "While", "Sub",    "Function", "Select", "Exit", "With",
    "Const", "ReDim", "Option", "Class",    "Loop",   "Wend"};

template <size_t N>
bool InList(const Token& t, const std::array<std::string_view, N>& list) {
  for (std::string_view word : list)
    if (Is(t, word)) return true;
  return false;
}

std::string Describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::kEndOfStatement:
    case TokenKind::kEndOfInput:
      return "end of statement";
    case TokenKind::kString:
      return "string \"" + t.text + "\"";
    default:
      return "'" + t.text + "'";
  }
}

ExprPtr MakeExpr(Expr::Kind kind) {
  auto e = std::make_unique<Expr>();
  e->kind = kind;
  return e;
}

// Limits that keep hostile scripts from exhausting the stack: nesting of
// parentheses, unary operators and blocks while reading, and the depth of
// an expression tree (long operator chains) that running walks.
constexpr int kMaxNesting = 200;
constexpr int kMaxDepth = 1000;

Variant IntegerVariant(int64_t v) {
  if (v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max())
    return Variant(static_cast<int16_t>(v));
  return Variant(static_cast<int32_t>(v));
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

  Program Run() {
    Program program;
    for (;;) {
      while (At(TokenKind::kEndOfStatement)) ++p_;
      if (At(TokenKind::kEndOfInput)) break;
      program.push_back(ParseStatement());
      ExpectEndOfStatement();
    }
    return program;
  }

 private:
  const Token& Peek() const { return t_[p_]; }
  bool At(TokenKind kind) const { return t_[p_].kind == kind; }
  // The end of a statement: a newline, ":", the end of the text, or the Else
  // of a one-line If (Else never starts an expression).
  bool AtEnd() const {
    return At(TokenKind::kEndOfStatement) || At(TokenKind::kEndOfInput) || Is(Peek(), "Else");
  }
  bool AtLineEnd() const {
    return (At(TokenKind::kEndOfStatement) && Peek().text == "\n") || At(TokenKind::kEndOfInput);
  }
  const Token& Next() { return t_[p_++]; }

  [[noreturn]] void Fail(const std::string& message) const {
    throw SyntaxError(Peek().line, message);
  }

  void ExpectEndOfStatement() {
    if (!At(TokenKind::kEndOfStatement) && !At(TokenKind::kEndOfInput))
      Fail("expected end of statement, found " + Describe(Peek()));
  }

  void Expect(TokenKind kind, std::string_view what) {
    if (!At(kind)) Fail("expected " + std::string(what) + ", found " + Describe(Peek()));
    ++p_;
  }

  void ExpectKeyword(std::string_view keyword) {
    if (!Is(Peek(), keyword))
      Fail("expected '" + std::string(keyword) + "', found " + Describe(Peek()));
    ++p_;
  }

  std::string ExpectVariableName() {
    if (!At(TokenKind::kName) || InList(Peek(), kReserved))
      Fail("expected a variable name, found " + Describe(Peek()));
    return Next().text;
  }

  Statement ParseStatement() {
    Nesting nesting(*this);
    Statement s;
    s.line = Peek().line;
    const Token& first = Peek();
    if (At(TokenKind::kQuestion) || Is(first, "Print")) {
      ++p_;
      s.kind = Statement::Kind::kPrint;
      if (!AtEnd()) s.values = ParseArguments();
    } else if (Is(first, "Set")) {
      ++p_;
      s.kind = Statement::Kind::kSet;
      s.name = ExpectVariableName();
      if (At(TokenKind::kDot)) {
        // Set x.Prop = obj: back to the name and read the whole member.
        --p_;
        s.kind = Statement::Kind::kPropertySet;
        s.target = ParsePostfix();
        if (s.target->kind != Expr::Kind::kMember)
          Fail("Set needs a variable or a property, as in Set x.Prop = obj");
      }
      Expect(TokenKind::kEquals, "'='");
      s.value = ParseExpression();
    } else if (Is(first, "Call")) {
      ++p_;
      s.kind = Statement::Kind::kCall;
      s.target = ParsePostfix();
      if (s.target->kind != Expr::Kind::kMember)
        Fail("Call needs an object member, as in x.Member(a)");
    } else if (Is(first, "On")) {
      ++p_;
      ExpectKeyword("Error");
      if (Is(Peek(), "Resume")) {
        ++p_;
        ExpectKeyword("Next");
        s.kind = Statement::Kind::kOnErrorResumeNext;
      } else if (Is(Peek(), "GoTo")) {
        ++p_;
        if (!At(TokenKind::kInteger) || Peek().integer != 0)
          Fail("only 'On Error GoTo 0' is supported");
        ++p_;
        s.kind = Statement::Kind::kOnErrorGoTo0;
      } else {
        Fail("expected 'Resume Next' or 'GoTo 0' after 'On Error'");
      }
    } else if (Is(first, "Dim")) {
      ++p_;
      s.kind = Statement::Kind::kDim;
      s.names.push_back(ExpectVariableName());
      while (At(TokenKind::kComma)) {
        ++p_;
        s.names.push_back(ExpectVariableName());
      }
    } else if (Is(first, "If")) {
      ParseIf(s);
    } else if (Is(first, "For")) {
      ParseFor(s);
    } else if (Is(first, "Next") || Is(first, "End") || Is(first, "Else") || Is(first, "ElseIf")) {
      Fail("'" + first.text + "' without the statement it closes");
    } else if (InList(first, kUnsupported)) {
      Fail("'" + first.text + "' statements are not part of the console language");
    } else if (At(TokenKind::kName) && !InList(first, kReserved)) {
      ParseNameStatement(s);
    } else {
      Fail("expected a statement, found " + Describe(first));
    }
    return s;
  }

  // If cond Then (newline) ... [ElseIf cond Then ...] [Else ...] End If, or
  // on one line: If cond Then statements [Else statements].
  void ParseIf(Statement& s) {
    s.kind = Statement::Kind::kIf;
    int opened = Peek().line;
    ++p_;
    Branch branch;
    branch.line = opened;
    branch.condition = ParseExpression();
    ExpectKeyword("Then");
    if (!At(TokenKind::kEndOfStatement) && !At(TokenKind::kEndOfInput)) {
      branch.body = ParseLineStatements();
      s.branches.push_back(std::move(branch));
      if (Is(Peek(), "Else")) {
        ++p_;
        s.body = ParseLineStatements();
      }
      return;
    }
    branch.body = ParseBlock("End If", opened);
    s.branches.push_back(std::move(branch));
    while (Is(Peek(), "ElseIf")) {
      Branch next;
      next.line = Peek().line;
      ++p_;
      next.condition = ParseExpression();
      ExpectKeyword("Then");
      next.body = ParseBlock("End If", opened);
      s.branches.push_back(std::move(next));
    }
    if (Is(Peek(), "Else")) {
      ++p_;
      s.body = ParseBlock("End If", opened);
    }
    ExpectKeyword("End");
    ExpectKeyword("If");
  }

  // For name = start To limit [Step step] ... Next [name]
  void ParseFor(Statement& s) {
    s.kind = Statement::Kind::kFor;
    int opened = Peek().line;
    ++p_;
    s.name = ExpectVariableName();
    Expect(TokenKind::kEquals, "'='");
    s.value = ParseExpression();
    ExpectKeyword("To");
    s.limit = ParseExpression();
    if (Is(Peek(), "Step")) {
      ++p_;
      s.step = ParseExpression();
    }
    ExpectEndOfStatement();
    s.body = ParseBlock("Next", opened);
    ExpectKeyword("Next");
    if (At(TokenKind::kName)) {
      if (platform::CompareNoCase(Peek().text, s.name) != 0)
        Fail("'Next " + Peek().text + "' does not close 'For " + s.name + "'");
      ++p_;
    }
  }

  // Statements up to the Else, ElseIf, End or Next that closes the block
  // opened on line `opened` by a statement that ends with `closing`.
  std::vector<Statement> ParseBlock(std::string_view closing, int opened) {
    std::vector<Statement> body;
    for (;;) {
      while (At(TokenKind::kEndOfStatement)) ++p_;
      if (At(TokenKind::kEndOfInput)) {
        throw SyntaxError(Peek().line,
                          "expected '" + std::string(closing) + "' to close the block of line " +
                              std::to_string(opened),
                          /*incomplete=*/true);
      }
      bool closes = closing == "Next"
                        ? Is(Peek(), "Next")
                        : Is(Peek(), "End") || Is(Peek(), "Else") || Is(Peek(), "ElseIf");
      if (closes) return body;
      body.push_back(ParseStatement());
      ExpectEndOfStatement();
    }
  }

  // The statements of a one-line If: separated by ":", up to the end of the
  // line or an Else.
  std::vector<Statement> ParseLineStatements() {
    std::vector<Statement> body;
    for (;;) {
      if (Is(Peek(), "For")) Fail("a For loop cannot be part of a one-line If");
      body.push_back(ParseStatement());
      if (!At(TokenKind::kEndOfStatement) || Peek().text != ":") break;
      ++p_;
      if (AtLineEnd() || Is(Peek(), "Else")) break;
    }
    if (!AtLineEnd() && !Is(Peek(), "Else"))
      Fail("expected end of line, found " + Describe(Peek()));
    return body;
  }

  // `v = expr`, `x.Prop = expr`, `x.Member args`.
  void ParseNameStatement(Statement& s) {
    std::string first = Peek().text;
    ExprPtr target = ParsePostfix();
    if (target->kind == Expr::Kind::kVariable) {
      if (!At(TokenKind::kEquals)) Fail("expected '=' after '" + first + "'");
      ++p_;
      s.kind = Statement::Kind::kAssign;
      s.name = target->name;
      s.value = ParseExpression();
      return;
    }
    if (target->kind != Expr::Kind::kMember)
      Fail("a function result cannot stand alone; assign it, as in v = " + first + "(...)");
    if (At(TokenKind::kEquals)) {
      ++p_;
      s.kind = Statement::Kind::kPropertyLet;
      s.target = std::move(target);
      s.value = ParseExpression();
      return;
    }
    s.kind = Statement::Kind::kCall;
    if (target->has_parens) {
      if (target->args.empty() && AtEnd()) {
        s.target = std::move(target);
        return;
      }
      if (target->args.size() > 1 && AtEnd()) {
        p_ = last_paren_;
        Fail("parentheses around several arguments need Call: write 'Call ...(a, b)' or '" +
             target->name + " a, b'");
      }
      // `x.Member (a)` or `x.Member (a) & b, c`: the parentheses belong to
      // the first argument, not to the call, so read the arguments again.
      p_ = last_paren_;
      target->args.clear();
      target->has_parens = false;
    }
    if (!AtEnd()) target->args = ParseArguments();
    s.target = std::move(target);
  }

  std::vector<ExprPtr> ParseArguments() {
    std::vector<ExprPtr> args;
    args.push_back(ParseExpression());
    while (At(TokenKind::kComma)) {
      ++p_;
      args.push_back(ParseExpression());
    }
    return args;
  }

  ExprPtr MakeBinary(BinaryOp op, ExprPtr left, ExprPtr right) {
    ExprPtr e = MakeExpr(Expr::Kind::kBinary);
    e->op = op;
    e->operands.push_back(std::move(left));
    e->operands.push_back(std::move(right));
    return Finish(std::move(e));
  }

  // Records the depth of a node whose children are in place.
  ExprPtr Finish(ExprPtr e) {
    int below = 0;
    for (const ExprPtr& child : e->operands) below = std::max(below, child->depth);
    for (const ExprPtr& child : e->args) below = std::max(below, child->depth);
    e->depth = below + 1;
    if (e->depth > kMaxDepth) Fail("expression too long or too deeply nested");
    return e;
  }

  // Counts one level of recursion while reading.
  class Nesting {
   public:
    explicit Nesting(Parser& parser) : parser_(parser) {
      if (++parser_.nesting_ > kMaxNesting) {
        --parser_.nesting_;
        parser_.Fail("statements or expressions nested too deeply");
      }
    }
    ~Nesting() { --parser_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  // Precedence, loosest first: Or, And, Not, comparisons, &, + and -, unary -.
  ExprPtr ParseExpression() {
    Nesting nesting(*this);
    ExprPtr left = ParseAnd();
    while (Is(Peek(), "Or")) {
      ++p_;
      left = MakeBinary(BinaryOp::kOr, std::move(left), ParseAnd());
    }
    return left;
  }

  ExprPtr ParseAnd() {
    ExprPtr left = ParseNot();
    while (Is(Peek(), "And")) {
      ++p_;
      left = MakeBinary(BinaryOp::kAnd, std::move(left), ParseNot());
    }
    return left;
  }

  ExprPtr ParseNot() {
    if (!Is(Peek(), "Not")) return ParseComparison();
    ++p_;
    Nesting nesting(*this);
    ExprPtr e = MakeExpr(Expr::Kind::kNot);
    e->operands.push_back(ParseNot());
    return Finish(std::move(e));
  }

  ExprPtr ParseComparison() {
    ExprPtr left = ParseConcat();
    for (;;) {
      BinaryOp op;
      switch (Peek().kind) {
        case TokenKind::kEquals:
          op = BinaryOp::kEqual;
          break;
        case TokenKind::kNotEqual:
          op = BinaryOp::kNotEqual;
          break;
        case TokenKind::kLess:
          op = BinaryOp::kLess;
          break;
        case TokenKind::kLessEqual:
          op = BinaryOp::kLessEqual;
          break;
        case TokenKind::kGreater:
          op = BinaryOp::kGreater;
          break;
        case TokenKind::kGreaterEqual:
          op = BinaryOp::kGreaterEqual;
          break;
        default:
          return left;
      }
      ++p_;
      left = MakeBinary(op, std::move(left), ParseConcat());
    }
  }

  ExprPtr ParseConcat() {
    ExprPtr left = ParseAdditive();
    while (At(TokenKind::kAmpersand)) {
      ++p_;
      left = MakeBinary(BinaryOp::kConcat, std::move(left), ParseAdditive());
    }
    return left;
  }

  ExprPtr ParseAdditive() {
    ExprPtr left = ParseUnary();
    while (At(TokenKind::kPlus) || At(TokenKind::kMinus)) {
      BinaryOp op = At(TokenKind::kPlus) ? BinaryOp::kAdd : BinaryOp::kSubtract;
      ++p_;
      left = MakeBinary(op, std::move(left), ParseUnary());
    }
    return left;
  }

  ExprPtr ParseUnary() {
    if (!At(TokenKind::kMinus)) return ParsePostfix();
    ++p_;
    if (At(TokenKind::kInteger)) {
      ExprPtr e = MakeExpr(Expr::Kind::kLiteral);
      e->value = IntegerVariant(-Next().integer);
      return e;
    }
    Nesting nesting(*this);
    ExprPtr e = MakeExpr(Expr::Kind::kNegate);
    e->operands.push_back(ParseUnary());
    return Finish(std::move(e));
  }

  ExprPtr ParsePostfix() {
    ExprPtr e = ParsePrimary();
    while (At(TokenKind::kDot)) {
      ++p_;
      if (!At(TokenKind::kName))
        Fail("expected a member name after '.', found " + Describe(Peek()));
      ExprPtr m = MakeExpr(Expr::Kind::kMember);
      m->name = Next().text;
      m->operands.push_back(std::move(e));
      if (At(TokenKind::kOpenParen)) {
        size_t paren = p_;
        m->args = ParseParenthesisedArguments();
        m->has_parens = true;
        last_paren_ = paren;
      }
      e = Finish(std::move(m));
    }
    return e;
  }

  std::vector<ExprPtr> ParseParenthesisedArguments() {
    Expect(TokenKind::kOpenParen, "'('");
    std::vector<ExprPtr> args;
    if (!At(TokenKind::kCloseParen)) args = ParseArguments();
    Expect(TokenKind::kCloseParen, "')'");
    return args;
  }

  ExprPtr ParsePrimary() {
    const Token& t = Peek();
    switch (t.kind) {
      case TokenKind::kString: {
        ExprPtr e = MakeExpr(Expr::Kind::kLiteral);
        e->value = Variant(Next().text);
        return e;
      }
      case TokenKind::kInteger: {
        if (t.integer > std::numeric_limits<int32_t>::max())
          Fail("number too large for a 32-bit integer");
        ExprPtr e = MakeExpr(Expr::Kind::kLiteral);
        e->value = IntegerVariant(Next().integer);
        return e;
      }
      case TokenKind::kOpenParen: {
        ++p_;
        ExprPtr e = MakeExpr(Expr::Kind::kParen);
        e->operands.push_back(ParseExpression());
        Expect(TokenKind::kCloseParen, "')'");
        return Finish(std::move(e));
      }
      case TokenKind::kName:
        return ParseName();
      default:
        Fail("expected an expression, found " + Describe(t));
    }
  }

  ExprPtr ParseName() {
    const Token& t = Peek();
    ExprPtr e = MakeExpr(Expr::Kind::kLiteral);
    if (Is(t, "True")) {
      e->value = Variant(true);
    } else if (Is(t, "False")) {
      e->value = Variant(false);
    } else if (Is(t, "Empty")) {
      e->value = Variant();
    } else if (Is(t, "Null")) {
      e->value = Variant(Null{});
    } else if (Is(t, "Nothing")) {
      e->value = Variant(std::shared_ptr<Dispatch>());
    } else if (InList(t, kReserved) || InList(t, kUnsupported)) {
      Fail("expected an expression, found keyword '" + t.text + "'");
    } else {
      std::string name = Next().text;
      if (At(TokenKind::kOpenParen)) {
        e = MakeExpr(Expr::Kind::kFunction);
        e->name = std::move(name);
        e->args = ParseParenthesisedArguments();
        e->has_parens = true;
        e = Finish(std::move(e));
      } else {
        e = MakeExpr(Expr::Kind::kVariable);
        e->name = std::move(name);
      }
      return e;
    }
    ++p_;
    return e;
  }

  std::vector<Token> t_;
  size_t p_ = 0;
  size_t last_paren_ = 0;  // where the argument list of the last member read began
  int nesting_ = 0;
};

}  // namespace

Program Parse(std::string_view source, int first_line) {
  return Parser(Tokenize(source, first_line)).Run();
}

std::span<const std::string_view> ReservedWords() { return kReserved; }

}  // namespace orvex::console
