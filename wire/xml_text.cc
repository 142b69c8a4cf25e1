#include "wire/xml_text.h"

#include <cstdint>

namespace orvex::wire {
namespace {

// Decodes the UTF-8 sequence at text[i]: its length, and the code point in
// `cp`; 0 for an invalid sequence (truncated, overlong, surrogate, past
// U+10FFFF).
size_t DecodeAt(std::string_view text, size_t i, uint32_t& cp) {
  auto c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t extra;
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
    return 0;
  }
  if (i + extra >= text.size()) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    auto cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000))
    return 0;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}

bool IsNonCharacter(uint32_t cp) {
  return (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE;
}

bool IsControl(uint32_t cp) {
  return (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || (cp >= 0x7F && cp <= 0x9F);
}

bool IsNameStart(uint32_t cp) {
  return (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z') || cp == '_' ||
         (cp >= 0xC0 && cp <= 0xD6) || (cp >= 0xD8 && cp <= 0xF6) || (cp >= 0xF8 && cp <= 0x2FF) ||
         (cp >= 0x370 && cp <= 0x37D) || (cp >= 0x37F && cp <= 0x1FFF) ||
         (cp >= 0x200C && cp <= 0x200D) || (cp >= 0x2070 && cp <= 0x218F) ||
         (cp >= 0x2C00 && cp <= 0x2FEF) || (cp >= 0x3001 && cp <= 0xD7FF) ||
         (cp >= 0xF900 && cp <= 0xFDCF) || (cp >= 0xFDF0 && cp <= 0xFFFD) ||
         (cp >= 0x10000 && cp <= 0xEFFFF);
}

bool IsNameChar(uint32_t cp) {
  return IsNameStart(cp) || cp == '-' || cp == '.' || (cp >= '0' && cp <= '9') || cp == 0xB7 ||
         (cp >= 0x300 && cp <= 0x36F) || (cp >= 0x203F && cp <= 0x2040);
}

}  // namespace

bool IsXmlText(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t n = DecodeAt(text, i, cp);
    if (n == 0 || IsControl(cp) || IsNonCharacter(cp)) return false;
    i += n;
  }
  return true;
}

std::string RepairXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t n = DecodeAt(text, i, cp);
    if (n == 0 || IsNonCharacter(cp)) {
      out += "\xEF\xBF\xBD";
      i += n == 0 ? 1 : n;
      continue;
    }
    if (!IsControl(cp)) out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

bool IsXmlName(std::string_view name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size();) {
    uint32_t cp = 0;
    size_t n = DecodeAt(name, i, cp);
    if (n == 0 || !(i == 0 ? IsNameStart(cp) : IsNameChar(cp))) return false;
    i += n;
  }
  return true;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

bool IsReservedNamespace(std::string_view ns) {
  return ns == kXmlNamespace || ns == kXmlnsNamespace;
}

}  // namespace orvex::wire
