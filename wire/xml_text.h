// What may travel as XML 1.0 text and names. Both ends check what they write
// with these: the provider refuses to send what fails them, the server
// checks what it stores at the door and repairs what it answers, so a store
// written by an older version still answers with well-formed XML.
#ifndef ORVEX_WIRE_XML_TEXT_H_
#define ORVEX_WIRE_XML_TEXT_H_

#include <string>
#include <string_view>

namespace orvex::wire {

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

// `text` (XML text, see IsXmlText) with the characters XML reserves in text
// and attribute values escaped: & < > " and carriage return (which a reader
// would otherwise fold into a line feed).
std::string EscapeXml(std::string_view text);

inline constexpr char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";
inline constexpr char kXmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";

}  // namespace orvex::wire

#endif  // ORVEX_WIRE_XML_TEXT_H_
