// Reads console script text as statements.
//
// The language is a small subset of VBScript; keywords and names are
// case-insensitive:
//   Set x = CreateObject("Linkora.ConnectOrvex")   object assignment (or Nothing)
//   v = expr                                      variable assignment
//   x.Prop = expr                                 property assignment
//   x.Member a, b       Call x.Member(a, b)       member calls for their effect
//   Print e1, e2        ? e1, e2                  output
//   On Error Resume Next    On Error GoTo 0       error handling
//   Dim a, b                                      declaration (optional)
//   If c Then ... [ElseIf c Then ...] [Else ...] End If, or on one line
//   For i = a To b [Step s] ... Next [i]
// Expressions: "strings" ("" for a quote), integers, True, False, Empty,
// Null, Nothing, variables, x.Member(args), x.Prop, CreateObject(name),
// (expr), and the operators, tightest first: unary -, + -, &,
// = <> < <= > >=, Not, And, Or.
//
// As in VBScript, parentheses around the arguments of a member called as a
// statement are only allowed with Call; `x.Member (a)` passes `a` by value.
#ifndef ORVEX_TOOLS_ORVEX_PARSER_H_
#define ORVEX_TOOLS_ORVEX_PARSER_H_

#include <span>
#include <string_view>

#include "syntax.h"

namespace orvex::console {

// Parses a whole script whose first line is numbered `first_line`. Throws
// SyntaxError at the first statement that cannot be read (marked incomplete
// when the text ends inside an If or For block).
Program Parse(std::string_view source, int first_line = 1);

// The words of the language that cannot name a variable (Set, If, Nothing,
// ...), spelled as the language writes them.
std::span<const std::string_view> ReservedWords();

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_PARSER_H_
