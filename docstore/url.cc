#include "docstore/url.h"

#include <cstdint>

#include "docstore/xml_text.h"

namespace orvex::docstore {
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

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int hi = HexValue(text[i + 1]);
    int lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    uint32_t cp;
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000))
      return false;  // overlong
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool IsValidSegment(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find_first_of("/\\\t\r\n") != std::string_view::npos) return false;
  return IsXmlText(name);
}

std::optional<std::string> ParseRequestPath(std::string_view target) {
  // An absolute URL: drop the scheme and authority.
  if (auto scheme = target.find("://"); scheme != std::string_view::npos && target[0] != '/') {
    auto slash = target.find('/', scheme + 3);
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  if (target.empty() || target[0] != '/') return std::nullopt;
  // A fragment never belongs in a request; refusing it keeps "/a/#b" from
  // acting on "/a/".
  if (target.find('#') != std::string_view::npos) return std::nullopt;
  if (auto q = target.find('?'); q != std::string_view::npos) target = target.substr(0, q);
  // Segments are decoded one by one so an encoded "/" (%2F) cannot split or
  // join segments behind the check.
  std::string path;
  size_t pos = 1;
  while (pos <= target.size()) {
    size_t end = target.find('/', pos);
    if (end == std::string_view::npos) end = target.size();
    std::string_view raw = target.substr(pos, end - pos);
    if (raw.empty()) {
      // "//" is read as "/", as most servers do.
      pos = end + 1;
      continue;
    }
    auto decoded = PercentDecode(raw);
    if (!decoded || !IsValidSegment(*decoded)) return std::nullopt;
    path += '/';
    path += *decoded;
    pos = end + 1;
  }
  if (path.empty()) path.push_back('/');
  return path;
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t pos = 1;
  while (pos < path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    parts.emplace_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

std::string ParentPath(std::string_view path) {
  auto slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string LastSegment(std::string_view path) {
  auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string(path);
  return std::string(path.substr(slash + 1));
}

std::string JoinPath(std::string_view parent, std::string_view name) {
  std::string out(parent);
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string EncodeHref(std::string_view path, bool collection) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size() + 8);
  for (char c : path) {
    auto u = static_cast<unsigned char>(c);
    if (IsUnreserved(u) || c == '/') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 15]);
    }
  }
  if (collection && (out.empty() || out.back() != '/')) out.push_back('/');
  return out;
}

}  // namespace orvex::docstore
