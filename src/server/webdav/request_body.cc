#include "server/webdav/request_body.h"

#include <cstdint>
#include <map>
#include <vector>

#include "server/error.h"
#include "server/names.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/property_name.h"
#include "wire/typed_xml.h"
#include "wire/xml_text.h"

namespace orvex::server::webdav {
namespace {

constexpr char kXmlDecl[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// The property name as it goes on the wire; throws for one that cannot be an
// element there.
PropertyName WritableName(const std::string& full) {
  PropertyName name = SplitPropertyName(full);
  if (!wire::IsXmlName(name.local) || !wire::IsXmlText(name.local) || !wire::IsXmlText(name.ns) ||
      wire::IsReservedNamespace(name.ns))
    throw Error(kErrGenericFailure, "property name cannot be written: " + full);
  return name;
}

// `text` as it may be written; throws for text a server could not store and
// answer as XML.
std::string Writable(std::string text) {
  if (!wire::IsXmlText(text))
    throw Error(kErrGenericFailure, "text holds a character XML cannot carry");
  return text;
}

void AppendProperty(std::string& out, const std::string& full, const Variant& value) {
  PropertyName name = WritableName(full);
  switch (value.type()) {
    case VariantType::kBool:
      wire::AppendTypedProperty(out, name, "boolean", value.ToBool() ? "1" : "0");
      return;
    case VariantType::kI4:
      wire::AppendTypedProperty(out, name, "int", value.ToString());
      return;
    case VariantType::kI2:
      wire::AppendTypedProperty(out, name, "i2", value.ToString());
      return;
    case VariantType::kEmpty:
    case VariantType::kString:
      wire::AppendTypedProperty(out, name, "", Writable(value.ToString()));
      return;
    case VariantType::kArray: {
      std::vector<std::string> values;
      for (const Variant& v : value.array()) {
        if (v.IsArray() || v.IsObject() || v.IsNull())
          throw Error(kErrGenericFailure, "value of " + full + " cannot be written");
        values.push_back(Writable(v.ToString()));
      }
      wire::AppendMultiValuedProperty(out, name, "mv.string", values);
      return;
    }
    case VariantType::kNull:
      wire::AppendPropertyName(out, name);
      return;
    case VariantType::kObject:
      break;
  }
  throw Error(kErrGenericFailure, "value of " + full + " cannot be written");
}

}  // namespace

std::string AllPropBody() {
  return std::string(kXmlDecl) + "<D:propfind xmlns:D=\"DAV:\"><D:allprop/></D:propfind>";
}

std::string PropBody(const std::vector<std::string>& names) {
  std::string out = std::string(kXmlDecl) + "<D:propfind xmlns:D=\"DAV:\"><D:prop>";
  for (const std::string& name : names) wire::AppendPropertyName(out, WritableName(name));
  return out + "</D:prop></D:propfind>";
}

// ResourceRow derives the resource columns from the properties named for
// them; DAV:href and the parse names come from the response's href.
// DAV:resourcetype is always named, so every row's RESOURCE_ISCOLLECTION
// is right and the body never names nothing.
std::string ListingBody(std::span<const char* const> columns) {
  if (columns.empty()) return AllPropBody();
  std::vector<std::string> names{kPropResourceType};
  auto add = [&](const char* name) {
    for (const std::string& n : names)
      if (n == name) return;
    names.emplace_back(name);
  };
  for (const char* column : columns) {
    std::string_view c(column);
    if (c == kColDisplayName)
      add(kPropDisplayName);
    else if (c == kColContentClass)
      add(kPropContentClass);
    else if (c == kColIsReadOnly)
      add(kPropIsReadOnly);
    else if (c == kColIsHidden)
      add(kPropIsHidden);
    else if (c == kColIsCollection)
      add(kPropIsCollection);
    else if (c != kPropHref && c != kColParseName && c != kColAbsoluteParseName)
      add(column);
  }
  return PropBody(names);
}

std::string CheckinBody(std::string_view comment) {
  return std::string(kXmlDecl) + "<D:checkin xmlns:D=\"DAV:\"><D:comment>" + XmlEscape(comment) +
         "</D:comment></D:checkin>";
}

std::string VersionTreeBody() {
  std::string out = std::string(kXmlDecl) + "<D:version-tree xmlns:D=\"DAV:\"><D:prop>";
  for (const char* name : {kPropFriendlyVersionID, kPropVersionComment, kPropCreatedTimeStamp,
                           kPropVersionDomain, kPropVersionUser})
    wire::AppendPropertyName(out, wire::SplitPropertyName(name));
  return out + "</D:prop></D:version-tree>";
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
  out += "<D:propertyupdate" + wire::PropertyNamespaces() + ">";
  // One block per property: a server that keeps only the first property of
  // a block (while answering success for all) then loses none of them.
  for (const auto& [name, value] : changes) {
    const bool remove = value.IsNull();
    out += remove ? "<D:remove><D:prop>" : "<D:set><D:prop>";
    AppendProperty(out, name, value);
    out += remove ? "</D:prop></D:remove>" : "</D:prop></D:set>";
  }
  out += "</D:propertyupdate>";
  return out;
}

std::string MkcolBody(const Fields::Changes& changes) {
  std::string out = kXmlDecl;
  // The resource type says what to make; servers that take extended MKCOL
  // may refuse a body without it.
  out += "<D:mkcol" + wire::PropertyNamespaces() +
         "><D:set><D:prop><D:resourcetype><D:collection/></D:resourcetype>";
  for (const auto& [name, value] : changes) {
    if (!value.IsNull()) AppendProperty(out, name, value);
  }
  out += "</D:prop></D:set></D:mkcol>";
  return out;
}

std::string XmlEscape(std::string_view text) {
  if (!wire::IsXmlText(text))
    throw Error(kErrGenericFailure, "text holds a character XML cannot carry");
  return wire::EscapeXml(text);
}

}  // namespace orvex::server::webdav
