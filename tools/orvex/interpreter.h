// Runs parsed console statements against automation objects.
//
// Variables are created on first use (Dim is optional) and hold any
// automation value; names compare case-insensitively. Objects come from
// CreateObject(name), which asks the object factory the interpreter was
// built with, and are driven by member name through their Dispatch
// interface.
//
// Arguments: a bare variable goes by reference, so a member's outputs land
// in it after the call; any other argument (a literal, a member value, an
// expression in parentheses) goes by value.
//
// Built-in objects (Err, and whatever a host adds with AddBuiltin) are
// reachable by name from every statement and cannot be assigned. Calls on
// them are not reported as member calls; calls on every other object are.
//
// Errors: a statement that fails stops the run and is reported, unless On
// Error Resume Next is in force, in which case Err holds the error and the
// next statement runs. An error in the condition of an If or the bounds of
// a For skips the whole block.
//
// Interrupts (Ctrl-C at the prompt, interrupt.h): once one is requested,
// the run stops before the next statement or loop round, or as the member
// call running returns (its result and any error it raised are dropped);
// On Error does not hold it back. The run is reported as interrupted and
// the interrupt cleared; variables keep the values they had.
#ifndef ORVEX_TOOLS_ORVEX_INTERPRETER_H_
#define ORVEX_TOOLS_ORVEX_INTERPRETER_H_

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "err_object.h"
#include "platform/dispatch.h"
#include "reporter.h"
#include "syntax.h"

namespace orvex::console {

// Run-time errors of the script language itself, numbered as in VBScript.
inline constexpr int32_t kErrInvalidCall = 5;
inline constexpr int32_t kErrInternal = 51;
inline constexpr int32_t kErrIllegalAssignment = 501;

// Makes the object CreateObject(name) returns; throws AutomationError (429
// for a name it does not know).
using ObjectFactory = std::function<std::shared_ptr<Dispatch>(std::string_view name)>;

// A built-in function: receives its evaluated arguments.
using BuiltinFunction = std::function<Variant(std::span<Variant> args)>;

class Interpreter {
 public:
  Interpreter(Reporter& reporter, ObjectFactory factory);
  ~Interpreter();

  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Makes `object` reachable as `name` from every statement.
  void AddBuiltin(std::string name, std::shared_ptr<Dispatch> object);

  // Makes `function` callable as `name(args)`.
  void AddFunction(std::string name, BuiltinFunction function);

  // At the interactive prompt the value of a member called as a statement
  // is shown, when it has one.
  void set_echo_results(bool echo) { echo_results_ = echo; }

  // Runs `program` in order. Returns false when an error or an interrupt
  // stopped it (and has been reported); true when every statement ran.
  // Variables and the On Error state carry over to the next Run.
  bool Run(const Program& program);

  // The value of variable `name` (Empty when it has none).
  Variant Value(std::string_view name) const;

  // Every name a statement can use: variables, built-in objects and
  // functions, spelled as they were first written.
  std::vector<std::string> Names() const;

  // The object a built-in or variable called `name` holds; nullptr when it
  // holds none.
  std::shared_ptr<Dispatch> ObjectNamed(std::string_view name) const;

  const ErrObject& err() const { return *err_; }

 private:
  struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };

  // Runs `block`, handling each failing statement as On Error says; throws
  // Stopped once a failure has been reported.
  struct Stopped {};
  // Thrown when an interrupt is requested; passes every handler up to Run.
  struct Interrupted {};
  void StopIfInterrupted() const;
  void RunBlock(const std::vector<Statement>& block);
  void Execute(const Statement& s);
  void RunFor(const Statement& s);
  Variant Binary(BinaryOp op, const Variant& left, const Variant& right);
  Variant Evaluate(const Expr& e);
  Variant CallMember(const Expr& member, InvokeKind kind, const Variant* new_value);
  Variant CallFunction(const Expr& call);
  Variant* Builtin(std::string_view name);
  bool IsBuiltinObject(const Dispatch* object) const;
  void Assign(const std::string& name, Variant value);

  Reporter& reporter_;
  std::shared_ptr<ErrObject> err_;
  std::map<std::string, Variant, NoCaseLess> builtins_;
  std::map<std::string, BuiltinFunction, NoCaseLess> functions_;
  std::map<std::string, Variant, NoCaseLess> variables_;
  bool resume_next_ = false;
  bool echo_results_ = false;
  int line_ = 0;  // line of the statement running
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_INTERPRETER_H_
