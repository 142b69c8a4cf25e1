// The typed classes of the public interface. Each member is generated from
// the member list of its interface and calls the automation object by
// dispatch id, so the typed path and a call by name share one
// implementation: the object's member table.
#include <array>
#include <tuple>

#include "automation/connect_orvex.h"
#include "automation/property_class1_object.h"
#include "automation/typed_call.h"
#include "qzorvex/connect_orvex.h"
#include "qzorvex/create_object.h"
#include "qzorvex/property_class1.h"

namespace qzorvex {
namespace {

namespace typed = orvex::automation::typed;

// The object behind `object` when it is of class T (directly, or wrapped in
// a typed class of this interface); else type mismatch.
template <typename T, typename Typed>
std::shared_ptr<Dispatch> Require(std::shared_ptr<Dispatch> object) {
  if (auto* wrapper = dynamic_cast<Typed*>(object.get())) object = wrapper->object();
  if (dynamic_cast<T*>(object.get()) == nullptr) throw AutomationError(kErrTypeMismatch);
  return object;
}

}  // namespace

ConnectOrvex::ConnectOrvex() : object_(CreateObject(kConnectOrvexProgId)) {}

ConnectOrvex::ConnectOrvex(std::shared_ptr<Dispatch> object)
    : object_(Require<orvex::automation::ConnectOrvex, ConnectOrvex>(std::move(object))) {}

std::optional<int32_t> ConnectOrvex::GetIdOfName(std::string_view name) const {
  return object_->GetIdOfName(name);
}

Variant ConnectOrvex::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  return object_->Invoke(dispid, kind, args);
}

std::optional<Failure> ConnectOrvex::LastFailure() const {
  return static_cast<orvex::automation::ConnectOrvex&>(*object_).last_failure(false);
}

std::optional<Failure> ConnectOrvex::LastFailureEx(int16_t Handle) const {
  if (Handle != 0) throw AutomationError(kErrSubscriptOutOfRange);
  return static_cast<orvex::automation::ConnectOrvex&>(*object_).last_failure(true);
}

#define DEFINE_PROPERTY(Name, Type)                                      \
  Type ConnectOrvex::Name() const {                                      \
    return typed::GetProperty<Type>(*object_, ConnectOrvexDispid::Name); \
  }                                                                      \
  void ConnectOrvex::Name(PropertyArgument<Type> value) {                \
    typed::LetProperty(*object_, ConnectOrvexDispid::Name, value);       \
  }
#define DEFINE_METHOD(Name, Result, Params, Args)                                    \
  Result ConnectOrvex::Name Params {                                                 \
    return typed::TypedCall<&ConnectOrvex::Name>(*object_, ConnectOrvexDispid::Name, \
                                                 std::forward_as_tuple Args);        \
  }
#define DEFINE_PAIR(Name, ExName, Result, Params, Args)                             \
  DEFINE_METHOD(Name, Result, Params, Args)                                         \
  Result ConnectOrvex::ExName QZORVEX_DETAIL_WITH_HANDLE Params {                   \
    return typed::TypedCall<&ConnectOrvex::ExName>(                                 \
        *object_, ConnectOrvexDispid::ExName,                                       \
        std::tuple_cat(std::forward_as_tuple(Handle), std::forward_as_tuple Args)); \
  }

QZORVEX_CONNECT_ORVEX_MEMBERS(DEFINE_PROPERTY, DEFINE_METHOD, DEFINE_PAIR)

#undef DEFINE_PROPERTY
#undef DEFINE_METHOD
#undef DEFINE_PAIR

PropertyClass1::PropertyClass1() : object_(CreateObject(kPropertyClass1ProgId)) {}

PropertyClass1::PropertyClass1(std::shared_ptr<Dispatch> object)
    : object_(Require<orvex::automation::PropertyClass1Object, PropertyClass1>(std::move(object))) {
}

std::optional<int32_t> PropertyClass1::GetIdOfName(std::string_view name) const {
  return object_->GetIdOfName(name);
}

Variant PropertyClass1::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  return object_->Invoke(dispid, kind, args);
}

namespace {

// Dispatch ids of PropertyClass1's properties: their positions, from 1.
struct PropertyClass1Dispid {
#define ID(Name, Type) Name,
  enum : int32_t { kBeforeFirst = 0, QZORVEX_PROPERTY_CLASS1_MEMBERS(ID) };
#undef ID
};

}  // namespace

#define DEFINE_RECORD_PROPERTY(Name, Type)                                 \
  Type PropertyClass1::Name() const {                                      \
    return typed::GetProperty<Type>(*object_, PropertyClass1Dispid::Name); \
  }                                                                        \
  void PropertyClass1::Name(PropertyArgument<Type> value) {                \
    typed::LetProperty(*object_, PropertyClass1Dispid::Name, value);       \
  }

QZORVEX_PROPERTY_CLASS1_MEMBERS(DEFINE_RECORD_PROPERTY)

#undef DEFINE_RECORD_PROPERTY

void PropertyClass1::SetDictionaryValues(std::shared_ptr<Dispatch> object) {
  std::array<Variant, 1> args{Variant(std::move(object))};
  object_->Invoke(PropertyClass1Dispid::DictionaryValues, InvokeKind::kPropertyPutRef, args);
}

}  // namespace qzorvex
