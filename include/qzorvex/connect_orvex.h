// ConnectOrvex: the library's automation object as a typed C++ class.
//
//   qzorvex::ConnectOrvex docs;              // a new Linkora.ConnectOrvex
//   docs.ShowDialog(false);
//   if (docs.ConnectOpen("docs", "jones", "CORP", "secret")) {
//     int16_t n = docs.GetWorkspaceInfo();
//     std::string name, description;
//     for (int16_t i = 0; i < n; ++i) docs.GetWorkspace(i, name, description);
//   }
//
// Every property and method of the automation interface is a member here,
// with the interface's parameter order and types (connect_orvex_members.h).
// A typed member is a thin call through the object's Dispatch interface: it
// packs its arguments into Variants, invokes the member's dispatch id and
// copies the by-reference outputs back, so it follows exactly the rules of a
// call by name. A method the library does not offer yet raises
// AutomationError 438, as a call by name does.
//
// Copies share one object, like references to an automation object.
//
// Thread safety: one object (with all its copies) is used by one thread at
// a time: its connections, row lists and properties are not locked, and a
// listing read by GetXxx(i) belongs to the GetXxxInfo before it. Separate
// objects may work on separate threads at the same time, each with its own
// connections; the host map and the process's HTTP settings they share are
// safe to change meanwhile. Its dialogs are shown on the calling thread,
// with that thread's toolkit (ui.h). The failures LastFailure reads are
// the object's, so they follow the same rule.
#ifndef QZORVEX_CONNECT_ORVEX_H_
#define QZORVEX_CONNECT_ORVEX_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "qzorvex/connect_orvex_members.h"
#include "qzorvex/dispatch.h"
#include "qzorvex/errors.h"
#include "qzorvex/variant.h"

namespace qzorvex {

class ConnectOrvex : public Dispatch {
 public:
  // A new object, as CreateObject("Linkora.ConnectOrvex") makes it.
  ConnectOrvex();
  // Typed access to an existing ConnectOrvex object (from CreateObject, or
  // from another host component); throws AutomationError 13 for any other.
  explicit ConnectOrvex(std::shared_ptr<Dispatch> object);

  // The underlying automation object.
  const std::shared_ptr<Dispatch>& object() const { return object_; }

  // Dispatch: members by name, as a script host reaches them.
  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

  // The members, as connect_orvex_members.h lists them: a property Name is
  // read with Name() and written with Name(value); each forwarded method has
  // its plain form and its Ex form, which takes the connection handle first.
#define QZORVEX_DETAIL_WITH_HANDLE(...) (int16_t Handle __VA_OPT__(, ) __VA_ARGS__)
#define QZORVEX_DETAIL_DECLARE_PROPERTY(Name, Type) \
  Type Name() const;                                \
  void Name(PropertyArgument<Type> value);
#define QZORVEX_DETAIL_DECLARE_METHOD(Name, Result, Params, Args) Result Name Params;
#define QZORVEX_DETAIL_DECLARE_PAIR(Name, ExName, Result, Params, Args) \
  Result Name Params;                                                   \
  Result ExName QZORVEX_DETAIL_WITH_HANDLE Params;

  template <typename T>
  using PropertyArgument = std::conditional_t<std::is_same_v<T, std::string>, std::string_view, T>;

  QZORVEX_CONNECT_ORVEX_MEMBERS(QZORVEX_DETAIL_DECLARE_PROPERTY, QZORVEX_DETAIL_DECLARE_METHOD,
                                QZORVEX_DETAIL_DECLARE_PAIR)

#undef QZORVEX_DETAIL_DECLARE_PROPERTY
#undef QZORVEX_DETAIL_DECLARE_METHOD
#undef QZORVEX_DETAIL_DECLARE_PAIR

  // Outside the automation interface: the failure behind the code the
  // default connection (LastFailure) or entry Handle of the connection table
  // (LastFailureEx; a handle other than 0 raises AutomationError 9) holds
  // now; nullopt while that code is 0 or no call has left one.
  std::optional<Failure> LastFailure() const;
  std::optional<Failure> LastFailureEx(int16_t Handle) const;

 private:
  std::shared_ptr<Dispatch> object_;
};

}  // namespace qzorvex

#endif  // QZORVEX_CONNECT_ORVEX_H_
