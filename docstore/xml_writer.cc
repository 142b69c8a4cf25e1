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

void MultistatusWriter::BeginResponse(std::string_view href) {
  out_ += "<D:response><D:href>";
  out_ += XmlEscape(href);
  out_ += "</D:href>";
}

void MultistatusWriter::PropStat(const std::vector<PropOut>& props, std::string_view status,
                                 bool names_only) {
  out_ += "<D:propstat><D:prop>";
  for (const auto& prop : props) WriteProp(prop, names_only);
  out_ += "</D:prop><D:status>";
  out_ += status;
  out_ += "</D:status></D:propstat>";
}

void MultistatusWriter::Status(std::string_view status) {
  out_ += "<D:status>";
  out_ += status;
  out_ += "</D:status>";
}

void MultistatusWriter::EndResponse() { out_ += "</D:response>\n"; }

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
  if (names_only) {
    wire::AppendPropertyName(out_, prop.name);
    return;
  }
  auto repaired = [](const std::string& text) {
    return wire::IsXmlText(text) ? text : wire::RepairXmlText(text);
  };
  if (value.type == "#resourcetype" || value.type == "#xml" || value.type == "#dav") {
    wire::PropertyTags tags = wire::TagsOf(prop.name);
    if (value.type == "#dav") {
      out_ += tags.open + ">" + value.text + tags.close;
    } else if (value.type == "#resourcetype") {
      out_ += tags.open + "><D:collection/>" + tags.close;
    } else if (ParseXml("<v>" + value.text + "</v>").root) {
      // A fragment goes out as XML only when it stands as XML; anything else
      // (kept by an older version) goes out as text.
      out_ += tags.open + ">" + value.text + tags.close;
    } else {
      out_ += tags.open + ">" + XmlEscape(value.text) + tags.close;
    }
    return;
  }
  if (value.IsMulti()) {
    std::vector<std::string> values;
    values.reserve(value.values.size());
    for (const auto& v : value.values) values.push_back(repaired(v));
    wire::AppendMultiValuedProperty(out_, prop.name, repaired(value.type), values);
    return;
  }
  wire::AppendTypedProperty(out_, prop.name, repaired(value.type), repaired(value.text));
}

}  // namespace orvex::docstore
