// The names the engine reads and writes: the provider's own resource
// columns, and the protocol's property names and content classes.
#ifndef ORVEX_SERVER_NAMES_H_
#define ORVEX_SERVER_NAMES_H_

#include "wire/names.h"

namespace orvex::server {

// Resource columns every row and item carries.
inline constexpr char kColParseName[] = "RESOURCE_PARSENAME";
inline constexpr char kColAbsoluteParseName[] = "RESOURCE_ABSOLUTEPARSENAME";
inline constexpr char kColContentClass[] = "RESOURCE_CONTENTCLASS";
inline constexpr char kColDisplayName[] = "RESOURCE_DISPLAYNAME";
inline constexpr char kColIsReadOnly[] = "RESOURCE_ISREADONLY";
inline constexpr char kColIsHidden[] = "RESOURCE_ISHIDDEN";
inline constexpr char kColIsCollection[] = "RESOURCE_ISCOLLECTION";

// The display name as a listing row reads it.
inline constexpr char kPropListDisplayName[] = "DAV:Displayname";

// Property names and content classes are the wire's (wire/names.h).
using namespace ::orvex::wire::names;

// Properties of a version in a document's history.
inline constexpr char kPropFriendlyVersionID[] =
    "urn:schemas-microsoft-com:publishing:FriendlyVersionID";
inline constexpr char kPropVersionComment[] = "urn:schemas-microsoft-com:publishing:Comment";
inline constexpr char kPropCreatedTimeStamp[] =
    "urn:schemas-microsoft-com:publishing:CreatedTimeStamp";
inline constexpr char kPropVersionDomain[] = "urn:schemas-microsoft-com:publishing:Domain";
inline constexpr char kPropVersionUser[] = "urn:schemas-microsoft-com:publishing:User";

}  // namespace orvex::server

#endif  // ORVEX_SERVER_NAMES_H_
