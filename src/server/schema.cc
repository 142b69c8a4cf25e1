#include "server/schema.h"

#include <optional>
#include <utility>

#include "platform/flag.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::server {
namespace {

std::string TextOf(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return {};
  if (value.IsArray()) throw Error(kErrGenericFailure, "a list where text was expected");
  return value.ToString();
}

Fields WithReadOnlyAlias(Fields fields) {
  const Variant& read_only = fields.Value(kPropIsReadOnly);
  if (!fields.Contains(kFieldPropertyReadOnly) && !read_only.IsNull())
    fields.Assign(kFieldPropertyReadOnly, read_only);
  return fields;
}

}  // namespace

SchemaDefinition::SchemaDefinition(SchemaKind kind, std::string id, Fields fields)
    : kind_(kind), id_(std::move(id)), fields_(WithReadOnlyAlias(std::move(fields))) {}

std::string SchemaDefinition::Title() const { return TextOf(fields_.Value(kPropDisplayName)); }

std::string SchemaDefinition::Description() const {
  return TextOf(fields_.Value(kPropDescription));
}

bool SchemaDefinition::IsRequired() const { return FlagOf(fields_.Value(kPropIsRequired)); }

bool SchemaDefinition::IsMultivalued() const { return FlagOf(fields_.Value(kPropIsMultivalued)); }

bool SchemaDefinition::IsRestricted() const { return FlagOf(fields_.Value(kPropIsRestricted)); }

std::vector<std::string> SchemaDefinition::Values() const {
  return StringList(fields_.Value(kPropDictionaryValues), kPropDictionaryValues);
}

std::vector<std::string> StringList(const Variant& value, const std::string& what) {
  std::vector<std::string> out;
  if (value.IsNull()) return out;
  if (!value.IsArray()) throw Error(kErrGenericFailure, what + " is not a list");
  out.reserve(value.array().size());
  for (const Variant& v : value.array()) {
    if (v.IsArray() || v.IsObject()) throw Error(kErrGenericFailure, what + " holds a non-text");
    out.push_back(v.IsNull() ? std::string() : v.ToString());
  }
  return out;
}

bool FlagOf(const Variant& value) {
  if (std::optional<bool> flag = platform::ParseFlag(value)) return *flag;
  throw Error(kErrGenericFailure, "a value that is not a flag");
}

}  // namespace orvex::server
