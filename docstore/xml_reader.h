// Request bodies as a small element tree, parsed with expat, namespaces
// resolved to URIs.
//
// The parser refuses any document type declaration (and with it every
// entity definition, so no entity can expand), invalid UTF-8, text holding a
// control character or a non-character (see wire::IsXmlText), nesting deeper than
// 64 levels and more than 100,000 elements.
#ifndef ORVEX_DOCSTORE_XML_READER_H_
#define ORVEX_DOCSTORE_XML_READER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::docstore {

struct XmlAttr {
  std::string ns;
  std::string name;
  std::string value;
};

struct XmlElement {
  std::string ns;
  std::string name;
  std::vector<XmlAttr> attrs;
  std::vector<XmlElement> children;
  // texts[i] is the character data before children[i]; texts.back() follows
  // the last child. texts.size() == children.size() + 1.
  std::vector<std::string> texts{""};

  bool Is(std::string_view want_ns, std::string_view want_name) const {
    return ns == want_ns && name == want_name;
  }
  // The first child with that name, or null.
  const XmlElement* Child(std::string_view want_ns, std::string_view want_name) const;
  // All character data directly inside this element.
  std::string Text() const;
  // The value of an attribute, or null.
  const std::string* Attr(std::string_view want_ns, std::string_view want_name) const;
  // The element's content (text and child elements) as XML; every element
  // declares its own namespace, so the fragment stands alone.
  std::string InnerXml() const;
};

struct XmlParseResult {
  std::optional<XmlElement> root;
  std::string error;  // why parsing failed, when root is empty
};

XmlParseResult ParseXml(std::string_view text);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_XML_READER_H_
