// Time stamps as the protocol writes them.
#ifndef ORVEX_DOCSTORE_TIME_FORMAT_H_
#define ORVEX_DOCSTORE_TIME_FORMAT_H_

#include <cstdint>
#include <optional>
#include <string>

namespace orvex::docstore {

// ISO 8601 in UTC: "2001-05-10T09:30:00Z".
std::string FormatIso(int64_t seconds);
// Parses "YYYY-MM-DDTHH:MM:SSZ" (seconds and "Z" required).
std::optional<int64_t> ParseIso(const std::string& text);
// RFC 1123 date for HTTP headers and DAV:getlastmodified.
std::string FormatHttpDate(int64_t seconds);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_TIME_FORMAT_H_
