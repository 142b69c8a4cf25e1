// Profile assignment: loading the profiles a folder offers and their
// properties into records, presetting the values, letting the person choose
// in the profile dialog, and writing the choice onto a document object.
#include <algorithm>
#include <optional>

#include "engine/forms.h"
#include "engine/server_class1.h"
#include "module/field_access.h"
#include "module/top_most.h"
#include "platform/text.h"
#include "platform/ui/form.h"
#include "server/error.h"
#include "server/names.h"
#include "server/schema.h"

namespace orvex::engine {
namespace {

constexpr std::string_view kPropertyPrefix = "urn:schemas-microsoft-com:";

bool InPropertyNameSpace(const std::string& id) {
  return id.size() >= kPropertyPrefix.size() &&
         platform::CompareNoCase(std::string_view(id).substr(0, kPropertyPrefix.size()),
                                 kPropertyPrefix) == 0;
}

bool SameName(std::string_view a, std::string_view b) { return platform::CompareNoCase(a, b) == 0; }

// The entries of a list field; none when the value is no list.
std::vector<std::string> ListEntries(const Variant& value) {
  std::vector<std::string> out;
  const int16_t count = module::ArrayCount(value);
  for (int16_t i = 0; i < count; ++i)
    out.push_back(value.array()[static_cast<size_t>(i)].ToString());
  return out;
}

// The values of a document's multi-valued field joined with ",".
std::string JoinedField(const server::Item& document, const std::string& name) {
  std::string joined;
  const Variant& value = document.GetFields().Value(name);
  const int16_t count = module::ItemFieldCount(document, name);
  for (int16_t i = 0; i < count; ++i) {
    if (i > 0) joined += ",";
    joined += value.array()[static_cast<size_t>(i)].ToString();
  }
  return joined;
}

std::string FieldText(const server::Fields& fields, std::string_view name) {
  const Variant& v = fields.Value(name);
  return v.IsNull() ? std::string() : v.ToString();
}

}  // namespace

bool ServerClass1::ChangeProfile(const std::string& Folder, server::Item& Document,
                                 bool NewDocument) {
  std::string folder = Folder;
  if (!UpdateProfileInfo(folder)) return false;
  if (NewDocument) {
    if (!SetUseProfileInfo(Folder, "")) return false;
    PresetOfficeValues();
  } else {
    SetUseProfileInfo(Folder, Document.ContentClass());
    if (!LoadDocumentValues(Document)) return false;
  }

  try {
    ProfileForm& dialog = OwnerForms().Profile();
    dialog.SetData(*this, CurrentWorkspace, profile_records_, property_records_, NewDocument);
    int32_t handle = dialog.form().hWnd();
    module::SetTopMost(handle);
    dialog.form().ShowModal();

    if (!SelectFlag) return ErrorCode == 0;  // cancelled: nothing is written
    const std::string uri = dialog.SelectedURI();
    if (uri.empty()) return false;
    Document.SetContentClass(uri);
    // Every record the person confirmed, whichever profile listed it.
    for (const auto& property : property_records_) {
      if (!property->Use) continue;
      if (property->Kind == "List" && property->IsMultivalued) {
        module::SetItemFieldList(Document, property->URI, property->Value);
      } else {
        module::SetItemFieldText(Document, property->URI, property->Value);
      }
    }
    Document.GetFields().Update();
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::UpdateProfileInfo(std::string& Folder) {
  const std::string url = CreateURL(kUrlWorkspaceItem, Folder);
  try {
    SetWorkspace(std::string(CurrentWorkspace));
    if (!WorkspaceFolder) throw server::Error(server::kErrGenericFailure, "no workspace");
    WorkspaceFolder->Open(Bind(url, nullptr, true));
    const std::vector<std::string> workspace_profiles = WorkspaceFolder->DocumentProfiles();

    profile_records_.clear();
    property_records_.clear();
    std::unique_ptr<server::Item> folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    // The folder's offered profiles, read once: every pass over the
    // workspace's list compares against the same answer.
    std::optional<std::vector<std::string>> offered;
    std::vector<std::unique_ptr<server::SchemaDefinition>> definitions;
    for (const std::string& id : workspace_profiles) {
      if (!offered) {
        folder->Open(Bind(url, nullptr, false));
        offered = folder->DocumentProfiles();
      }
      for (const std::string& entry : *offered) {
        if (entry != id) continue;
        auto definition = WorkspaceFolder->ContentClassDefinition(id);
        auto profile = std::make_shared<records::ProfileClass1>();
        profile->NewClass(id, definition->Title(), false);
        profile_records_.push_back(std::move(profile));
        definitions.push_back(std::move(definition));
      }
    }

    WorkspaceFolder->Open(Bind(CreateURL(kUrlSchema, ""), nullptr, false));
    for (size_t p = 0; p < profile_records_.size(); ++p) {
      records::ProfileClass1& profile = *profile_records_[p];
      server::SchemaDefinition& definition = *definitions[p];
      for (const std::string& id :
           ListEntries(definition.GetFields().Value(server::kPropPropertyOrder))) {
        if (!InPropertyNameSpace(id)) continue;
        std::unique_ptr<server::SchemaDefinition> property = definition.PropertyDefinition(id);
        const std::string name = property->Title();
        const int16_t found = FindProperty(name);
        profile.AddProperty(name);
        if (found != -1) continue;

        auto record = std::make_shared<records::PropertyClass1>();
        record->URI = id;
        record->PropertyName = name;
        record->Description = property->Description();
        record->IsRequired = property->IsRequired();
        record->Kind = FieldText(property->GetFields(), server::kPropExtendedType);
        record->Use = false;
        const server::Fields& fields = property->GetFields();
        const std::string dictionary = FieldText(fields, server::kPropDictionary);
        if (!dictionary.empty() && server::FlagOf(fields.Value(server::kPropIsRetrieved))) {
          std::unique_ptr<server::SchemaDefinition> values =
              WorkspaceFolder->DictionaryObject(dictionary);
          const Variant& list = values->GetFields().Value(server::kPropDictionaryValues);
          record->DictionaryCount = module::ArrayCount(list);
          if (record->DictionaryCount > 0) record->DictionaryValues = list;
          record->ReadOnly = server::FlagOf(fields.Value(server::kFieldPropertyReadOnly));
          record->IsRestricted = values->IsRestricted();
          record->IsMultivalued = property->IsMultivalued();
        }
        property_records_.push_back(std::move(record));
      }
    }
  } catch (...) {
    SetErrorCode();
    return false;
  }
  return true;
}

bool ServerClass1::SetUseProfileInfo(const std::string& Folder, const std::string& Current) {
  try {
    std::unique_ptr<server::Item> folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->Open(Bind(CreateURL(kUrlWorkspaceItem, Folder), &cnx1(), false));
    const std::vector<std::string> offered = folder->DocumentProfiles();
    ClearProfileFlags();
    // The default profile is read once, the first time it is compared.
    std::optional<std::string> default_profile;
    for (const std::string& entry : offered) {
      if (!default_profile) default_profile = folder->DefaultDocumentProfile();
      MarkProfile(entry, *default_profile == entry, !Current.empty() && Current == entry);
    }
  } catch (...) {
    SetErrorCode();
    return false;
  }
  return true;
}

void ServerClass1::ClearProfileFlags() {
  for (const auto& profile : profile_records_) {
    profile->bUse = false;
    profile->bDefault = false;
  }
}

void ServerClass1::MarkProfile(const std::string& id, bool is_default, bool is_current) {
  for (const auto& profile : profile_records_) {
    if (profile->strURI != id) continue;
    profile->bUse = true;
    profile->bDefault = is_default;
    profile->bSet = is_current;
    return;
  }
}

int16_t ServerClass1::FindProperty(const std::string& name) const {
  for (size_t i = 0; i < property_records_.size(); ++i) {
    if (property_records_[i]->PropertyName == name) return static_cast<int16_t>(i);
  }
  return -1;
}

bool ServerClass1::LoadDocumentValues(server::Item& Document) {
  try {
    WorkspaceFolder->Open(Bind(CreateURL(kUrlSchema, ""), nullptr, false));
    std::unique_ptr<server::SchemaDefinition> profile =
        WorkspaceFolder->ContentClassDefinition(Document.ContentClass());
    const std::vector<std::string> order =
        ListEntries(profile->GetFields().Value(server::kPropPropertyOrder));
    for (const auto& record : property_records_) {
      const std::string& uri = record->URI;
      if (SameName(uri, server::kPropAuthor) || SameName(uri, server::kPropTitle) ||
          SameName(uri, server::kPropDescription)) {
        record->Value = module::ItemFieldText(Document, uri);
      } else if (SameName(uri, server::kPropKeywords)) {
        record->Value = JoinedField(Document, uri);
      } else {
        auto at = std::find_if(order.begin(), order.end(),
                               [&](const std::string& id) { return SameName(id, uri); });
        if (at == order.end()) continue;  // not in the document's profile
        std::unique_ptr<server::SchemaDefinition> property = profile->PropertyDefinition(*at);
        if (FieldText(property->GetFields(), server::kPropExtendedType) == "List" &&
            property->IsMultivalued()) {
          record->Value = JoinedField(Document, uri);
        } else {
          record->Value = module::ItemFieldText(Document, uri);
        }
      }
    }
  } catch (...) {
    SetErrorCode();
    return false;
  }
  return true;
}

void ServerClass1::PresetOfficeValues() {
  if (Connect == nullptr) return;
  const ConnectProperties& facade = Connect->Properties();
  for (const auto& record : property_records_) {
    const std::string& uri = record->URI;
    if (SameName(uri, server::kPropAuthor)) {
      record->Value = facade.Author;
    } else if (SameName(uri, server::kPropTitle)) {
      record->Value = facade.Title;
    } else if (SameName(uri, server::kPropDescription)) {
      record->Value = facade.Description;
    } else if (SameName(uri, server::kPropKeywords)) {
      record->Value = facade.Keywords;
    }
  }
}

}  // namespace orvex::engine
