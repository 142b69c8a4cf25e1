// Property values that are URLs, and the one form each end holds them in.
//
// A few property values name another resource by its URL:
//   DAV:parentname                                            every resource's parent collection
//   urn:schemas-microsoft-com:exch-data:schema-collection-ref a workspace's schema folder
//   urn:schemas-microsoft-com:publishing:WorkingCopy          a checked-out document's working copy
// On the wire each is written like an href: an absolute URL whose path is
// percent-encoded the way PercentEncodePath encodes ("http://docs/Intl%20Work/Schema"),
// and so are the Location headers the server sends. A client holds every
// URL unescaped, the form it builds URLs in by plain concatenation
// ("http://docs/Intl Work/Schema"), and escapes the path once when it sends
// it; so a URL the server handed out is decoded once when it is read
// (UnescapedUrlValue), and a name is escaped exactly once on the wire
// whichever way its URL came together.
//
// A name that is not a URL travels as the name itself: a workspace's
// urn:schemas-microsoft-com:workspace#CategoriesFolder is "Categories" (or
// "Team & Co"), never escaped, and is inserted into URLs as it is.
#ifndef ORVEX_WIRE_URL_VALUE_H_
#define ORVEX_WIRE_URL_VALUE_H_

#include <array>
#include <string>
#include <string_view>

#include "wire/names.h"

namespace orvex::wire {

// The full names of the properties whose values are URLs.
inline constexpr std::array<std::string_view, 3> kUrlProperties = {
    names::kPropParentName, names::kPropSchemaCollectionRef, names::kPropWorkingCopy};

// The wire form of the URL of the decoded absolute `path` on `origin`
// ("http://docs"): the origin, then the path percent-encoded; the root ("/"
// or "") is the origin alone, so no value ends in a slash.
std::string WireUrlValue(std::string_view origin, std::string_view path);

// The form a client holds a URL value in: everything after the authority
// ("scheme://host[:port]") decoded once, the scheme and authority kept as
// written. A value without a scheme is decoded whole. A '%' not followed by
// two hex digits stays as it is.
std::string UnescapedUrlValue(std::string_view value);

}  // namespace orvex::wire

#endif  // ORVEX_WIRE_URL_VALUE_H_
