// The typed C++ interface (include/qzorvex): its members must be the member
// table's, in the same order and with the same parameters, and a typed call
// must do exactly what the same call by name does.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "automation/connect_orvex.h"
#include "automation/connect_orvex_members.h"
#include "automation/property_class1_object.h"
#include "automation/typed_call.h"
#include "fakes/fake_backend.h"
#include "platform/host_map.h"
#include "qzorvex/qzorvex.h"
#include "support/error_of.h"

namespace orvex::automation {
namespace {

using orvex::testing::ErrorOf;

// What a typed member's parameter says about the interface's parameter.
template <typename P>
ParamInfo Described(const char* name) {
  using T = std::remove_cvref_t<P>;
  ValueType type = ValueType::kVariant;
  if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>)
    type = ValueType::kString;
  else if constexpr (std::is_same_v<T, int16_t>)
    type = ValueType::kI2;
  else if constexpr (std::is_same_v<T, int32_t>)
    type = ValueType::kI4;
  else if constexpr (std::is_same_v<T, bool>)
    type = ValueType::kBool;
  return ParamInfo{name, type, std::is_reference_v<P>};
}

template <typename T>
ValueType ResultType() {
  if constexpr (std::is_void_v<T>) return ValueType::kNone;
  return Described<T>("").type;
}

template <typename Sig>
struct Signature;
template <typename C, typename R, typename... P>
struct Signature<R (C::*)(P...)> {
  using Locals = std::tuple<std::remove_cvref_t<P>...>;
  static std::vector<ParamInfo> Describe(std::vector<std::string> names) {
    size_t i = 0;
    return {Described<P>(names[i++].c_str())...};
  }
};

// "(Index, Profile)" -> {"Index", "Profile"}.
std::vector<std::string> Names(std::string text) {
  std::vector<std::string> names;
  std::string current;
  for (char c : text) {
    if (c == '(' || c == ' ') continue;
    if (c == ',' || c == ')') {
      if (!current.empty()) names.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  return names;
}

struct TypedMember {
  std::string name;
  int32_t dispid;
  bool is_property;
  ValueType type;
  std::vector<ParamInfo> params;
};

std::vector<TypedMember> TypedMembers() {
  using qzorvex::ConnectOrvexDispid;
  using Typed = qzorvex::ConnectOrvex;
  std::vector<TypedMember> out;
#define PROPERTY(Name, Type) \
  out.push_back({#Name, ConnectOrvexDispid::Name, true, Described<Type>("").type, {}});
#define METHOD(Name, Result, Params, Args)                                     \
  out.push_back({#Name, ConnectOrvexDispid::Name, false, ResultType<Result>(), \
                 Signature<decltype(&Typed::Name)>::Describe(Names(#Args))});
#define PAIR(Name, ExName, Result, Params, Args)                                   \
  METHOD(Name, Result, Params, Args)                                               \
  out.push_back({#ExName, ConnectOrvexDispid::ExName, false, ResultType<Result>(), \
                 Signature<decltype(&Typed::ExName)>::Describe(Names("(Handle, " #Args))});
  QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR)
#undef PROPERTY
#undef METHOD
#undef PAIR
  return out;
}

TEST(TypedApiTest, TypedMembersAreTheMemberTableInOrder) {
  const auto& table = ConnectOrvexMembers();
  std::vector<TypedMember> typed = TypedMembers();
  ASSERT_EQ(typed.size(), table.size());
  EXPECT_EQ(qzorvex::kConnectOrvexMemberCount, 96);
  for (const TypedMember& t : typed) {
    SCOPED_TRACE(t.name);
    ASSERT_GE(t.dispid, 1);
    const ConnectOrvexMember& row = table[static_cast<size_t>(t.dispid - 1)];
    EXPECT_EQ(row.name, t.name);
    EXPECT_EQ(row.is_property, t.is_property);
    EXPECT_EQ(row.type, t.type);
    ASSERT_EQ(row.params.size(), t.params.size());
    for (size_t i = 0; i < t.params.size(); ++i) {
      EXPECT_EQ(row.params[i].name, t.params[i].name);
      EXPECT_EQ(row.params[i].type, t.params[i].type) << t.params[i].name;
      EXPECT_EQ(row.params[i].by_ref, t.params[i].by_ref) << t.params[i].name;
    }
  }
  // PropertyClass1's typed properties are its dispatch ids in order.
  PropertyClass1Object record;
  int32_t position = 0;
#define RECORD(Name, Type) EXPECT_EQ(record.GetIdOfName(#Name), ++position) << #Name;
  QZORVEX_PROPERTY_CLASS1_MEMBERS(RECORD)
#undef RECORD
  EXPECT_EQ(position, 12);
}

class TypedCallTest : public ::testing::Test {
 protected:
  std::shared_ptr<ConnectOrvex> NewObject() {
    auto object = std::make_shared<ConnectOrvex>(backend_);
    object->Properties().ShowDialog = false;
    return object;
  }

  std::shared_ptr<testing::FakeBackend> backend_ = std::make_shared<testing::FakeBackend>();
};

// The outcome of a call: its result, its outputs, or the error it raised.
struct Outcome {
  std::optional<int32_t> error;
  std::vector<Variant> values;
  bool operator==(const Outcome&) const = default;
};

template <auto M, typename Locals>
Outcome CallTyped(qzorvex::ConnectOrvex& typed, Locals locals) {
  Outcome o;
  try {
    std::apply(
        [&](auto&... a) {
          if constexpr (std::is_void_v<decltype((typed.*M)(a...))>) {
            (typed.*M)(a...);
            o.values.emplace_back();
          } else {
            o.values.push_back(Variant((typed.*M)(a...)));
          }
        },
        locals);
  } catch (const AutomationError& e) {
    o.error = e.number();
    return o;
  }
  std::apply([&](auto&... a) { (o.values.push_back(typed::Pack(a)), ...); }, locals);
  return o;
}

template <typename Locals>
Outcome CallByName(ConnectOrvex& object, const std::string& name, Locals locals) {
  Outcome o;
  std::vector<Variant> args;
  std::apply([&](auto&... a) { (args.push_back(typed::Pack(a)), ...); }, locals);
  try {
    std::optional<int32_t> id = object.GetIdOfName(name);
    if (!id) throw AutomationError(kErrMemberNotFound);
    o.values.push_back(object.Invoke(*id, InvokeKind::kMethod, args));
  } catch (const AutomationError& e) {
    o.error = e.number();
    return o;
  }
  for (const Variant& a : args) o.values.push_back(a);
  return o;
}

TEST_F(TypedCallTest, EveryTypedMethodDoesWhatTheCallByNameDoes) {
  // Each method on fresh objects, with empty arguments and handle 0, then
  // the Ex forms with handle 1: the same result, outputs or error either
  // way, including 438 for a method whose operation has not landed.
  int compared = 0;
  auto compare = [&](auto member, const char* name, auto locals) {
    auto a = NewObject();
    auto b = NewObject();
    qzorvex::ConnectOrvex typed(a);
    Outcome by_type = CallTyped<decltype(member)::value>(typed, locals);
    Outcome by_name = CallByName(*b, name, locals);
    EXPECT_EQ(by_type.error, by_name.error) << name;
    EXPECT_EQ(by_type.values, by_name.values) << name;
    EXPECT_EQ(by_type.error.has_value(),
              !FindConnectOrvexMember(name).has_value() || by_name.error.has_value())
        << name;
    ++compared;
  };
  using Typed = qzorvex::ConnectOrvex;
#define PROPERTY(Name, Type)
#define METHOD(Name, Result, Params, Args)                                       \
  compare(std::integral_constant<decltype(&Typed::Name), &Typed::Name>{}, #Name, \
          Signature<decltype(&Typed::Name)>::Locals{});
#define PAIR(Name, ExName, Result, Params, Args)                                         \
  METHOD(Name, Result, Params, Args)                                                     \
  METHOD(ExName, Result, Params, Args) {                                                 \
    Signature<decltype(&Typed::ExName)>::Locals bad_handle{};                            \
    std::get<0>(bad_handle) = 1;                                                         \
    compare(std::integral_constant<decltype(&Typed::ExName), &Typed::ExName>{}, #ExName, \
            bad_handle);                                                                 \
  }
  QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR)
#undef PROPERTY
#undef METHOD
#undef PAIR
  EXPECT_EQ(compared, 83 + 38);
}

TEST_F(TypedCallTest, OutputsPropertiesAndRecordsReachTheHost) {
  backend_->AddItem("http://docs/Public/Workspaces", {}, false);
  backend_->listings["http://docs/Public/Workspaces"].push_back(server::Fields(
      {{"RESOURCE_PARSENAME", Variant("Sales")},
       {"urn:schemas-microsoft-com:office:office#Description", Variant("Sales team")},
       {"RESOURCE_ABSOLUTEPARSENAME", Variant("http://docs/Sales")},
       {"urn:schemas-microsoft-com:exch-data:defaultContentClass", Variant("x")}}));
  auto object = std::make_shared<ConnectOrvex>(backend_);
  qzorvex::ConnectOrvex docs(object);
  EXPECT_TRUE(docs.ShowDialog());
  docs.ShowDialog(false);
  docs.OverWrite(3);
  docs.Author("Jones");
  EXPECT_FALSE(object->Properties().ShowDialog);
  EXPECT_EQ(object->Properties().OverWrite, 3);
  EXPECT_EQ(docs.Author(), "Jones");

  ASSERT_TRUE(docs.ConnectOpen("docs", "jones", "CORP", "secret"));
  ASSERT_EQ(docs.GetWorkspaceInfo(), 1);
  std::string name = "unchanged", description = "unchanged";
  EXPECT_FALSE(docs.GetWorkspace(1, name, description));
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(docs.GetWorkspace(0, name, description));
  EXPECT_EQ(name, "Sales");
  EXPECT_EQ(description, "Sales team");
  EXPECT_EQ(docs.GetLastError(), 0);
  // A copy is another reference to the same object; the Dispatch view of the
  // typed object reaches the same members by name.
  qzorvex::ConnectOrvex copy = docs;
  EXPECT_EQ(copy.object(), docs.object());
  std::vector<Variant> none;
  EXPECT_EQ(copy.Invoke(*copy.GetIdOfName("author"), InvokeKind::kPropertyGet, none),
            Variant("Jones"));
  EXPECT_EQ(
      ErrorOf<qzorvex::AutomationError>([&] { docs.GetWorkspaceEx(1, 0, name, description); }), 9);
  docs.ConnectClose();
  EXPECT_EQ(docs.GetWorkspaceInfo(), -1);

  // The records' typed class, and typed access refusing the other class.
  qzorvex::PropertyClass1 record;
  record.PropertyName("Status");
  record.DictionaryCount(2);
  record.DictionaryValues(Variant(VariantArray{Variant("Draft"), Variant("Final")}));
  record.IsRequired(true);
  auto* inner = dynamic_cast<PropertyClass1Object*>(record.object().get());
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->record().PropertyName, "Status");
  EXPECT_EQ(record.DictionaryValues().array().size(), 2u);
  EXPECT_TRUE(record.IsRequired());
  EXPECT_EQ(qzorvex::PropertyClass1(record.object()).DictionaryCount(), 2);
  record.SetDictionaryValues(docs.object());
  EXPECT_EQ(record.DictionaryValues().object(), docs.object());
  EXPECT_THROW(qzorvex::ConnectOrvex{record.object()}, qzorvex::AutomationError);
  EXPECT_THROW(qzorvex::PropertyClass1{docs.object()}, qzorvex::AutomationError);
  EXPECT_NO_THROW(qzorvex::ConnectOrvex{std::make_shared<qzorvex::ConnectOrvex>(docs)});
}

TEST(PublicFunctionsTest, CreateObjectHostMapAndToolkitChoice) {
  EXPECT_NE(qzorvex::CreateObject("linkora.connectorvex"), nullptr);
  EXPECT_EQ(ErrorOf<qzorvex::AutomationError>([] { qzorvex::CreateObject("No.Such"); }), 429);
  qzorvex::MapHost("Docs", "127.0.0.1:8080");
  ASSERT_TRUE(platform::LookupHost("docs"));
  EXPECT_EQ(platform::LookupHost("docs")->port, 8080);
  EXPECT_THROW(qzorvex::MapHost("docs", "127.0.0.1"), std::invalid_argument);
  qzorvex::UnmapHost("DOCS");
  EXPECT_FALSE(platform::LookupHost("docs"));

  qzorvex::UseToolkit("headless");
  EXPECT_EQ(qzorvex::CurrentToolkitName(), "headless");
  EXPECT_THROW(qzorvex::UseToolkit("motif"), std::invalid_argument);
  qzorvex::ScriptedUser user;
  user.Plan("FolderDlgA", "press OKButton");
  user.Answer("yes");
  EXPECT_THROW(user.Answer("maybe"), std::invalid_argument);
  EXPECT_EQ(user.pending_plans(), 1);
  EXPECT_EQ(user.pending_answers(), 1);
  user.Install();
  qzorvex::UninstallUser();
  EXPECT_STREQ(qzorvex::Version(), QZORVEX_VERSION_STRING);
}

}  // namespace
}  // namespace orvex::automation
