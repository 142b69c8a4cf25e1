#include "server/webdav/resource_row.h"

#include "platform/flag.h"
#include "server/names.h"
#include "wire/url_value.h"

namespace orvex::server::webdav {

bool FlagValue(const Variant& value) { return platform::ParseFlag(value).value_or(false); }

Fields::Map ResourceRow(ResourceResponse response, const Url& request) {
  Fields::Map row = std::move(response.properties);
  // URLs the server hands out are held unescaped, like the URLs the engine
  // builds, so appending a name and sending the result escapes each name
  // once.
  for (std::string_view name : wire::kUrlProperties) {
    auto it = row.find(name);
    if (it != row.end() && it->second.type() == VariantType::kString)
      it->second = Variant(wire::UnescapedUrlValue(it->second.ToString()));
  }
  // The server's own values, read before the columns below are added.
  auto prop = [&](const char* name) -> const Variant* {
    auto it = row.find(name);
    return it == row.end() ? nullptr : &it->second;
  };

  std::string authority = HrefAuthority(response.href);
  if (authority.empty()) authority = request.authority;
  std::string path = PercentDecode(HrefPath(response.href));
  std::string base = request.scheme + "://" + authority;

  std::string parse_name(LastSegment(path));
  row[kPropHref] = base + path;
  row[kColAbsoluteParseName] = base + std::string(TrimTrailingSlashes(path));
  row[kColParseName] = parse_name;

  const Variant* display = prop(kPropDisplayName);
  std::string display_name = display != nullptr && !display->IsArray() ? display->ToString() : "";
  row[kColDisplayName] = display_name.empty() ? parse_name : display_name;

  const Variant* content_class = prop(kPropContentClass);
  row[kColContentClass] =
      content_class != nullptr && !content_class->IsArray() ? content_class->ToString() : "";

  auto flag = [&](const char* name) {
    const Variant* v = prop(name);
    return v != nullptr && FlagValue(*v);
  };
  row[kColIsReadOnly] = flag(kPropIsReadOnly);
  row[kColIsHidden] = flag(kPropIsHidden);
  row[kColIsCollection] = response.is_collection || flag(kPropIsCollection);
  return row;
}

}  // namespace orvex::server::webdav
