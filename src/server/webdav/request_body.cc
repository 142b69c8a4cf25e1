#include "server/webdav/request_body.h"

#include <map>

#include "server/error.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/property_name.h"

namespace orvex::server::webdav {
namespace {

constexpr char kXmlDecl[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

std::string RootAttributes() {
  return std::string(" xmlns:D=\"DAV:\" xmlns:b=\"") + kTypeNamespace + "\" xmlns:x=\"" +
         kMultiValueNamespace + "\"";
}

// Opening and closing tags of one property element. DAV: properties use the
// D: prefix; others declare their namespace as the element's default.
std::pair<std::string, std::string> PropertyTags(const std::string& full, std::string_view attrs) {
  PropertyName name = SplitPropertyName(full);
  if (!IsXmlLocalName(name.local))
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
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
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
        if (c < 0x20 && ch != '\t' && ch != '\n')
          throw Error(kErrGenericFailure, "text holds a character XML cannot carry");
        out += ch;
    }
  }
  return out;
}

}  // namespace orvex::server::webdav
