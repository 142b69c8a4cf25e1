// Property names: the full name a client uses ("DAV:displayname",
// "urn:schemas-microsoft-com:office:office#Author") and the XML namespace and
// local name it travels as. Both are the wire's (wire/property_name.h).
#ifndef ORVEX_DOCSTORE_PROP_NAME_H_
#define ORVEX_DOCSTORE_PROP_NAME_H_

#include "wire/property_name.h"

namespace orvex::docstore {

using PropName = wire::PropertyName;
using wire::JoinPropertyName;
using wire::SplitPropertyName;

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_PROP_NAME_H_
