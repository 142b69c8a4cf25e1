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

struct Expr {
  enum class Kind {
    kLiteral,   // value
    kVariable,  // name: a script variable or a built-in object such as Err
    kParen,     // (operands[0]): forces an argument to go by value
    kNegate,    // -operands[0]
    kConcat,    // operands[0] & operands[1]
    kMember,    // operands[0].name(args); has_parens when written with parentheses
    kFunction,  // name(args): a built-in function such as CreateObject
  };

  Kind kind = Kind::kLiteral;
  Variant value;
  std::string name;
  std::vector<ExprPtr> operands;
  std::vector<ExprPtr> args;
  bool has_parens = false;
};

struct Statement {
  enum class Kind {
    kAssign,             // name = value
    kSet,                // Set name = value (an object, or Nothing)
    kPropertyLet,        // target = value, target a kMember expression
    kCall,               // target, a kMember expression, called for its effect
    kPrint,              // Print values...
    kOnErrorResumeNext,  // On Error Resume Next
    kOnErrorGoTo0,       // On Error GoTo 0
    kDim,                // Dim names...
  };

  Kind kind = Kind::kCall;
  int line = 0;
  std::string name;
  std::vector<std::string> names;
  ExprPtr target;
  ExprPtr value;
  std::vector<ExprPtr> values;
};

using Program = std::vector<Statement>;

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_SYNTAX_H_
