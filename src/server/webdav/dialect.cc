#include "server/webdav/dialect.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "server/error.h"
#include "server/names.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/origin.h"
#include "server/webdav/request_body.h"
#include "server/webdav/resource_row.h"

namespace orvex::server::webdav {
namespace {

// The decoded segments of `path`, empty ones (from "//" or a final "/")
// left out.
std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    if (end > pos) out.push_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return out;
}

// A property definition's value type.
constexpr char kPropValueType[] = "urn:schemas-microsoft-com:exch-data:type";

// The built-in profile's properties: name, title, multi-valued, kind.
struct BuiltInProperty {
  const char* name;
  const char* title;
  bool multivalued;
  const char* extended_type;
};
constexpr BuiltInProperty kBuiltInProperties[] = {
    {kPropTitle, "Title", false, "Text"},
    {kPropAuthor, "Author", false, "Text"},
    {kPropDescription, "Description", false, "Comment box"},
    {kPropKeywords, "Keywords", true, "Text"},
};

class BuiltInDefinition : public SchemaDefinition {
 public:
  using SchemaDefinition::SchemaDefinition;

  std::unique_ptr<SchemaDefinition> PropertyDefinition(const std::string& id) override {
    if (kind() != SchemaKind::kContentClass)
      throw Error(kErrNotSupported, "only a content class definition lists properties");
    return BuiltInSchemaObject(SchemaKind::kProperty, id);
  }
};

}  // namespace

Dialect DialectOf(const Url& url) {
  std::string name;
  try {
    name = SettingsOf(url.host).dialect;
  } catch (const Error&) {
    return Dialect::kPortal;
  }
  if (name.empty() || name == "portal") return Dialect::kPortal;
  if (name == "webdav") return Dialect::kWebDav;
  throw Error(kErrGenericFailure,
              "host " + url.host + ": unknown dialect \"" + name + "\" (portal or webdav)");
}

std::string EverythingBody(Dialect dialect) {
  if (dialect == Dialect::kPortal) return AllPropBody();
  static const std::string body = PropBody(
      {kPropResourceType, kPropDisplayName, kPropIsReadOnly, kPropIsHidden, kPropIsCollection,
       "DAV:getcontentlength", "DAV:getcontenttype", "DAV:getlastmodified", "DAV:getetag",
       "DAV:creationdate", kPropTitle, kPropAuthor, kPropDescription, kPropKeywords});
  return body;
}

void PlainChanges(Fields::Changes& changes) {
  std::erase_if(changes, [](const auto& c) { return c.first == kPropContentClass; });
  for (auto& [name, value] : changes) {
    if (!value.IsArray()) continue;
    std::string joined;
    const VariantArray& values = value.array();
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) joined += ',';
      if (!values[i].IsNull()) joined += values[i].ToString();
    }
    value = Variant(std::move(joined));
  }
}

void DressPlainRow(Fields& row, bool workspace) {
  auto text = [&](const char* name) {
    const Variant& v = row.Value(name);
    return v.IsArray() || v.IsNull() ? std::string() : v.ToString();
  };
  const bool collection = FlagValue(row.Value(kColIsCollection));
  if (!collection) {
    if (text(kPropDisplayName).empty()) row.Assign(kPropDisplayName, row.Value(kColParseName));
    row.Assign(kPropContentClass, kBuiltInProfile);
    row.Assign(kColContentClass, kBuiltInProfile);
    VariantArray allowed{"read"};
    if (!FlagValue(row.Value(kColIsReadOnly)))
      allowed.insert(allowed.end(), {Variant("edit"), Variant("move"), Variant("delete")});
    row.AssignDefault(kPropOperationsAllowed, std::move(allowed));
    // The list kept as one text (PlainChanges) reads as its values again.
    if (Variant* keywords = row.Find(kPropKeywords); keywords != nullptr && !keywords->IsArray()) {
      VariantArray values;
      const std::string list = keywords->IsNull() ? std::string() : keywords->ToString();
      for (size_t pos = 0; !list.empty() && pos <= list.size();) {
        size_t comma = std::min(list.find(',', pos), list.size());
        values.emplace_back(list.substr(pos, comma - pos));
        pos = comma + 1;
      }
      *keywords = std::move(values);
    }
    return;
  }
  const std::string url = text(kColAbsoluteParseName);
  const size_t depth = Segments(HrefPath(url)).size();
  const bool is_workspace = workspace || depth == 1;
  const char* content_class = is_workspace ? kClassWorkspace : kClassKnowledgeFolder;
  row.Assign(kPropContentClass, content_class);
  row.Assign(kColContentClass, content_class);
  row.AssignDefault(kPropDescription, "");
  row.AssignDefault(kPropDocumentProfiles, VariantArray{Variant(kBuiltInProfile)});
  row.AssignDefault(kPropDefaultDocumentProfile, kBuiltInProfile);
  // A plain server does not say whether a folder has subfolders: every one
  // may have, so a walk looks into each.
  row.AssignDefault(kPropHasSubs, true);
  if (!is_workspace) return;
  row.AssignDefault(kPropDefaultContentClass, kBuiltInProfile);
  row.AssignDefault(kPropCategoriesFolder, kCategoriesFolder);
  // The schema lives nowhere on the server: the workspace itself stands
  // for its location, so an open there opens the workspace.
  row.AssignDefault(kPropSchemaCollectionRef, url);
}

CategoryPlace CategoryPlaceOf(std::string_view path) {
  std::vector<std::string_view> segments = Segments(path);
  if (segments.size() < 2 || segments[1] != kCategoriesFolder) return CategoryPlace::kOutside;
  return segments.size() == 2 ? CategoryPlace::kFolder : CategoryPlace::kBelow;
}

Fields EmptyCategoriesFolder(const Url& url) {
  ResourceResponse self;
  self.href = PercentEncodePath(std::string(TrimTrailingSlashes(PercentDecode(url.path)))) + "/";
  self.is_collection = true;
  self.properties = Fields(FieldMap{{kPropContentClass, kClassCategoryFolder},
                                    {kPropDescription, ""},
                                    {kPropHasSubs, false},
                                    {kPropHasChildren, false}});
  return ResourceRow(std::move(self), url);
}

std::unique_ptr<SchemaDefinition> BuiltInSchemaObject(SchemaKind kind, const std::string& id) {
  FieldMap fields;
  if (kind == SchemaKind::kContentClass && id == kBuiltInProfile) {
    VariantArray order;
    for (const BuiltInProperty& p : kBuiltInProperties) order.emplace_back(p.name);
    fields.insert_or_assign(kPropDisplayName, "Document");
    fields.insert_or_assign(kPropDescription, "");
    fields.insert_or_assign(kPropPropertyOrder, std::move(order));
    return std::make_unique<BuiltInDefinition>(kind, id, Fields(std::move(fields)));
  }
  if (kind == SchemaKind::kProperty) {
    for (const BuiltInProperty& p : kBuiltInProperties) {
      if (id != p.name) continue;
      fields.insert_or_assign(kPropDisplayName, p.title);
      fields.insert_or_assign(kPropDescription, "");
      fields.insert_or_assign(kPropIsRequired, false);
      fields.insert_or_assign(kPropExtendedType, p.extended_type);
      fields.insert_or_assign(kPropIsMultivalued, p.multivalued);
      fields.insert_or_assign(kPropDictionary, "");
      fields.insert_or_assign(kPropIsRetrieved, false);
      fields.insert_or_assign(kPropValueType, p.multivalued ? "mv.string" : "string");
      fields.insert_or_assign(kPropIsReadOnly, false);
      return std::make_unique<BuiltInDefinition>(kind, id, Fields(std::move(fields)));
    }
  }
  throw Error(kErrObjectNotFound, "this server keeps no schema object " + id);
}

}  // namespace orvex::server::webdav
