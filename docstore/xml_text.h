// What may travel as XML 1.0 text and names. Everything the server stores
// from a request (resource names, header values it keeps, property names and
// values) passes these checks at the door; everything it writes into an
// answer passes through the repair, so a store written by an older version
// still answers with well-formed XML.
#ifndef ORVEX_DOCSTORE_XML_TEXT_H_
#define ORVEX_DOCSTORE_XML_TEXT_H_

#include <string>
#include <string_view>

namespace orvex::docstore {

// Valid UTF-8 made only of characters XML 1.0 carries and a reader can take
// at face value: no control character other than tab, line feed and carriage
// return (C0, DEL and C1 alike) and no Unicode non-character (U+FDD0..U+FDEF,
// U+xFFFE and U+xFFFF of every plane).
bool IsXmlText(std::string_view text);

// `text` with every invalid UTF-8 sequence and non-character replaced by
// U+FFFD and every other control character left out (tab, line feed and
// carriage return stay).
std::string RepairXmlText(std::string_view text);

// A name usable as an element's local name (an XML 1.0 NCName: no colon).
bool IsXmlName(std::string_view name);

// The namespaces no property may live in: the one the "xml" prefix is bound
// to and the one of namespace declarations. Neither can be declared, so a
// property there could not be written back.
bool IsReservedNamespace(std::string_view ns);

inline constexpr char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";
inline constexpr char kXmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_XML_TEXT_H_
