#include "automation/property_class1_object.h"

#include <array>
#include <string_view>

#include "automation/member_table.h"
#include "platform/text.h"

namespace orvex::automation {
namespace {

using records::PropertyClass1;

struct Accessor {
  std::string_view name;
  ValueType type;
  Variant (*get)(const PropertyClass1&);
  void (*let)(PropertyClass1&, const Variant&);
  // The by-reference accessor; only DictionaryValues has one.
  void (*set)(PropertyClass1&, const Variant&) = nullptr;
};

template <auto Field>
Variant Get(const PropertyClass1& r) {
  return Variant(r.*Field);
}

template <auto Field, ValueType Type>
void Let(PropertyClass1& r, const Variant& v) {
  // Assigning a value takes an object's value, and these objects have none:
  // an object is bound with the set accessor instead.
  if (v.IsObject()) throw AutomationError(kErrMemberNotFound);
  Variant coerced = CoerceTo(Type, v);
  using T = std::remove_cvref_t<decltype(r.*Field)>;
  if constexpr (std::is_same_v<T, std::string>) {
    r.*Field = coerced.ToString();
  } else if constexpr (std::is_same_v<T, bool>) {
    r.*Field = coerced.ToBool();
  } else if constexpr (std::is_same_v<T, int16_t>) {
    r.*Field = coerced.ToInt16();
  } else {
    r.*Field = coerced;
  }
}

// Binds an object, or Nothing, to a variant property; any other value is
// no object to bind.
template <auto Field>
void Set(PropertyClass1& r, const Variant& v) {
  if (!v.IsObject()) throw AutomationError(kErrObjectRequired);
  r.*Field = v;
}

template <auto Field, ValueType Type>
constexpr Accessor Prop(std::string_view name) {
  return Accessor{name, Type, &Get<Field>, &Let<Field, Type>};
}

template <auto Field>
constexpr Accessor VariantProp(std::string_view name) {
  return Accessor{name, ValueType::kVariant, &Get<Field>, &Let<Field, ValueType::kVariant>,
                  &Set<Field>};
}

using P = PropertyClass1;
using VT = ValueType;

// The interface's properties in declaration order; dispatch id = position + 1.
constexpr std::array<Accessor, 12> kProperties = {
    Prop<&P::URI, VT::kString>("URI"),
    Prop<&P::PropertyName, VT::kString>("PropertyName"),
    Prop<&P::Value, VT::kString>("Value"),
    Prop<&P::Description, VT::kString>("Description"),
    Prop<&P::IsRequired, VT::kBool>("IsRequired"),
    Prop<&P::Kind, VT::kString>("Kind"),
    Prop<&P::ReadOnly, VT::kBool>("ReadOnly"),
    Prop<&P::IsRestricted, VT::kBool>("IsRestricted"),
    Prop<&P::IsMultivalued, VT::kBool>("IsMultivalued"),
    Prop<&P::DictionaryCount, VT::kI2>("DictionaryCount"),
    VariantProp<&P::DictionaryValues>("DictionaryValues"),
    Prop<&P::Use, VT::kBool>("Use"),
};

}  // namespace

std::optional<int32_t> PropertyClass1Object::GetIdOfName(std::string_view name) const {
  for (size_t i = 0; i < kProperties.size(); ++i) {
    if (platform::CompareNoCase(kProperties[i].name, name) == 0) return static_cast<int32_t>(i + 1);
  }
  return std::nullopt;
}

Variant PropertyClass1Object::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  if (dispid < 1 || static_cast<size_t>(dispid) > kProperties.size())
    throw AutomationError(kErrMemberNotFound);
  const Accessor& a = kProperties[static_cast<size_t>(dispid - 1)];
  if (kind == InvokeKind::kPropertyLet || kind == InvokeKind::kPropertyPutRef) {
    auto assign = kind == InvokeKind::kPropertyLet ? a.let : a.set;
    if (assign == nullptr) throw AutomationError(kErrMemberNotFound);
    if (args.size() != 1) throw AutomationError(kErrWrongArgumentCount);
    assign(*record_, args[0]);
    return {};
  }
  if (!args.empty()) throw AutomationError(kErrWrongArgumentCount);
  return a.get(*record_);
}

}  // namespace orvex::automation
