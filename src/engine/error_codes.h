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

// The engine code for a server error number: 3705 -> 2, 0x80040E09 -> 1004,
// 0x80040E19 -> 1007, 3002 -> 1008, 0x80040E98 -> 1005, 0x80070005 -> 1006,
// anything else -> 1000.
int32_t MapErrorNumber(int32_t number);

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_ERROR_CODES_H_
