#include "wire/typed_xml.h"

#include "wire/names.h"
#include "wire/xml_text.h"

namespace orvex::wire {

std::string PropertyNamespaces() {
  return std::string(" xmlns:D=\"") + kDav + "\" xmlns:b=\"" + kTypesNs + "\" xmlns:x=\"" +
         kValuesNs + "\"";
}

PropertyTags TagsOf(const PropertyName& name) {
  if (name.ns == kDav) return {"<D:" + name.local, "</D:" + name.local + ">"};
  return {"<" + name.local + " xmlns=\"" + EscapeXml(name.ns) + "\"", "</" + name.local + ">"};
}

namespace {

void AppendType(std::string& out, std::string_view dt) {
  if (dt.empty()) return;
  out += " b:dt=\"";
  out += EscapeXml(dt);
  out += '"';
}

}  // namespace

void AppendTypedProperty(std::string& out, const PropertyName& name, std::string_view dt,
                         std::string_view text) {
  AppendTypedProperty(out, TagsOf(name), dt, text);
}

void AppendTypedProperty(std::string& out, const PropertyTags& tags, std::string_view dt,
                         std::string_view text) {
  out += tags.open;
  AppendType(out, dt);
  if (text.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  out += EscapeXml(text);
  out += tags.close;
}

void AppendMultiValuedProperty(std::string& out, const PropertyName& name, std::string_view dt,
                               const std::vector<std::string>& values) {
  AppendMultiValuedProperty(out, TagsOf(name), dt, values);
}

void AppendMultiValuedProperty(std::string& out, const PropertyTags& tags, std::string_view dt,
                               const std::vector<std::string>& values) {
  out += tags.open;
  AppendType(out, dt);
  out += '>';
  for (const auto& v : values) {
    out += "<x:v>";
    out += EscapeXml(v);
    out += "</x:v>";
  }
  out += tags.close;
}

void AppendPropertyName(std::string& out, const PropertyName& name) {
  out += TagsOf(name).open;
  out += "/>";
}

}  // namespace orvex::wire
