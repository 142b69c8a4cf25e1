#include "interpreter.h"

#include <cstdint>
#include <limits>

#include "interrupt.h"
#include "platform/failure_source.h"
#include "platform/text.h"
#include "values.h"

namespace orvex::console {
namespace {

Variant SmallestInteger(int64_t v) {
  if (v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max())
    return Variant(static_cast<int16_t>(v));
  if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
    return Variant(static_cast<int32_t>(v));
  throw AutomationError(kErrOverflow);
}

// How an expression is named in an error message: `cx` or `cx.Member`.
std::string Spelling(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::kVariable:
    case Expr::Kind::kFunction:
      return e.name;
    case Expr::Kind::kMember:
      return Spelling(*e.operands[0]) + "." + e.name;
    case Expr::Kind::kParen:
      return Spelling(*e.operands[0]);
    default:
      return "expression";
  }
}

}  // namespace

bool Interpreter::NoCaseLess::operator()(std::string_view a, std::string_view b) const {
  return platform::CompareNoCase(a, b) < 0;
}

Interpreter::Interpreter(Reporter& reporter, ObjectFactory factory)
    : reporter_(reporter), err_(std::make_shared<ErrObject>()) {
  AddBuiltin("Err", err_);
  AddFunction("CreateObject", [factory = std::move(factory)](std::span<Variant> args) {
    if (args.size() != 1) throw AutomationError(kErrWrongArgumentCount);
    // The error names the class that could not be created.
    const std::string name = args[0].ToString();
    const auto cannot_create = [&name] {
      return AutomationError(kErrCannotCreateObject,
                             RuntimeErrorDescription(kErrCannotCreateObject) + ": '" + name + "'");
    };
    std::shared_ptr<Dispatch> object;
    try {
      object = factory(name);
    } catch (const AutomationError& e) {
      if (e.number() != kErrCannotCreateObject) throw;
      throw cannot_create();
    }
    if (!object) throw cannot_create();
    return Variant(std::move(object));
  });
}

Interpreter::~Interpreter() = default;

void Interpreter::AddBuiltin(std::string name, std::shared_ptr<Dispatch> object) {
  builtins_.insert_or_assign(std::move(name), Variant(std::move(object)));
}

void Interpreter::AddFunction(std::string name, BuiltinFunction function) {
  functions_.insert_or_assign(std::move(name), std::move(function));
}

bool Interpreter::Run(const Program& program) {
  try {
    RunBlock(program);
    return true;
  } catch (const Stopped&) {
    return false;
  } catch (const Interrupted&) {
    reporter_.Interrupted(line_);
    ClearInterrupt();
    return false;
  }
}

void Interpreter::StopIfInterrupted() const {
  if (InterruptRequested()) throw Interrupted{};
}

void Interpreter::RunBlock(const std::vector<Statement>& block) {
  for (const Statement& s : block) {
    StopIfInterrupted();
    line_ = s.line;
    try {
      try {
        Execute(s);
      } catch (const AutomationError&) {
        throw;
      } catch (const std::exception& e) {
        // A fault below the automation interface still only fails this
        // statement; the script reports it like any other error.
        throw AutomationError(kErrInternal, std::string("Internal error: ") + e.what());
      }
    } catch (const AutomationError& e) {
      // A call that failed because it was interrupted ends the run, not
      // only the statement, whatever On Error says.
      StopIfInterrupted();
      err_->Set(e);
      if (resume_next_) continue;
      reporter_.RuntimeError(line_, e.number(), e.what());
      throw Stopped{};
    }
  }
}

Variant Interpreter::Value(std::string_view name) const {
  auto it = variables_.find(name);
  return it == variables_.end() ? Variant() : it->second;
}

std::vector<std::string> Interpreter::Names() const {
  std::vector<std::string> names;
  for (const auto* table : {&builtins_, &variables_})
    for (const auto& entry : *table) names.push_back(entry.first);
  for (const auto& entry : functions_) names.push_back(entry.first);
  return names;
}

std::shared_ptr<Dispatch> Interpreter::ObjectNamed(std::string_view name) const {
  for (const auto* table : {&builtins_, &variables_}) {
    auto it = table->find(name);
    if (it == table->end()) continue;
    return it->second.IsObject() ? it->second.object() : nullptr;
  }
  return nullptr;
}

void Interpreter::Execute(const Statement& s) {
  switch (s.kind) {
    case Statement::Kind::kAssign: {
      Variant value = Evaluate(*s.value);
      if (value.IsObject()) {
        throw AutomationError(kErrMemberNotFound, RuntimeErrorDescription(kErrMemberNotFound) +
                                                      ": use Set to assign an object to '" +
                                                      s.name + "'");
      }
      Assign(s.name, std::move(value));
      break;
    }
    case Statement::Kind::kSet: {
      Variant value = Evaluate(*s.value);
      if (!value.IsObject()) {
        throw AutomationError(kErrObjectRequired,
                              "Object required: Set needs an object or Nothing");
      }
      Assign(s.name, std::move(value));
      break;
    }
    case Statement::Kind::kPropertyLet: {
      Variant value = Evaluate(*s.value);
      CallMember(*s.target, InvokeKind::kPropertyLet, &value);
      break;
    }
    case Statement::Kind::kPropertySet: {
      Variant value = Evaluate(*s.value);
      if (!value.IsObject()) {
        throw AutomationError(kErrObjectRequired,
                              "Object required: Set needs an object or Nothing");
      }
      CallMember(*s.target, InvokeKind::kPropertyPutRef, &value);
      break;
    }
    case Statement::Kind::kCall: {
      Variant result = CallMember(*s.target, InvokeKind::kMethod, nullptr);
      if (echo_results_ && !result.IsEmpty()) {
        reporter_.Echo(result.IsArray() || result.IsObject() ? ToJson(result).dump()
                                                             : PrintText(result));
      }
      break;
    }
    case Statement::Kind::kPrint: {
      std::string text;
      for (size_t i = 0; i < s.values.size(); ++i) {
        if (i > 0) text += ' ';
        text += PrintText(Evaluate(*s.values[i]));
      }
      reporter_.Print(s.line, text);
      break;
    }
    case Statement::Kind::kOnErrorResumeNext:
      resume_next_ = true;
      err_->Clear();
      break;
    case Statement::Kind::kOnErrorGoTo0:
      resume_next_ = false;
      err_->Clear();
      break;
    case Statement::Kind::kIf:
      for (const Branch& branch : s.branches) {
        line_ = branch.line;
        Variant condition = Evaluate(*branch.condition);
        if (!condition.IsNull() && condition.ToBool()) {
          RunBlock(branch.body);
          return;
        }
      }
      RunBlock(s.body);
      break;
    case Statement::Kind::kFor:
      RunFor(s);
      break;
    case Statement::Kind::kDim:
      for (const std::string& name : s.names) {
        if (Builtin(name))
          throw AutomationError(kErrIllegalAssignment, "Name redefined: '" + name + "'");
        variables_.try_emplace(name);
      }
      break;
  }
}

void Interpreter::RunFor(const Statement& s) {
  int64_t start = Evaluate(*s.value).ToInt32();
  int64_t limit = Evaluate(*s.limit).ToInt32();
  int64_t step = s.step ? Evaluate(*s.step).ToInt32() : 1;
  // A zero step would never end.
  if (step == 0) throw AutomationError(kErrInvalidCall, "Invalid procedure call: Step 0");
  Assign(s.name, SmallestInteger(start));
  for (;;) {
    StopIfInterrupted();
    int64_t current = Value(s.name).ToInt32();
    if (step > 0 ? current > limit : current < limit) break;
    RunBlock(s.body);
    line_ = s.line;
    Assign(s.name, SmallestInteger(Value(s.name).ToInt32() + step));
  }
}

void Interpreter::Assign(const std::string& name, Variant value) {
  if (Builtin(name))
    throw AutomationError(kErrIllegalAssignment, "Illegal assignment: '" + name + "'");
  variables_.insert_or_assign(name, std::move(value));
}

Variant* Interpreter::Builtin(std::string_view name) {
  auto it = builtins_.find(name);
  return it == builtins_.end() ? nullptr : &it->second;
}

bool Interpreter::IsBuiltinObject(const Dispatch* object) const {
  for (const auto& [name, value] : builtins_)
    if (value.object().get() == object) return true;
  return false;
}

Variant Interpreter::Evaluate(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::kLiteral:
      return e.value;
    case Expr::Kind::kVariable:
      if (Variant* builtin = Builtin(e.name)) return *builtin;
      return Value(e.name);
    case Expr::Kind::kParen:
      return Evaluate(*e.operands[0]);
    case Expr::Kind::kNegate: {
      Variant v = Evaluate(*e.operands[0]);
      if (v.IsNull()) return v;
      return SmallestInteger(-static_cast<int64_t>(v.ToInt32()));
    }
    case Expr::Kind::kNot: {
      Variant v = Evaluate(*e.operands[0]);
      if (v.IsNull()) return v;
      if (v.type() == VariantType::kBool) return Variant(!v.ToBool());
      return SmallestInteger(~static_cast<int64_t>(v.ToInt32()));
    }
    case Expr::Kind::kBinary: {
      Variant left = Evaluate(*e.operands[0]);
      Variant right = Evaluate(*e.operands[1]);
      return Binary(e.op, left, right);
    }
    case Expr::Kind::kMember:
      return CallMember(e, InvokeKind::kPropertyGet, nullptr);
    case Expr::Kind::kFunction:
      return CallFunction(e);
  }
  return {};
}

Variant Interpreter::Binary(BinaryOp op, const Variant& left, const Variant& right) {
  if (op == BinaryOp::kConcat) {
    if (left.IsNull() && right.IsNull()) return left;
    std::string text = left.IsNull() ? std::string() : PrintText(left);
    if (!right.IsNull()) text += PrintText(right);
    return Variant(std::move(text));
  }
  // Anything else with Null gives Null, as in VBScript.
  if (left.IsNull()) return left;
  if (right.IsNull()) return right;
  switch (op) {
    case BinaryOp::kAdd:
      if (left.type() == VariantType::kString && right.type() == VariantType::kString)
        return Variant(left.ToString() + right.ToString());
      return SmallestInteger(int64_t{left.ToInt32()} + right.ToInt32());
    case BinaryOp::kSubtract:
      return SmallestInteger(int64_t{left.ToInt32()} - right.ToInt32());
    case BinaryOp::kAnd:
    case BinaryOp::kOr: {
      bool and_op = op == BinaryOp::kAnd;
      if (left.type() == VariantType::kBool && right.type() == VariantType::kBool)
        return Variant(and_op ? left.ToBool() && right.ToBool() : left.ToBool() || right.ToBool());
      int32_t a = left.ToInt32();
      int32_t b = right.ToInt32();
      return SmallestInteger(and_op ? (a & b) : (a | b));
    }
    default:
      break;
  }
  // Comparisons: as numbers unless both sides are text.
  int order;
  if (left.type() == VariantType::kString && right.type() == VariantType::kString) {
    order = left.ToString().compare(right.ToString());
  } else if (left.type() == VariantType::kString || right.type() == VariantType::kString) {
    // Text against a number compares as numbers when the text is one, else
    // as text, so `n = "3"` and `name = 3` both do what they say.
    try {
      order = left.ToInt32() < right.ToInt32() ? -1 : left.ToInt32() > right.ToInt32() ? 1 : 0;
    } catch (const AutomationError&) {
      order = PrintText(left).compare(PrintText(right));
    }
  } else {
    int32_t a = left.ToInt32();
    int32_t b = right.ToInt32();
    order = a < b ? -1 : a > b ? 1 : 0;
  }
  switch (op) {
    case BinaryOp::kEqual:
      return Variant(order == 0);
    case BinaryOp::kNotEqual:
      return Variant(order != 0);
    case BinaryOp::kLess:
      return Variant(order < 0);
    case BinaryOp::kLessEqual:
      return Variant(order <= 0);
    case BinaryOp::kGreater:
      return Variant(order > 0);
    default:
      return Variant(order >= 0);
  }
}

Variant Interpreter::CallFunction(const Expr& call) {
  auto it = functions_.find(call.name);
  if (it == functions_.end()) {
    // As in VBScript, calling something that is not a function is a type
    // mismatch; the name tells the reader which one.
    throw AutomationError(kErrTypeMismatch,
                          RuntimeErrorDescription(kErrTypeMismatch) + ": '" + call.name + "'");
  }
  std::vector<Variant> args;
  args.reserve(call.args.size());
  for (const ExprPtr& arg : call.args) args.push_back(Evaluate(*arg));
  return it->second(args);
}

Variant Interpreter::CallMember(const Expr& member, InvokeKind kind, const Variant* new_value) {
  const Expr& object_expr = *member.operands[0];
  Variant object = Evaluate(object_expr);
  if (!object.IsObject() || !object.object()) {
    throw AutomationError(kErrObjectRequired, "Object required: '" + Spelling(object_expr) + "'");
  }
  Dispatch& target = *object.object();

  // Bare variables go by reference: remember which element comes back to
  // which variable.
  std::vector<Variant> args;
  std::vector<const std::string*> by_reference;
  args.reserve(member.args.size() + 1);
  for (const ExprPtr& arg : member.args) {
    if (arg->kind == Expr::Kind::kVariable && !Builtin(arg->name)) {
      args.push_back(Value(arg->name));
      by_reference.push_back(&arg->name);
    } else {
      args.push_back(Evaluate(*arg));
      by_reference.push_back(nullptr);
    }
  }
  if (new_value) args.push_back(*new_value);

  bool reported = !IsBuiltinObject(&target);
  // An object that keeps its failures has the one this call leaves shown
  // beside the call.
  const auto* failures = reported ? dynamic_cast<const FailureSource*>(&target) : nullptr;
  const std::optional<qzorvex::Failure> failure_before =
      failures ? failures->FailureOf(member.name) : std::nullopt;
  Variant result;
  try {
    std::optional<int32_t> id = target.GetIdOfName(member.name);
    if (!id) {
      throw AutomationError(kErrMemberNotFound, RuntimeErrorDescription(kErrMemberNotFound) +
                                                    ": '" + member.name + "'");
    }
    result = target.Invoke(*id, kind, args);
  } catch (const AutomationError& e) {
    if (reported) reporter_.MemberCall(line_, member.name, args, {}, &e);
    throw;
  } catch (const std::exception& e) {
    AutomationError error(kErrInternal, std::string("Internal error: ") + e.what());
    if (reported) reporter_.MemberCall(line_, member.name, args, {}, &error);
    throw error;
  }
  // Nothing an interrupted call gives back is used: not its result, not its
  // outputs.
  StopIfInterrupted();
  for (size_t i = 0; i < by_reference.size(); ++i) {
    if (by_reference[i]) variables_.insert_or_assign(*by_reference[i], args[i]);
  }
  std::optional<qzorvex::Failure> failure =
      failures ? failures->FailureOf(member.name) : std::nullopt;
  if (failure && failure_before && failure->sequence == failure_before->sequence) failure.reset();
  if (reported)
    reporter_.MemberCall(line_, member.name, args, result, nullptr, failure ? &*failure : nullptr);
  return result;
}

}  // namespace orvex::console
