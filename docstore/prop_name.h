// Property names: the full name a client uses ("DAV:displayname",
// "urn:schemas-microsoft-com:office:office#Author") and the XML namespace and
// local name it travels as.
#ifndef ORVEX_DOCSTORE_PROP_NAME_H_
#define ORVEX_DOCSTORE_PROP_NAME_H_

#include <string>
#include <string_view>

namespace orvex::docstore {

struct PropName {
  std::string ns;
  std::string local;

  // The full name: ns + local when ns ends with one of "/ : ; ?", otherwise
  // ns + "#" + local.
  std::string Full() const;

  bool operator==(const PropName&) const = default;
  auto operator<=>(const PropName&) const = default;
};

// Splits a full name at its last "/", ":", ";", "#" or "?". A "#" separator
// is dropped; any other stays at the end of the namespace. A name without a
// separator has an empty namespace.
PropName SplitPropName(std::string_view full);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_PROP_NAME_H_
