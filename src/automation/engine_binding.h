// Calling a typed engine operation with automation arguments.
//
// EngineCall<&ServerClass1::Op> converts each Variant argument to the
// operation's parameter type (by-value parameters as copies, by-reference
// parameters as locals written back into the argument afterwards, so the
// caller's variables receive the outputs) and wraps the result in a Variant.
#ifndef ORVEX_AUTOMATION_ENGINE_BINDING_H_
#define ORVEX_AUTOMATION_ENGINE_BINDING_H_

#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "engine/server_class1.h"
#include "platform/dispatch.h"

namespace orvex::automation {

using EngineOp = Variant (*)(engine::ServerClass1&, std::span<Variant>);

namespace binding {

template <typename T>
T FromVariant(const Variant& v) {
  if constexpr (std::is_same_v<T, std::string>) {
    return v.ToString();
  } else if constexpr (std::is_same_v<T, bool>) {
    return v.ToBool();
  } else if constexpr (std::is_same_v<T, int16_t>) {
    return v.ToInt16();
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return v.ToInt32();
  } else {
    static_assert(std::is_same_v<T, Variant>);
    return v;
  }
}

template <typename P>
using Stored = std::remove_cvref_t<P>;

template <typename P>
inline constexpr bool kIsOutput =
    std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

template <typename Sig>
struct Traits;

template <typename R, typename... P>
struct Traits<R (engine::ServerClass1::*)(P...)> {
  using Result = R;
  using Params = std::tuple<P...>;
  static constexpr size_t kArity = sizeof...(P);
};

template <auto Op, size_t... I>
Variant Invoke(engine::ServerClass1& e, [[maybe_unused]] std::span<Variant> args,
               std::index_sequence<I...>) {
  using T = Traits<decltype(Op)>;
  std::tuple<Stored<std::tuple_element_t<I, typename T::Params>>...> locals{
      FromVariant<Stored<std::tuple_element_t<I, typename T::Params>>>(args[I])...};
  Variant result;
  if constexpr (std::is_void_v<typename T::Result>) {
    (e.*Op)(std::get<I>(locals)...);
  } else {
    result = Variant((e.*Op)(std::get<I>(locals)...));
  }
  ((kIsOutput<std::tuple_element_t<I, typename T::Params>>
        ? void(args[I] = Variant(std::get<I>(locals)))
        : void()),
   ...);
  return result;
}

}  // namespace binding

// Number of parameters an engine operation takes.
template <auto Op>
inline constexpr size_t kEngineArity = binding::Traits<decltype(Op)>::kArity;

template <auto Op>
Variant EngineCall(engine::ServerClass1& e, std::span<Variant> args) {
  if (args.size() != kEngineArity<Op>) throw AutomationError(kErrWrongArgumentCount);
  return binding::Invoke<Op>(e, args, std::make_index_sequence<kEngineArity<Op>>{});
}

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_ENGINE_BINDING_H_
