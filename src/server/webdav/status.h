// HTTP status lines and their error numbers.
#ifndef ORVEX_SERVER_WEBDAV_STATUS_H_
#define ORVEX_SERVER_WEBDAV_STATUS_H_

#include <cstdint>
#include <string_view>

namespace orvex::server::webdav {

// The status code of a status line, numbered ("HTTP/1.1 404 Not Found") or
// bare ("404 Not Found", "404"); 0 when there is no three-digit code.
int ParseStatusLine(std::string_view line);

// The error number for a failed request: 401 and 423 -> access denied,
// 403 -> permission denied, 404 and 409 -> not found, 412 and (for MKCOL)
// 405 -> already exists; anything else -> generic failure.
int32_t ErrorForStatus(long status, std::string_view method);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_STATUS_H_
