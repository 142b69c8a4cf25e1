// The error a call raises: its number, or the whole exception.
#ifndef ORVEX_TESTS_SUPPORT_ERROR_OF_H_
#define ORVEX_TESTS_SUPPORT_ERROR_OF_H_

#include <cstdint>
#include <optional>
#include <utility>

namespace orvex::testing {

// Runs `call`: the number() of the E it throws, or 0 when it returns.
// E is the error class of the layer under test (server::Error,
// AutomationError).
template <typename E, typename F>
int32_t ErrorOf(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const E& e) {
    return e.number();
  }
  return 0;
}

// Runs `call`: the E it throws, or nullopt when it returns.
template <typename E, typename F>
std::optional<E> Caught(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const E& e) {
    return e;
  }
  return std::nullopt;
}

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_ERROR_OF_H_
