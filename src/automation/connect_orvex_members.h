// The member table of _ConnectOrvex: every property and method in interface
// order, and for each forwarded method the rules its two forms follow.
//
// A forwarded method exists as a plain form (default connection) and an Ex
// form (connection handle first). Each form makes a connected test, then,
// for operations inside a workspace, the engine's workspace check, and
// answers its own failure value when either fails; otherwise it returns the
// engine operation's result unchanged.
#ifndef ORVEX_AUTOMATION_CONNECT_ORVEX_MEMBERS_H_
#define ORVEX_AUTOMATION_CONNECT_ORVEX_MEMBERS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/engine_binding.h"
#include "automation/member_table.h"
#include "engine/owner.h"

namespace orvex::automation {

class ConnectOrvex;

// The connected test of the plain form.
enum class PlainTest {
  kHostName,           // the engine's HostName is not empty; else its ErrorCode = 1
  kHostNameLastError,  // as kHostName, but a failure sets the object's LastError = 1
  kOpenState,          // the engine's connection is open; else its ErrorCode = 1
};

// The connected test of the Ex form. Any use of a table entry other than 0
// raises the subscript error (9).
enum class ExTest {
  kHostName,           // entry's HostName not empty and Handle 0; else its ErrorCode = 1
  kHandleOnly,         // Handle 0, no host-name test
  kOpenState,          // entry's connection open; else its ErrorCode = 1
  kWorkspaceArgument,  // the Workspace argument is not empty (1002) and Handle 0
};

struct MemberRule {
  std::string_view name;
  std::string_view ex_name;
  std::string_view params;  // ParseParams notation, without the Handle
  ValueType result;
  PlainTest plain_test;
  ExTest ex_test;
  bool workspace_plain;  // plain form calls ConnectWorkspace first
  bool workspace_ex;     // Ex form calls ConnectWorkspace first
  Variant fail_plain;
  Variant fail_ex;
  EngineOp op;  // null until the engine offers the operation
};

// A member implemented by the object itself rather than forwarded.
using OwnMember = Variant (*)(ConnectOrvex&, std::span<Variant>);

struct ConnectOrvexMember {
  std::string name;
  bool is_property = false;
  ValueType type = ValueType::kNone;  // property type, or method result
  std::vector<ParamInfo> params;      // as declared, Handle included
  // Property accessors.
  Variant (*get)(engine::ConnectProperties&) = nullptr;
  void (*let)(engine::ConnectProperties&, const Variant&) = nullptr;
  // Method implementations: exactly one of own / rule.
  OwnMember own = nullptr;
  const MemberRule* rule = nullptr;
  bool ex = false;

  // Whether a call can be served now.
  bool available() const { return is_property || own != nullptr || (rule && rule->op); }
};

// All members in interface order; the dispatch id of members()[i] is i + 1.
const std::vector<ConnectOrvexMember>& ConnectOrvexMembers();

// The dispatch id of an available member named `name` (case-insensitive).
std::optional<int32_t> FindConnectOrvexMember(std::string_view name);

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_CONNECT_ORVEX_MEMBERS_H_
