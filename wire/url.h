// Percent-encoding of URL paths and the UTF-8 they decode to.
#ifndef ORVEX_WIRE_URL_H_
#define ORVEX_WIRE_URL_H_

#include <optional>
#include <string>
#include <string_view>

namespace orvex::wire {

// Percent-encodes every byte of `path` except the unreserved characters
// (letters, digits, '-', '.', '_', '~') and '/'. UTF-8 is encoded byte by
// byte, in upper-case hex.
std::string PercentEncodePath(std::string_view path);

// Decodes %XX escapes; nullopt when a '%' is not followed by two hex digits.
std::optional<std::string> PercentDecode(std::string_view text);

// Decodes %XX escapes; a '%' not followed by two hex digits stays as it is.
std::string PercentDecodeLeniently(std::string_view text);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace orvex::wire

#endif  // ORVEX_WIRE_URL_H_
