// Case-insensitive comparison of two strings, the platform's lstrcmpi: 0 when
// equal ignoring ASCII case, negative or positive by the first difference.
#ifndef ORVEX_PLATFORM_TEXT_H_
#define ORVEX_PLATFORM_TEXT_H_

#include <string>
#include <string_view>

namespace orvex::platform {

int CompareNoCase(std::string_view a, std::string_view b);

// True when `text` begins with `prefix`, ignoring ASCII case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// `text` without the leading and trailing characters found in `blanks`.
std::string_view Trim(std::string_view text, std::string_view blanks = " \t");

// `text` with its ASCII capitals lowered; every other byte as it is.
std::string LowerAscii(std::string_view text);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_TEXT_H_
