#include "wire/url.h"

#include <cstdint>

#include "wire/utf8.h"

namespace orvex::wire {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// The byte an escape at text[i] ('%' and two hex digits) stands for, or -1.
int EscapeAt(std::string_view text, size_t i) {
  if (text[i] != '%' || i + 2 >= text.size()) return -1;
  int hi = HexValue(text[i + 1]);
  int lo = HexValue(text[i + 2]);
  if (hi < 0 || lo < 0) return -1;
  return hi * 16 + lo;
}

}  // namespace

std::string PercentEncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (char ch : path) {
    auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c) || c == '/') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    int byte = EscapeAt(text, i);
    if (byte < 0) return std::nullopt;
    out += static_cast<char>(byte);
    i += 2;
  }
  return out;
}

std::string PercentDecodeLeniently(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int byte = EscapeAt(text, i);
    if (byte < 0) {
      out += text[i];
    } else {
      out += static_cast<char>(byte);
      i += 2;
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  uint32_t cp;
  for (size_t i = 0, n = 0; i < text.size(); i += n)
    if ((n = DecodeUtf8At(text, i, cp)) == 0) return false;
  return true;
}

}  // namespace orvex::wire
