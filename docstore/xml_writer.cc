#include "docstore/xml_writer.h"

#include <ostream>

#include <boost/beast/http/status.hpp>

#include "docstore/xml_reader.h"
#include "docstore/xml_text.h"

namespace orvex::docstore {

std::string XmlEscape(std::string_view text) {
  std::string repaired;
  if (!IsXmlText(text)) {
    repaired = RepairXmlText(text);
    text = repaired;
  }
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
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
      default:
        out += c;
    }
  }
  return out;
}

std::string StatusLine(int code) {
  auto reason = boost::beast::http::obsolete_reason(static_cast<boost::beast::http::status>(code));
  return "HTTP/1.1 " + std::to_string(code) + " " + std::string(reason);
}

MultistatusWriter::MultistatusWriter() {
  out_ =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<D:multistatus xmlns:D=\"DAV:\" xmlns:b=\"";
  out_ += kTypesNs;
  out_ += "\" xmlns:x=\"";
  out_ += kValuesNs;
  out_ += "\">";
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
  if (!IsXmlName(prop.name.local) || IsReservedNamespace(prop.name.ns)) return;
  // DAV: properties use the declared prefix; any other namespace becomes the
  // default namespace of the property element.
  std::string open;
  std::string close;
  if (prop.name.ns == "DAV:") {
    open = "<D:" + prop.name.local;
    close = "</D:" + prop.name.local + ">";
  } else {
    open = "<" + prop.name.local + " xmlns=\"" + XmlEscape(prop.name.ns) + "\"";
    close = "</" + prop.name.local + ">";
  }
  const PropValue& value = prop.value;
  if (names_only) {
    out_ += open + "/>";
    return;
  }
  if (value.type == "#resourcetype") {
    out_ += open + "><D:collection/>" + close;
    return;
  }
  if (value.type == "#xml") {
    // A fragment goes out as XML only when it stands as XML; anything else
    // (kept by an older version) goes out as text.
    if (ParseXml("<v>" + value.text + "</v>").root)
      out_ += open + ">" + value.text + close;
    else
      out_ += open + ">" + XmlEscape(value.text) + close;
    return;
  }
  if (!value.type.empty()) open += " b:dt=\"" + XmlEscape(value.type) + "\"";
  if (value.IsMulti()) {
    out_ += open + ">";
    for (const auto& v : value.values) out_ += "<x:v>" + XmlEscape(v) + "</x:v>";
    out_ += close;
    return;
  }
  if (value.text.empty()) {
    out_ += open + "/>";
    return;
  }
  out_ += open + ">" + XmlEscape(value.text) + close;
}

}  // namespace orvex::docstore
