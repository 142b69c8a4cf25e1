// Full property names and their XML form: the wire's (wire/property_name.h),
// with the check of which local names an element can carry.
#ifndef ORVEX_SERVER_WEBDAV_PROPERTY_NAME_H_
#define ORVEX_SERVER_WEBDAV_PROPERTY_NAME_H_

#include <string_view>

#include "wire/property_name.h"
#include "wire/xml_text.h"

namespace orvex::server::webdav {

using wire::JoinPropertyName;
using wire::PropertyName;
using wire::SplitPropertyName;

// True when `local` can be written as an XML element name (no prefix).
inline bool IsXmlLocalName(std::string_view local) { return wire::IsXmlName(local); }

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_PROPERTY_NAME_H_
