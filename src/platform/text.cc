#include "platform/text.h"

#include <algorithm>

namespace orvex::platform {
namespace {
unsigned char Lower(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}
}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = Lower(a[i]) - Lower(b[i]);
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
  size_t b = text.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  return text.substr(b, text.find_last_not_of(blanks) - b + 1);
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(Lower(c));
  return out;
}

}  // namespace orvex::platform
