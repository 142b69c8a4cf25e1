// The statements and expressions of a parsed console script.
#ifndef ORVEX_TOOLS_ORVEX_SYNTAX_H_
#define ORVEX_TOOLS_ORVEX_SYNTAX_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace orvex::console {

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

enum class BinaryOp {
  kConcat,  // &
  kAdd,     // +
  kSubtract,
  kEqual,
  kNotEqual,
  kLess,
  kLessEqual,
  kGreater,
  kGreaterEqual,
  kAnd,
  kOr,
};

struct Expr {
  enum class Kind {
    kLiteral,   // value
    kVariable,  // name: a script variable or a built-in object such as Err
    kParen,     // (operands[0]): forces an argument to go by value
    kNegate,    // -operands[0]
    kNot,       // Not operands[0]
    kBinary,    // operands[0] op operands[1]
    kMember,    // operands[0].name(args); has_parens when written with parentheses
    kFunction,  // name(args): a built-in function such as CreateObject
  };

  Kind kind = Kind::kLiteral;
  BinaryOp op = BinaryOp::kConcat;
  Variant value;
  std::string name;
  std::vector<ExprPtr> operands;
  std::vector<ExprPtr> args;
  bool has_parens = false;
  int depth = 1;  // levels of the tree below and including this node
};

struct Branch;

struct Statement {
  enum class Kind {
    kAssign,             // name = value
    kSet,                // Set name = value (an object, or Nothing)
    kPropertyLet,        // target = value, target a kMember expression
    kPropertySet,        // Set target = value: the object (or Nothing) by reference
    kCall,               // target, a kMember expression, called for its effect
    kPrint,              // Print values...
    kOnErrorResumeNext,  // On Error Resume Next
    kOnErrorGoTo0,       // On Error GoTo 0
    kDim,                // Dim names...
    kIf,                 // branches in order (If, ElseIf...), then body as Else
    kFor,                // For name = value To limit [Step step]: body Next
  };

  Kind kind = Kind::kCall;
  int line = 0;
  std::string name;
  std::vector<std::string> names;
  ExprPtr target;
  ExprPtr value;
  ExprPtr limit;
  ExprPtr step;  // null: 1
  std::vector<ExprPtr> values;
  std::vector<Branch> branches;
  std::vector<Statement> body;
};

// One condition of an If statement and the statements it guards.
struct Branch {
  int line = 0;
  ExprPtr condition;
  std::vector<Statement> body;
};

using Program = std::vector<Statement>;

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_SYNTAX_H_
