// UTF-8 decoding shared by the URL and XML text checks.
#ifndef ORVEX_WIRE_UTF8_H_
#define ORVEX_WIRE_UTF8_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvex::wire {

// Decodes the UTF-8 sequence at text[i] (i < text.size()): its length, and
// the code point in `cp`; 0 for an invalid sequence (truncated, overlong,
// surrogate, past U+10FFFF).
size_t DecodeUtf8At(std::string_view text, size_t i, uint32_t& cp);

}  // namespace orvex::wire

#endif  // ORVEX_WIRE_UTF8_H_
