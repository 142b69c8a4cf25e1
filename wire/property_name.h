// Full property names and their XML form.
//
// Callers name a property by one string ("DAV:displayname",
// "urn:schemas-microsoft-com:office:office#Author"); on the wire it is an XML
// element: a namespace URI plus a local name. A full name splits at its last
// '/', ':', ';', '#' or '?'. A '#' separator belongs to neither part; any
// other separator stays at the end of the namespace. Joining reverses this.
#ifndef ORVEX_WIRE_PROPERTY_NAME_H_
#define ORVEX_WIRE_PROPERTY_NAME_H_

#include <string>
#include <string_view>

namespace orvex::wire {

struct PropertyName {
  std::string ns;     // namespace URI; empty for a name without a separator
  std::string local;  // local element name

  bool operator==(const PropertyName&) const = default;
  auto operator<=>(const PropertyName&) const = default;
};

PropertyName SplitPropertyName(std::string_view full);

// ns + local when ns is empty or ends with '/', ':', ';' or '?';
// otherwise ns + "#" + local.
std::string JoinPropertyName(std::string_view ns, std::string_view local);

}  // namespace orvex::wire

#endif  // ORVEX_WIRE_PROPERTY_NAME_H_
