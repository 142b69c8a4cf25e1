// Errors the controls raise, with the numbers the window toolkit's controls
// give them. Form logic that traps errors (the tree builders do) sees these
// numbers the same way as any other runtime error.
#ifndef ORVEX_PLATFORM_UI_ERRORS_H_
#define ORVEX_PLATFORM_UI_ERRORS_H_

#include <cstdint>
#include <string>

namespace orvex::ui {

inline constexpr int32_t kErrIndexOutOfBounds = 35600;
inline constexpr int32_t kErrElementNotFound = 35601;
inline constexpr int32_t kErrKeyNotUnique = 35602;
inline constexpr int32_t kErrInvalidProcedureCall = 5;
inline constexpr int32_t kErrInvalidPropertyValue = 380;
inline constexpr int32_t kErrInvalidArrayIndex = 381;
inline constexpr int32_t kErrAlreadyDisplayed = 400;

// Throws AutomationError(number) with the toolkit's description; `detail`
// (a key, an index) is appended for the reader of a log, never parsed.
[[noreturn]] void ThrowUiError(int32_t number, const std::string& detail = "");

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_ERRORS_H_
