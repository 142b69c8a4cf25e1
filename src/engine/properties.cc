// Property definitions: the properties of one profile with their titles,
// descriptions, requiredness, editor type and dictionary values.
#include <map>
#include <memory>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "module/field_access.h"
#include "platform/text.h"
#include "server/error.h"
#include "server/schema.h"

namespace orvex::engine {
namespace {

// Prefix of the property names that are listed.
constexpr char kListedPrefix[] = "urn:schemas-microsoft-com:";

// The object a step works on; a look-up that was skipped left none.
server::SchemaDefinition& Need(const std::unique_ptr<server::SchemaDefinition>& d) {
  if (!d) throw server::Error(server::kErrGenericFailure, "no schema object");
  return *d;
}

std::string TextOf(const server::SchemaDefinition& d, const char* name) {
  const Variant& v = d.GetFields().Value(name);
  return v.IsNull() ? std::string() : v.ToString();
}

// Runs the steps of one listing. Until `tolerant` is set a failing step ends
// the listing; afterwards a failing step is skipped and the next one runs.
class Steps {
 public:
  template <typename F>
  void Run(F&& step) {
    if (!tolerant_) {
      step();
      return;
    }
    try {
      step();
    } catch (...) {
    }
  }
  void BecomeTolerant() { tolerant_ = true; }

 private:
  bool tolerant_ = false;
};

}  // namespace

int16_t ServerClass1::GetPropertyInfo(const std::string& Profile) {
  const std::string id = FindProfileID(Profile);
  if (id.empty()) {
    ErrorCode = kCodeProfileNotFound;
    return -1;
  }
  try {
    if (!WorkspaceFolder)
      WorkspaceFolder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
    WorkspaceFolder->Open(Bind(CreateURL(kUrlSchema, ""), nullptr, true));
    std::unique_ptr<server::SchemaDefinition> profile = WorkspaceFolder->ContentClassDefinition(id);
    const std::vector<std::string> order = server::StringList(
        profile->GetFields().Value(server::kPropPropertyOrder), server::kPropPropertyOrder);
    properties_.Reset();
    Steps steps;
    for (const std::string& name : order) {
      if (!platform::StartsWithNoCase(name, kListedPrefix)) continue;
      std::unique_ptr<server::SchemaDefinition> definition;
      steps.Run([&] { definition = profile->PropertyDefinition(name); });
      PropertyRow row;
      steps.Run([&] { row.Title = Need(definition).Title(); });
      steps.Run([&] { row.Description = Need(definition).Description(); });
      steps.Run([&] { row.Require = Need(definition).IsRequired(); });
      steps.Run([&] { row.DataType = TextOf(Need(definition), server::kPropExtendedType); });
      bool retrieved = false;
      std::string dictionary;
      steps.Run([&] {
        retrieved = server::FlagOf(Need(definition).GetFields().Value(server::kPropIsRetrieved));
      });
      steps.Run([&] { dictionary = TextOf(Need(definition), server::kPropDictionary); });
      if (!dictionary.empty() && retrieved) {
        std::unique_ptr<server::SchemaDefinition> values;
        steps.Run([&] { values = WorkspaceFolder->DictionaryObject(dictionary); });
        steps.BecomeTolerant();
        steps.Run([&] {
          const std::vector<std::string> list = Need(values).Values();
          for (size_t j = 0; j < list.size(); ++j) {
            row.ListData += list[j];
            if (j + 1 < list.size()) row.ListData += ',';
          }
        });
        steps.Run([&] { row.IsRestricted = Need(values).IsRestricted(); });
      }
      steps.Run([&] { row.IsMultivalued = Need(definition).IsMultivalued(); });
      properties_.Add(std::move(row));
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return properties_.count();
}

bool ServerClass1::GetProperty(int16_t& Index, std::string& Title, std::string& Description,
                               bool& Require, std::string& DataType, std::string& ListData,
                               int16_t& ListProperty) {
  const PropertyRow* row = properties_.Get(Index);
  if (row == nullptr) return false;
  Title = row->Title;
  Description = row->Description;
  Require = row->Require;
  DataType = row->DataType;
  ListData = row->ListData;
  if (row->IsMultivalued)
    ListProperty = row->IsRestricted ? 1 : 2;
  else
    ListProperty = row->IsRestricted ? 3 : 4;
  return true;
}

}  // namespace orvex::engine
