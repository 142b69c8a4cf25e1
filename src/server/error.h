// Errors of the server access layer.
//
// Every failing call of this layer throws server::Error carrying the
// platform's error number; the engine maps the number to its own error code.
#ifndef ORVEX_SERVER_ERROR_H_
#define ORVEX_SERVER_ERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvex::server {

// Operation not allowed while the object is open.
inline constexpr int32_t kErrObjectOpen = 3705;
// A local file could not be read.
inline constexpr int32_t kErrFileRead = 3002;
// Permission denied by the server.
inline constexpr int32_t kErrPermissionDenied = static_cast<int32_t>(0x80040E09);
// The item (or its parent) does not exist.
inline constexpr int32_t kErrObjectNotFound = static_cast<int32_t>(0x80040E19);
// The item already exists, or a precondition of the write failed.
inline constexpr int32_t kErrAlreadyExists = static_cast<int32_t>(0x80040E98);
// Access denied: bad credentials, or the item is locked.
inline constexpr int32_t kErrAccessDenied = static_cast<int32_t>(0x80070005);
// The caller stopped the operation: its upload progress answered stop.
inline constexpr int32_t kErrCancelled = 3712;
// Any other failure, including no connection to the server at all.
inline constexpr int32_t kErrGenericFailure = static_cast<int32_t>(0x80004005);
// A call this kind of object does not offer.
inline constexpr int32_t kErrNotSupported = static_cast<int32_t>(0x80004001);

class Error : public std::runtime_error {
 public:
  Error(int32_t number, const std::string& what) : std::runtime_error(what), number_(number) {}
  explicit Error(int32_t number) : Error(number, "server error " + std::to_string(number)) {}
  int32_t number() const { return number_; }

 private:
  int32_t number_;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_ERROR_H_
