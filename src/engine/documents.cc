// Documents: the document listing with status and property values, the
// status of one document, and the comparison of user names it rests on.
//
// A listing reuses what it has already read: the status of a listed
// document comes from the document's own row of the listing whenever that
// row is the very resource the status check would open, and each content
// class definition and property definition is looked up once per listing.
#include <algorithm>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <stdexcept>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "module/field_access.h"
#include "module/names.h"
#include "platform/text.h"
#include "server/error.h"
#include "server/names.h"
#include "server/schema.h"

namespace orvex::engine {
namespace {

constexpr char kHttp[] = "http://";
// Mode of a document that is only inspected.
constexpr int32_t kModeInspect = 16;
// Prefix of the property names a profile's values are listed for.
constexpr char kListedPrefix[] = "urn:schemas-microsoft-com:";
// Room and growth of the value list.
constexpr size_t kValueRoom = 11;
constexpr size_t kValueGrowth = 10;

// A field as text: "" for Null and for anything that is not a plain value.
std::string TextOf(const server::Fields& f, std::string_view name) {
  const Variant& v = f.Value(name);
  if (v.IsNull() || v.IsArray() || v.IsObject()) return {};
  return v.ToString();
}

// The values of a multi-valued field joined with ","; "" when the field is
// not a list.
std::string JoinedValues(const Variant& value) {
  if (!value.IsArray()) return {};
  std::string out;
  for (size_t i = 0; i < value.array().size(); ++i) {
    if (i > 0) out += ',';
    const Variant& v = value.array()[i];
    if (!v.IsNull()) out += v.ToString();
  }
  return out;
}

bool StartsWithHttp(const std::string& s) { return s.rfind(kHttp, 0) == 0; }

}  // namespace

// A look-up done once in an operation, with its outcome: the object, or the
// failure it raised, which later uses raise again.
template <typename T>
struct Remembered {
  std::shared_ptr<T> value;
  std::exception_ptr failure;

  template <typename F>
  T& Get(F&& look_up) {
    if (!value && !failure) {
      try {
        value = look_up();
      } catch (...) {
        failure = std::current_exception();
      }
    }
    if (failure) std::rethrow_exception(failure);
    return *value;
  }
};

struct ServerClass1::SchemaReads {
  // One property a content class lists values for: its definition's look-up
  // and, once that succeeded, what the value rows take from it.
  struct Listed {
    std::string name;
    Remembered<server::SchemaDefinition>* definition;
    bool read = false;
    std::string title;
    bool multivalued = false;
  };

  // The workspace folder object has been opened on the workspace (or failed
  // to open) in this operation.
  Remembered<bool> workspace;
  std::map<std::string, Remembered<server::SchemaDefinition>> content_classes;
  std::map<std::string, Remembered<server::SchemaDefinition>> properties;
  // By content class: the properties of its order that are listed, in that
  // order, so the order is read once per listing rather than once per row.
  std::map<std::string, std::vector<Listed>> listed;
};

bool ServerClass1::CompareUserName(const std::string& UserName) const {
  if (UserName.empty()) return false;
  if (LoginUser.find('\\') == std::string::npos) {
    const size_t slash = UserName.find('\\');
    const std::string rest = slash == std::string::npos ? UserName : UserName.substr(slash + 1);
    return platform::CompareNoCase(rest, LoginUser) == 0;
  }
  return platform::CompareNoCase(UserName, LoginUser) == 0;
}

int16_t ServerClass1::StatusOf(const server::Fields& document) const {
  if (module::FlagValue(document.Value(server::kPropIsCheckedOut)))
    return CompareUserName(TextOf(document, server::kPropCheckedOutBy)) ? kStatusCheckedOutByMe
                                                                        : kStatusCheckedOutByOther;
  const std::string state = TextOf(document, server::kPropDocumentState);
  if (state == server::kStateCheckedIn) return kStatusCheckedIn;
  if (state == server::kStateCheckedOut)
    return CompareUserName(TextOf(document, server::kPropCheckedOutBy)) ? kStatusCheckedOutByMe
                                                                        : kStatusCheckedOutByOther;
  if (state == server::kStateApproved) return kStatusApproved;
  if (state == server::kStateCreated) return kStatusCreated;
  return kStatusNone;
}

bool ServerClass1::FileExists(const std::string& Folder, const std::string& File,
                              server::Fields* row) {
  ErrorCode = kCodeNone;
  try {
    // A folder given as a URL (a listing's parent name) is used as it is.
    const std::string url = StartsWithHttp(Folder) ? Folder : CreateURL(kUrlWorkspaceItem, Folder);
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    for (server::Recordset rows = folder->OpenAndListItems(Bind(url, nullptr, true)); !rows.Eof();
         rows.MoveNext()) {
      if (platform::CompareNoCase(module::RecordsetFieldText(rows, server::kPropListDisplayName),
                                  File) != 0)
        continue;
      if (row != nullptr) *row = rows.Current();
      return true;
    }
  } catch (...) {
    SetErrorCode();
  }
  return false;
}

int16_t ServerClass1::IsFileStatus(const std::string& Folder, const std::string& File) {
  return ReadFileStatus(Folder, File, nullptr);
}

int16_t ServerClass1::ReadFileStatus(const std::string& Folder, const std::string& File,
                                     DocumentRead* read) {
  server::Fields listed;
  if (!FileExists(Folder, File, &listed)) return kStatusUnknown;
  if (!module::IsValidName(File)) {
    ErrorCode = kCodeBadName;
    return kStatusUnknown;
  }
  const std::string url =
      StartsWithHttp(Folder) ? Folder + "/" + File : PreCreateURL(kUrlWorkspaceItem, Folder, File);
  try {
    // The listing's row already carries every property of the document it
    // names; only a row for another spelling of the name needs the open.
    if (TextOf(listed, server::kPropHref) != url) {
      auto document = backend_->CreateItem(server::ItemKind::kDocument);
      server::BindArgs args = Bind(url, &cnx1(), false);
      args.mode = kModeInspect;
      document->Open(args);
      listed = document->GetFields();
    }
    if (read != nullptr) *read = DocumentRead{url, server::Fields(listed.values())};
    return StatusOf(listed);
  } catch (...) {
    SetErrorCode();
    return kStatusUnknown;
  }
}

int16_t ServerClass1::GetFileProperties(const std::string& ContentClass,
                                        const server::Recordset& Rows, int16_t First,
                                        SchemaReads& reads) {
  try {
    reads.workspace.Get([&] {
      if (!WorkspaceFolder)
        WorkspaceFolder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
      WorkspaceFolder->Open(Bind(CreateURL(kUrlWorkspaceItem, ""), nullptr, true));
      return std::make_shared<bool>(true);
    });
    server::SchemaDefinition& profile = reads.content_classes[ContentClass].Get([&] {
      return std::shared_ptr<server::SchemaDefinition>(
          WorkspaceFolder->ContentClassDefinition(ContentClass));
    });
    auto listed = reads.listed.find(ContentClass);
    if (listed == reads.listed.end()) {
      std::vector<SchemaReads::Listed> names;
      for (std::string& name : server::StringList(
               profile.GetFields().Value(server::kPropPropertyOrder), server::kPropPropertyOrder)) {
        if (!platform::StartsWithNoCase(name, kListedPrefix)) continue;
        Remembered<server::SchemaDefinition>* definition = &reads.properties[name];
        names.push_back({std::move(name), definition, false, {}, false});
      }
      listed = reads.listed.emplace(ContentClass, std::move(names)).first;
    }
    int16_t count = 0;
    for (SchemaReads::Listed& property : listed->second) {
      const server::SchemaDefinition& definition = property.definition->Get([&] {
        return std::shared_ptr<server::SchemaDefinition>(profile.PropertyDefinition(property.name));
      });
      const int row = First + count;
      if (row >= std::numeric_limits<int16_t>::max()) throw std::overflow_error("value rows");
      if (static_cast<size_t>(row) >= values_.size()) values_.resize(values_.size() + kValueGrowth);
      ValueRow& value = values_[static_cast<size_t>(row)];
      value.title = property.read ? property.title : definition.Title();
      if (!property.read) {
        property.title = value.title;
        property.multivalued = definition.IsMultivalued();
        property.read = true;
      }
      value.Multivalued = property.multivalued;
      if (property.multivalued)
        value.data = JoinedValues(Rows.Current().Value(property.name));
      else
        value.data = module::RecordsetFieldText(Rows, property.name);
      ++count;
    }
    return count;
  } catch (...) {
    SetErrorCode();
    return -1;
  }
}

int16_t ServerClass1::GetFileInfo(const std::string& Folder) {
  try {
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    server::Recordset rows =
        folder->OpenAndListItems(Bind(CreateURL(kUrlWorkspaceItem, Folder), nullptr, true));
    const std::string content_class = folder->ContentClass();
    const bool enhanced = content_class == server::kClassSmartFolder;
    const bool workspace = !enhanced && content_class == server::kClassWorkspace;
    documents_.Reset();
    values_.assign(kValueRoom, ValueRow{});
    int16_t running = 0;
    SchemaReads reads;
    for (; !rows.Eof(); rows.MoveNext()) {
      const server::Fields& f = rows.Current();
      if (module::FlagValue(f.Value(server::kColIsHidden))) continue;
      if (workspace && module::FlagValue(f.Value(server::kPropIsHiddenInPortal))) continue;
      DocumentRow row;
      row.name = TextOf(f, server::kPropListDisplayName);
      row.url = TextOf(f, server::kPropHref);
      row.ReadOnly = module::FlagValue(f.Value(server::kPropIsReadOnly));
      row.Status = kStatusNone;
      if (enhanced) {
        const std::string parent = TextOf(f, server::kPropParentName);
        const std::string name = TextOf(f, server::kPropDisplayName);
        if (StartsWithHttp(parent) && module::IsValidName(name) && row.url == parent + "/" + name) {
          // The status check would list this same folder, find this row and
          // open this same document: its row already answers.
          ErrorCode = kCodeNone;
          try {
            row.Status = StatusOf(f);
          } catch (...) {
            SetErrorCode();
            row.Status = kStatusUnknown;
          }
        } else {
          row.Status = IsFileStatus(parent, name);
        }
      }
      row.content_class = TextOf(f, server::kPropContentClass);
      row.first_value = running;
      row.value_count = GetFileProperties(row.content_class, rows, running, reads);
      // A document whose values could not be read adds none; the next one
      // starts on the same row.
      if (row.value_count > 0) running = static_cast<int16_t>(running + row.value_count);
      documents_.Add(std::move(row));
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return documents_.count();
}

bool ServerClass1::GetFileData(int16_t Index, std::string& File, bool& ReadOnly, int16_t& Status) {
  const DocumentRow* row = documents_.Get(Index);
  if (row == nullptr) return false;
  File = row->name;
  ReadOnly = row->ReadOnly;
  Status = row->Status;
  return true;
}

int16_t ServerClass1::GetFileContentInfo(int16_t Index, std::string& Profile) {
  const DocumentRow* row = documents_.Get(Index);
  if (row == nullptr) {
    ErrorCode = kCodeFailure;
    return -1;
  }
  Profile = FindProfileTitle(row->content_class);
  selected_value_ = row->first_value;
  return row->value_count;
}

bool ServerClass1::GetFileContent(int16_t Index, std::string& Property, bool& Multivalued,
                                  std::string& Data) {
  const int row = selected_value_ + Index;
  if (Index < 0 || static_cast<size_t>(row) >= values_.size()) return false;
  const ValueRow& value = values_[static_cast<size_t>(row)];
  Property = value.title;
  Multivalued = value.Multivalued;
  Data = value.data;
  return true;
}

}  // namespace orvex::engine
