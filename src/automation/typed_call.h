// Calling an automation member with typed C++ arguments: the glue under the
// typed classes of the public interface (qzorvex::ConnectOrvex,
// qzorvex::PropertyClass1).
//
// TypedCall<&Class::Member>(object, dispid, args) packs each argument into a
// Variant, invokes `dispid` on the object and copies the by-reference
// outputs (the member's non-const reference parameters) back into the
// caller's variables; the result is converted to the member's result type.
#ifndef ORVEX_AUTOMATION_TYPED_CALL_H_
#define ORVEX_AUTOMATION_TYPED_CALL_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "automation/engine_binding.h"
#include "platform/dispatch.h"

namespace orvex::automation::typed {

template <typename P>
Variant Pack(const P& value) {
  if constexpr (std::is_same_v<P, std::string_view>) {
    return Variant(std::string(value));
  } else {
    return Variant(value);
  }
}

template <typename P>
inline constexpr bool kIsOutput =
    std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

template <typename Sig>
struct Member;

template <typename C, typename R, typename... P>
struct Member<R (C::*)(P...)> {
  using Result = R;
  using Params = std::tuple<P...>;
};

template <auto M, typename Args, size_t... I>
typename Member<decltype(M)>::Result Call(Dispatch& object, int32_t dispid,
                                          [[maybe_unused]] Args args, std::index_sequence<I...>) {
  using Traits = Member<decltype(M)>;
  using Result = typename Traits::Result;
  std::array<Variant, sizeof...(I)> values{Pack(std::get<I>(args))...};
  Variant result = object.Invoke(dispid, InvokeKind::kMethod, values);
  (
      [&] {
        using P = std::tuple_element_t<I, typename Traits::Params>;
        if constexpr (kIsOutput<P>)
          std::get<I>(args) = binding::FromVariant<std::remove_cvref_t<P>>(values[I]);
      }(),
      ...);
  if constexpr (!std::is_void_v<Result>) return binding::FromVariant<Result>(result);
}

// Calls method `M` (a member function pointer of the typed class, whose
// parameter types say which arguments are outputs) as dispatch id `dispid`.
template <auto M, typename... A>
auto TypedCall(Dispatch& object, int32_t dispid, std::tuple<A&...> args) {
  return Call<M>(object, dispid, args, std::index_sequence_for<A...>{});
}

// Reads and writes a property by dispatch id.
template <typename T>
T GetProperty(Dispatch& object, int32_t dispid) {
  return binding::FromVariant<T>(object.Invoke(dispid, InvokeKind::kPropertyGet, {}));
}

template <typename T>
void LetProperty(Dispatch& object, int32_t dispid, const T& value) {
  std::array<Variant, 1> args{Pack(value)};
  object.Invoke(dispid, InvokeKind::kPropertyLet, args);
}

}  // namespace orvex::automation::typed

#endif  // ORVEX_AUTOMATION_TYPED_CALL_H_
