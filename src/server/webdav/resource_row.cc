#include "server/webdav/resource_row.h"

#include "platform/flag.h"
#include "server/names.h"
#include "wire/url_value.h"

namespace orvex::server::webdav {

bool FlagValue(const Variant& value) { return platform::ParseFlag(value).value_or(false); }

const FieldIndex& RowColumns() {
  static const FieldIndex columns{
      kPropHref, kColAbsoluteParseName, kColParseName, kColDisplayName, kColContentClass,
      kColIsReadOnly, kColIsHidden, kColIsCollection,
      // Given by the webdav dialect to what a plain server lists.
      kPropDisplayName, kPropContentClass, kPropOperationsAllowed, kPropKeywords, kPropDescription,
      kPropDocumentProfiles, kPropDefaultDocumentProfile, kPropHasSubs, kPropDefaultContentClass,
      kPropCategoriesFolder, kPropSchemaCollectionRef};
  return columns;
}

Fields ResourceRow(ResourceResponse response, const Url& request) {
  Fields row = std::move(response.properties);
  // URLs the server hands out are held unescaped, like the URLs the engine
  // builds, so appending a name and sending the result escapes each name
  // once.
  for (std::string_view name : wire::kUrlProperties) {
    Variant* value = row.Find(name);
    if (value != nullptr && value->type() == VariantType::kString)
      *value = Variant(wire::UnescapedUrlValue(value->ToString()));
  }

  std::string authority = HrefAuthority(response.href);
  if (authority.empty()) authority = request.authority;
  std::string path = PercentDecode(HrefPath(response.href));
  std::string base = request.scheme + "://" + authority;

  // The server's own values are read before the columns below are set.
  const Variant& display = row.Value(kPropDisplayName);
  std::string display_name = !display.IsNull() && !display.IsArray() ? display.ToString() : "";
  const Variant& content_class = row.Value(kPropContentClass);
  std::string content_class_name =
      !content_class.IsNull() && !content_class.IsArray() ? content_class.ToString() : "";
  const bool read_only = FlagValue(row.Value(kPropIsReadOnly));
  const bool hidden = FlagValue(row.Value(kPropIsHidden));
  const bool collection = response.is_collection || FlagValue(row.Value(kPropIsCollection));

  std::string parse_name(LastSegment(path));
  row.Assign(kPropHref, base + path);
  row.Assign(kColAbsoluteParseName, base + std::string(TrimTrailingSlashes(path)));
  row.Assign(kColDisplayName, display_name.empty() ? parse_name : std::move(display_name));
  row.Assign(kColParseName, std::move(parse_name));
  row.Assign(kColContentClass, std::move(content_class_name));
  row.Assign(kColIsReadOnly, read_only);
  row.Assign(kColIsHidden, hidden);
  row.Assign(kColIsCollection, collection);
  return row;
}

}  // namespace orvex::server::webdav
