// PropertyClass1: one document property, its definition and the value given
// to it, as a typed C++ class over the automation object
// Linkora.PropertyClass1 (twelve read/write properties, no methods).
//
// Thread safety: a record (with its copies, and an object bound to
// DictionaryValues) is used by one thread at a time; separate records may
// be used on separate threads.
#ifndef QZORVEX_PROPERTY_CLASS1_H_
#define QZORVEX_PROPERTY_CLASS1_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "qzorvex/dispatch.h"
#include "qzorvex/variant.h"

// PROPERTY(Name, Type) for each property in interface order (dispatch id =
// position + 1).
#define QZORVEX_PROPERTY_CLASS1_MEMBERS(PROPERTY) \
  PROPERTY(URI, std::string)                      \
  PROPERTY(PropertyName, std::string)             \
  PROPERTY(Value, std::string)                    \
  PROPERTY(Description, std::string)              \
  PROPERTY(IsRequired, bool)                      \
  PROPERTY(Kind, std::string)                     \
  PROPERTY(ReadOnly, bool)                        \
  PROPERTY(IsRestricted, bool)                    \
  PROPERTY(IsMultivalued, bool)                   \
  PROPERTY(DictionaryCount, int16_t)              \
  PROPERTY(DictionaryValues, Variant)             \
  PROPERTY(Use, bool)

namespace qzorvex {

class PropertyClass1 : public Dispatch {
 public:
  // A new record, as CreateObject("Linkora.PropertyClass1") makes it.
  PropertyClass1();
  // Typed access to an existing PropertyClass1 object; throws
  // AutomationError 13 for any other.
  explicit PropertyClass1(std::shared_ptr<Dispatch> object);

  const std::shared_ptr<Dispatch>& object() const { return object_; }

  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

  template <typename T>
  using PropertyArgument = std::conditional_t<std::is_same_v<T, std::string>, std::string_view, T>;

#define QZORVEX_DETAIL_DECLARE_RECORD_PROPERTY(Name, Type) \
  Type Name() const;                                       \
  void Name(PropertyArgument<Type> value);
  QZORVEX_PROPERTY_CLASS1_MEMBERS(QZORVEX_DETAIL_DECLARE_RECORD_PROPERTY)
#undef QZORVEX_DETAIL_DECLARE_RECORD_PROPERTY

  // The set accessor of DictionaryValues: binds `object` (null: Nothing) by
  // reference, as a script's `Set record.DictionaryValues = object`.
  void SetDictionaryValues(std::shared_ptr<Dispatch> object);

 private:
  std::shared_ptr<Dispatch> object_;
};

}  // namespace qzorvex

#endif  // QZORVEX_PROPERTY_CLASS1_H_
