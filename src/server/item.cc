#include "server/item.h"

#include "server/error.h"
#include "server/names.h"

namespace orvex::server {

const char* ItemKindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::kWorkspaceRoot:
      return "WorkspaceRoot";
    case ItemKind::kWorkspaceFolder:
      return "WorkspaceFolder";
    case ItemKind::kDocumentFolder:
      return "DocumentFolder";
    case ItemKind::kDocument:
      return "Document";
    case ItemKind::kCategoryFolder:
      return "CategoryFolder";
  }
  return "?";
}

std::string Item::ContentClass() const {
  const Variant& v = fields_.Value(kPropContentClass);
  return v.IsNull() ? std::string() : v.ToString();
}

void Item::OpenDocument(const std::string&, int32_t) { ThrowNotSupported("OpenDocument"); }

void Item::Save() { ThrowNotSupported("Save"); }

Stream& Item::ContentStream() {
  if (kind() != ItemKind::kDocument) ThrowNotSupported("ContentStream");
  if (!stream_) stream_ = std::make_unique<Stream>();
  return *stream_;
}

void Item::SetContentClass(const std::string& content_class) {
  fields_.SetValue(kPropContentClass, content_class);
}

void Item::ThrowNotSupported(const char* call) const {
  throw Error(kErrNotSupported, std::string(call) + " is not offered by a " + ItemKindName(kind()));
}

Recordset Item::ListItems() { ThrowNotSupported("ListItems"); }

std::vector<std::string> Item::DocumentProfiles() { ThrowNotSupported("DocumentProfiles"); }

std::string Item::DefaultDocumentProfile() { ThrowNotSupported("DefaultDocumentProfile"); }

std::unique_ptr<SchemaDefinition> Item::ContentClassDefinition(const std::string&) {
  ThrowNotSupported("ContentClassDefinition");
}

std::unique_ptr<SchemaDefinition> Item::DictionaryObject(const std::string&) {
  ThrowNotSupported("DictionaryObject");
}

}  // namespace orvex::server
