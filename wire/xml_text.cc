#include "wire/xml_text.h"

#include <cstdint>

#include "wire/utf8.h"

namespace orvex::wire {
namespace {

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
    size_t n = DecodeUtf8At(text, i, cp);
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
    size_t n = DecodeUtf8At(text, i, cp);
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
    size_t n = DecodeUtf8At(name, i, cp);
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
