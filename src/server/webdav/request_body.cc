#include "server/webdav/request_body.h"

#include <cstdint>
#include <map>

#include "server/error.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/property_name.h"

namespace orvex::server::webdav {
namespace {

constexpr char kXmlDecl[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// Is `text` valid UTF-8 whose characters a server can store and answer as
// XML 1.0: no control character but tab, line feed and carriage return (C0,
// DEL and C1 alike) and no Unicode non-character (U+FDD0..U+FDEF, U+xFFFE,
// U+xFFFF)? ASCII alone is checked by the caller.
bool IsStorableText(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c == 0x7F || (c < 0x20 && c != '\t' && c != '\n' && c != '\r')) return false;
      ++i;
      continue;
    }
    size_t extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
    if (extra == 0 || i + extra >= text.size()) return false;
    uint32_t cp = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    if (cp <= 0x9F || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE) return false;
    i += extra + 1;
  }
  return true;
}

// The namespaces no element may be put in by a declaration: the xml
// prefix's own and that of namespace declarations.
bool IsReservedNamespace(std::string_view ns) {
  return ns == "http://www.w3.org/XML/1998/namespace" || ns == "http://www.w3.org/2000/xmlns/";
}

std::string RootAttributes() {
  return std::string(" xmlns:D=\"DAV:\" xmlns:b=\"") + kTypeNamespace + "\" xmlns:x=\"" +
         kMultiValueNamespace + "\"";
}

// Opening and closing tags of one property element. DAV: properties use the
// D: prefix; others declare their namespace as the element's default.
std::pair<std::string, std::string> PropertyTags(const std::string& full, std::string_view attrs) {
  PropertyName name = SplitPropertyName(full);
  if (!IsXmlLocalName(name.local) || !IsStorableText(name.local) || IsReservedNamespace(name.ns))
    throw Error(kErrGenericFailure, "property name cannot be written: " + full);
  if (name.ns == "DAV:")
    return {"<D:" + name.local + std::string(attrs), "</D:" + name.local + ">"};
  return {"<" + name.local + " xmlns=\"" + XmlEscape(name.ns) + "\"" + std::string(attrs),
          "</" + name.local + ">"};
}

void AppendProperty(std::string& out, const std::string& name, const Variant& value) {
  std::string attrs;
  std::string content;
  switch (value.type()) {
    case VariantType::kBool:
      attrs = " b:dt=\"boolean\"";
      content.push_back(value.ToBool() ? '1' : '0');
      break;
    case VariantType::kI4:
      attrs = " b:dt=\"int\"";
      content = value.ToString();
      break;
    case VariantType::kI2:
      attrs = " b:dt=\"i2\"";
      content = value.ToString();
      break;
    case VariantType::kEmpty:
    case VariantType::kString:
      content = XmlEscape(value.ToString());
      break;
    case VariantType::kArray:
      attrs = " b:dt=\"mv.string\"";
      for (const Variant& v : value.array()) {
        if (v.IsArray() || v.IsObject() || v.IsNull())
          throw Error(kErrGenericFailure, "value of " + name + " cannot be written");
        content += "<x:v>" + XmlEscape(v.ToString()) + "</x:v>";
      }
      break;
    case VariantType::kNull:
      break;
    case VariantType::kObject:
      throw Error(kErrGenericFailure, "value of " + name + " cannot be written");
  }
  auto [open, close] = PropertyTags(name, attrs);
  out += open;
  if (value.IsNull()) {
    out += "/>";
  } else {
    out += '>';
    out += content;
    out += close;
  }
}

}  // namespace

std::string AllPropBody() {
  return std::string(kXmlDecl) + "<D:propfind xmlns:D=\"DAV:\"><D:allprop/></D:propfind>";
}

std::string CheckinBody(std::string_view comment) {
  return std::string(kXmlDecl) + "<D:checkin xmlns:D=\"DAV:\"><D:comment>" + XmlEscape(comment) +
         "</D:comment></D:checkin>";
}

std::string VersionTreeBody() {
  return std::string(kXmlDecl) + "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>";
}

Fields::Changes ServerChanges(const Fields::Changes& changes) {
  Fields::Changes out;
  std::map<std::string, size_t, std::less<>> index;
  for (const auto& [name, value] : changes) {
    if (name.rfind("RESOURCE_", 0) == 0) continue;
    auto [it, inserted] = index.try_emplace(name, out.size());
    if (inserted)
      out.emplace_back(name, value);
    else
      out[it->second].second = value;
  }
  return out;
}

std::string PropertyUpdateBody(const Fields::Changes& changes) {
  std::string out = kXmlDecl;
  out += "<D:propertyupdate" + RootAttributes() + ">";
  // The block being written: 0 none, 1 DAV:set, 2 DAV:remove.
  int open_block = 0;
  auto close_block = [&] {
    if (open_block != 0) out += open_block == 1 ? "</D:prop></D:set>" : "</D:prop></D:remove>";
  };
  for (const auto& [name, value] : changes) {
    int block = value.IsNull() ? 2 : 1;
    if (block != open_block) {
      close_block();
      out += block == 1 ? "<D:set><D:prop>" : "<D:remove><D:prop>";
      open_block = block;
    }
    AppendProperty(out, name, value);
  }
  close_block();
  out += "</D:propertyupdate>";
  return out;
}

std::string MkcolBody(const Fields::Changes& changes) {
  std::string out = kXmlDecl;
  out += "<D:mkcol" + RootAttributes() + "><D:set><D:prop>";
  for (const auto& [name, value] : changes) {
    if (!value.IsNull()) AppendProperty(out, name, value);
  }
  out += "</D:prop></D:set></D:mkcol>";
  return out;
}

std::string XmlEscape(std::string_view text) {
  if (!IsStorableText(text))
    throw Error(kErrGenericFailure, "text holds a character XML cannot carry");
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

}  // namespace orvex::server::webdav
