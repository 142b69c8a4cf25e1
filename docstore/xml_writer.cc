#include "docstore/xml_writer.h"

#include <ostream>

#include <boost/beast/http/status.hpp>

#include "docstore/xml_reader.h"
#include "wire/typed_xml.h"
#include "wire/xml_text.h"

namespace orvex::docstore {

std::string XmlEscape(std::string_view text) {
  if (wire::IsXmlText(text)) return wire::EscapeXml(text);
  return wire::EscapeXml(wire::RepairXmlText(text));
}

std::string StatusLine(int code) {
  auto reason = boost::beast::http::obsolete_reason(static_cast<boost::beast::http::status>(code));
  return "HTTP/1.1 " + std::to_string(code) + " " + std::string(reason);
}

MultistatusWriter::MultistatusWriter() {
  out_ = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:multistatus" + wire::PropertyNamespaces() +
         ">";
}

void MultistatusWriter::BeginResponse(std::string_view href,
                                      const std::vector<std::string>& namespaces) {
  prefixes_.clear();
  out_ += "<D:response";
  for (const auto& ns : namespaces) {
    // DAV: has its prefix on the root; the empty namespace and the reserved
    // ones cannot be bound to a prefix.
    if (ns.empty() || ns == kDav || wire::IsReservedNamespace(ns) || prefixes_.count(ns)) continue;
    std::string prefix = "n" + std::to_string(prefixes_.size());
    out_ += " xmlns:" + prefix + "=\"" + XmlEscape(ns) + "\"";
    prefixes_.emplace(ns, std::move(prefix));
  }
  out_ += "><D:href>";
  out_ += XmlEscape(href);
  out_ += "</D:href>";
}

void MultistatusWriter::PropStat(const std::vector<PropOut>& props, std::string_view status,
                                 bool names_only) {
  BeginPropStat();
  for (const auto& prop : props) WriteProp(prop, names_only);
  EndPropStat(status);
}

void MultistatusWriter::BeginPropStat() { out_ += "<D:propstat><D:prop>"; }

void MultistatusWriter::EndPropStat(std::string_view status) {
  out_ += "</D:prop><D:status>";
  out_ += status;
  out_ += "</D:status></D:propstat>";
}

wire::PropertyTags MultistatusWriter::TagsFor(const PropName& name) const {
  auto it = prefixes_.find(name.ns);
  if (it == prefixes_.end()) return wire::TagsOf(name);
  std::string qualified = it->second + ":" + name.local;
  return {"<" + qualified, "</" + qualified + ">"};
}

void MultistatusWriter::Status(std::string_view status) {
  out_ += "<D:status>";
  out_ += status;
  out_ += "</D:status>";
}

void MultistatusWriter::EndResponse() {
  out_ += "</D:response>\n";
  prefixes_.clear();
}

std::string MultistatusWriter::Take() {
  std::string piece = std::move(out_);
  out_.clear();
  return piece;
}

std::string MultistatusWriter::Finish() {
  out_ += "</D:multistatus>\n";
  return std::move(out_);
}

void MultistatusWriter::WriteProp(const PropOut& prop, bool names_only) {
  // A name that cannot be an element (kept by an older version of the
  // store) is left out rather than breaking the whole answer.
  if (!wire::IsXmlName(prop.name.local) || wire::IsReservedNamespace(prop.name.ns)) return;
  const PropValue& value = prop.value;
  wire::PropertyTags tags = TagsFor(prop.name);
  if (names_only) {
    out_ += tags.open + "/>";
    return;
  }
  auto repaired = [](const std::string& text) {
    return wire::IsXmlText(text) ? text : wire::RepairXmlText(text);
  };
  if (value.type == "#resourcetype" || value.type == "#xml" || value.type == "#dav") {
    if (value.type == "#dav") {
      out_ += tags.open + ">" + value.text + tags.close;
    } else if (value.type == "#resourcetype") {
      out_ += tags.open + "><D:collection/>" + tags.close;
    } else if (ParseXml("<v>" + value.text + "</v>").root) {
      // A fragment goes out as XML only when it stands as XML; anything else
      // (kept by an older version) goes out as text. Its unprefixed elements
      // are in the property's namespace, which it keeps as its default.
      wire::PropertyTags own = wire::TagsOf(prop.name);
      out_ += own.open + ">" + value.text + own.close;
    } else {
      out_ += tags.open + ">" + XmlEscape(value.text) + tags.close;
    }
    return;
  }
  if (value.IsMulti()) {
    std::vector<std::string> values;
    values.reserve(value.values.size());
    for (const auto& v : value.values) values.push_back(repaired(v));
    wire::AppendMultiValuedProperty(out_, tags, repaired(value.type), values);
    return;
  }
  wire::AppendTypedProperty(out_, tags, repaired(value.type), repaired(value.text));
}

}  // namespace orvex::docstore
