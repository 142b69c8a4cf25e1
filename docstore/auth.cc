#include "docstore/auth.h"

#include <strings.h>

namespace orvex::docstore {

std::optional<std::string> DecodeBase64(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    int v = value(c);
    if (v < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  if (count >= 6) return std::nullopt;  // a lone trailing character
  return out;
}

std::optional<Credentials> ParseBasicAuth(std::string_view header) {
  while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
  if (header.size() < 6 || strncasecmp(header.data(), "basic ", 6) != 0) return std::nullopt;
  header.remove_prefix(6);
  while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
  while (!header.empty() && header.back() == ' ') header.remove_suffix(1);
  auto decoded = DecodeBase64(header);
  if (!decoded) return std::nullopt;
  auto colon = decoded->find(':');
  if (colon == std::string::npos) return std::nullopt;
  return Credentials{decoded->substr(0, colon), decoded->substr(colon + 1)};
}

}  // namespace orvex::docstore
