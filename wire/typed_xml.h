// Writing properties with typed values, the form both ends put in their
// bodies (PROPPATCH and extended MKCOL requests, multistatus answers).
//
// The root element declares the prefixes PropertyNamespaces names: D for
// DAV:, b for the namespace of the type attribute dt, x for the namespace of
// the v elements of a multi-valued value. A DAV: property is written with
// the D prefix; any other declares its namespace as the element's default:
//
//   <D:ishidden b:dt="boolean">1</D:ishidden>
//   <Keywords xmlns="urn:schemas-microsoft-com:office:office" b:dt="mv.string">
//     <x:v>forecast</x:v><x:v>sales</x:v></Keywords>
//
// Names and text must be writable (IsXmlName, IsXmlText, no reserved
// namespace): each end checks or repairs them first, by its own rules.
#ifndef ORVEX_WIRE_TYPED_XML_H_
#define ORVEX_WIRE_TYPED_XML_H_

#include <string>
#include <string_view>
#include <vector>

#include "wire/property_name.h"

namespace orvex::wire {

// The prefix declarations of a root element: ` xmlns:D="DAV:" xmlns:b=...`.
std::string PropertyNamespaces();

// A property element's opening tag without its closing '>' (so attributes
// may follow), and its closing tag.
struct PropertyTags {
  std::string open;
  std::string close;
};
PropertyTags TagsOf(const PropertyName& name);

// The property with a scalar value of type `dt` ("" for untyped); an empty
// `text` gives an empty element.
void AppendTypedProperty(std::string& out, const PropertyName& name, std::string_view dt,
                         std::string_view text);

// The property with one x:v element per value.
void AppendMultiValuedProperty(std::string& out, const PropertyName& name, std::string_view dt,
                               const std::vector<std::string>& values);

// The same with tags of the writer's own (a prefix it declared for the
// property's namespace).
void AppendTypedProperty(std::string& out, const PropertyTags& tags, std::string_view dt,
                         std::string_view text);
void AppendMultiValuedProperty(std::string& out, const PropertyTags& tags, std::string_view dt,
                               const std::vector<std::string>& values);

// The property's empty element: a name without a value (PROPFIND propname,
// a DAV:remove, a failed propstat).
void AppendPropertyName(std::string& out, const PropertyName& name);

}  // namespace orvex::wire

#endif  // ORVEX_WIRE_TYPED_XML_H_
