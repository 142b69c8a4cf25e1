// The engine's error codes, read by the host through GetLastError.
#ifndef ORVEX_ENGINE_ERROR_CODES_H_
#define ORVEX_ENGINE_ERROR_CODES_H_

#include <cstdint>

namespace orvex::engine {

inline constexpr int32_t kCodeNone = 0;
inline constexpr int32_t kCodeNotConnected = 1;
inline constexpr int32_t kCodeAlreadyOpen = 2;
inline constexpr int32_t kCodeNoWorkspace = 3;
inline constexpr int32_t kCodeBadPath = 4;
inline constexpr int32_t kCodeBadName = 5;
inline constexpr int32_t kCodeProfileNotFound = 6;
inline constexpr int32_t kCodeFailure = 1000;
inline constexpr int32_t kCodeBadHostName = 1002;
inline constexpr int32_t kCodeWorkspaceFailed = 1003;
inline constexpr int32_t kCodePermissionDenied = 1004;
inline constexpr int32_t kCodeAlreadyExists = 1005;
inline constexpr int32_t kCodeAccessDenied = 1006;
inline constexpr int32_t kCodeNotFound = 1007;
inline constexpr int32_t kCodeFileRead = 1008;
inline constexpr int32_t kCodeStateRefused = 1009;

// An engine's error code: an int32_t that also counts how often it has been
// set, so the object can tell whether a call left a code (even one equal to
// the code before it) without resetting the value a host reads.
class ErrorCodeField {
 public:
  ErrorCodeField(int32_t code = kCodeNone) : value_(code) {}  // NOLINT: an int32_t in use
  ErrorCodeField& operator=(int32_t code) {
    value_ = code;
    ++sets_;
    return *this;
  }
  operator int32_t() const { return value_; }  // NOLINT: reads as the code
  // How many times the code has been set since the engine was made.
  uint64_t sets() const { return sets_; }

 private:
  int32_t value_;
  uint64_t sets_ = 0;
};

// The engine code for a server error number: 3705 -> 2, 0x80040E09 -> 1004,
// 0x80040E19 -> 1007, 3002 -> 1008, 0x80040E98 -> 1005, 0x80070005 -> 1006,
// anything else -> 1000.
int32_t MapErrorNumber(int32_t number);

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_ERROR_CODES_H_
