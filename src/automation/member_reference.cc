#include "automation/member_reference.h"

#include <map>
#include <type_traits>

#include "automation/member_notes.h"
#include "platform/text.h"
#include "qzorvex/connect_orvex.h"
#include "qzorvex/property_class1.h"

namespace orvex::automation {
namespace {

using qzorvex::ConnectOrvexDispid;

std::string_view TypeName(ValueType type) {
  switch (type) {
    case ValueType::kString:
      return "String";
    case ValueType::kI2:
      return "Integer";
    case ValueType::kI4:
      return "Long";
    case ValueType::kBool:
      return "Boolean";
    case ValueType::kVariant:
      return "Variant";
    case ValueType::kNone:
      break;
  }
  return "";
}

template <typename T>
constexpr ValueType TypeOf() {
  if constexpr (std::is_same_v<T, std::string>) return ValueType::kString;
  if constexpr (std::is_same_v<T, int16_t>) return ValueType::kI2;
  if constexpr (std::is_same_v<T, bool>) return ValueType::kBool;
  return ValueType::kVariant;
}

// Which parameters a typed member writes: its non-const references. The
// interface marks some parameters by reference that the object only reads
// (ConnectOpen's), so being by reference alone does not make an output.
template <typename Signature>
struct Outputs;

template <typename C, typename R, typename... P>
struct Outputs<R (C::*)(P...)> {
  static std::vector<bool> Get() {
    return {(std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>)...};
  }
};

// The outputs of every method of ConnectOrvex, by dispatch id.
const std::map<int32_t, std::vector<bool>>& ConnectOrvexOutputs() {
  static const std::map<int32_t, std::vector<bool>> outputs = [] {
    std::map<int32_t, std::vector<bool>> m;
#define PROPERTY(Name, Type)
#define METHOD(Name, Result, Params, Args) \
  m[ConnectOrvexDispid::Name] = Outputs<decltype(&qzorvex::ConnectOrvex::Name)>::Get();
#define PAIR(Name, ExName, Result, Params, Args) \
  METHOD(Name, Result, Params, Args)             \
  METHOD(ExName, Result, Params, Args)
    QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR)
#undef PROPERTY
#undef METHOD
#undef PAIR
    return m;
  }();
  return outputs;
}

struct RecordProperty {
  std::string_view name;
  ValueType type;
};

const std::vector<RecordProperty>& PropertyClass1Properties() {
  static const std::vector<RecordProperty> properties = {
#define PROPERTY(Name, Type) {#Name, TypeOf<Type>()},
      QZORVEX_PROPERTY_CLASS1_MEMBERS(PROPERTY)
#undef PROPERTY
  };
  return properties;
}

// A failure value as a script writes it.
std::string Literal(const Variant& value) {
  if (value.type() == VariantType::kString) return "\"" + value.ToString() + "\"";
  if (value.type() == VariantType::kBool) return value.ToBool() ? "True" : "False";
  return value.ToString();
}

std::string Declaration(const ConnectOrvexMember& m) {
  std::string text = "ConnectOrvex." + m.name;
  if (m.is_property) return text + " As " + std::string(TypeName(m.type));
  text += '(';
  for (size_t i = 0; i < m.params.size(); ++i) {
    if (i > 0) text += ", ";
    if (m.params[i].by_ref) text += "ByRef ";
    text += m.params[i].name + " As " + std::string(TypeName(m.params[i].type));
  }
  text += ')';
  if (m.type != ValueType::kNone) text += " As " + std::string(TypeName(m.type));
  return text;
}

// "Workspace, Description": the parameters of `m` that it writes.
std::string OutputNames(const ConnectOrvexMember& m, int32_t dispid) {
  std::string names;
  const std::vector<bool>& outputs = ConnectOrvexOutputs().at(dispid);
  for (size_t i = 0; i < m.params.size() && i < outputs.size(); ++i) {
    if (!outputs[i]) continue;
    if (!names.empty()) names += ", ";
    names += m.params[i].name;
  }
  return names;
}

std::string PlainTestText(const MemberRule& r) {
  std::string fail = Literal(r.fail_plain);
  switch (r.plain_test) {
    case PlainTest::kHostName:
      return "when the default connection has no host name, returns " + fail +
             " and sets its error code to 1";
    case PlainTest::kHostNameLastError:
      return "when the default connection has no host name, returns " + fail +
             " and sets the object's last error to 1";
    case PlainTest::kOpenState:
      return "when the default connection is not open, returns " + fail +
             " and sets its error code to 1";
  }
  return "";
}

std::string ExTestText(const MemberRule& r) {
  std::string fail = Literal(r.fail_ex);
  switch (r.ex_test) {
    case ExTest::kHostName:
      return "when entry 0 has no host name, returns " + fail + " and sets its error code to 1";
    case ExTest::kHandleOnly:
      return "makes no connected test";
    case ExTest::kOpenState:
      return "when entry 0 is not open, returns " + fail + " and sets its error code to 1";
    case ExTest::kWorkspaceArgument:
      return "when the Workspace argument is empty, returns " + fail +
             " and sets the error code to 1002";
  }
  return "";
}

// Which forms open the current workspace before the operation.
std::string WorkspaceText(const MemberRule& r) {
  std::string forms;
  if (r.workspace_plain && r.workspace_ex)
    forms = "Both forms open";
  else if (r.workspace_plain)
    forms = std::string(r.name) + " opens";
  else if (r.workspace_ex)
    forms = std::string(r.ex_name) + " opens";
  else
    return "";
  return forms +
         " the current workspace first; when that fails, the operation does not run and the"
         " error code is 3.";
}

// The note's lines: the summary first, the codes and the call order last.
std::string SummaryText(const MemberNote* note) {
  if (note == nullptr) return "";
  return "  " + std::string(note->summary) + "\n";
}

std::string CodesAndOrderText(const MemberNote* note) {
  if (note == nullptr) return "";
  std::string text;
  if (!note->codes.empty() || note->server) {
    text += "  Error codes it can leave:\n";
    for (const CodeNote& c : note->codes)
      text += "    " + std::to_string(c.code) + ": " + std::string(c.meaning) + "\n";
    if (note->server)
      text += "    1000, 1004 to 1007: the server's refusal or no answer (see the error codes)\n";
  }
  if (!note->order.empty()) text += "  Order: " + std::string(note->order) + "\n";
  return text;
}

int32_t DispidOf(const ConnectOrvexMember& member) {
  const auto& members = ConnectOrvexMembers();
  return static_cast<int32_t>(&member - members.data()) + 1;
}

}  // namespace

std::vector<std::string_view> MemberNames() {
  std::vector<std::string_view> names;
  for (const ConnectOrvexMember& m : ConnectOrvexMembers()) names.push_back(m.name);
  for (const RecordProperty& p : PropertyClass1Properties()) names.push_back(p.name);
  return names;
}

std::string ConnectOrvexEntry(const ConnectOrvexMember& member) {
  const auto& members = ConnectOrvexMembers();
  const int32_t dispid = DispidOf(member);
  // A pair is described from its plain form, which comes right before the Ex form.
  const ConnectOrvexMember& m = member.ex ? members[static_cast<size_t>(dispid - 2)] : member;
  const int32_t plain_id = member.ex ? dispid - 1 : dispid;
  const MemberNote* note = FindMemberNote(m.name);
  std::string text = Declaration(m) + "\n";
  if (m.rule) text += Declaration(members[static_cast<size_t>(plain_id)]) + "\n";
  if (m.is_property) return text + "  A read/write property of the object.\n" + SummaryText(note);
  text += SummaryText(note);
  if (std::string outputs = OutputNames(m, plain_id); !outputs.empty())
    text += "  Writes " + outputs + " into the variables passed.\n";
  if (!m.available()) text += "  Not available in this build (error 438).\n";
  if (!m.rule) return text + CodesAndOrderText(note);
  const MemberRule& r = *m.rule;
  text += "  " + std::string(r.name) + " works on the default connection, " +
          std::string(r.ex_name) +
          " on entry Handle of the connection table; a handle other than 0 raises error 9.\n";
  text += "  " + std::string(r.name) + ": " + PlainTestText(r) + ".\n";
  text += "  " + std::string(r.ex_name) + ": " + ExTestText(r) + ".\n";
  if (std::string workspace = WorkspaceText(r); !workspace.empty()) text += "  " + workspace + "\n";
  return text + CodesAndOrderText(note);
}

std::string MemberEntry(std::string_view name) {
  std::string text;
  for (const ConnectOrvexMember& m : ConnectOrvexMembers())
    if (platform::CompareNoCase(m.name, name) == 0) text += ConnectOrvexEntry(m);
  for (const RecordProperty& p : PropertyClass1Properties()) {
    if (platform::CompareNoCase(p.name, name) != 0) continue;
    if (!text.empty()) text += '\n';
    text += "PropertyClass1." + std::string(p.name) + " As " + std::string(TypeName(p.type)) +
            "\n  A read/write property of the record.";
    // A Variant property also binds an object by reference.
    if (p.type == ValueType::kVariant) text += " Set binds an object (or Nothing) to it.";
    text += '\n';
  }
  return text;
}

}  // namespace orvex::automation
