#include "automation/connect_orvex_members.h"

#include "automation/connect_orvex.h"
#include "dialogs/progress.h"
#include "platform/text.h"

namespace orvex::automation {
namespace {

using engine::ConnectProperties;
using engine::ServerClass1;

const Variant kFalse{false};
const Variant kMinusOne{int16_t{-1}};
const Variant kZero{int16_t{0}};
const Variant kNoText{std::string()};

template <auto Field>
Variant GetField(ConnectProperties& p) {
  return Variant(p.*Field);
}

template <auto Field>
void LetField(ConnectProperties& p, const Variant& v) {
  using T = std::remove_cvref_t<decltype(p.*Field)>;
  p.*Field = binding::FromVariant<T>(v);
}

template <auto Field>
ConnectOrvexMember Property(std::string name, ValueType type) {
  ConnectOrvexMember m;
  m.name = std::move(name);
  m.is_property = true;
  m.type = type;
  m.get = &GetField<Field>;
  m.let = &LetField<Field>;
  return m;
}

ConnectOrvexMember Own(std::string name, std::string_view params, ValueType result, OwnMember own) {
  ConnectOrvexMember m;
  m.name = std::move(name);
  m.type = result;
  m.params = ParseParams(params);
  m.own = own;
  return m;
}

// Members the object implements itself.
Variant OwnConnectOpen(ConnectOrvex& o, std::span<Variant> a) {
  return o.ConnectOpen(a[0].ToString(), a[1].ToString(), a[2].ToString(), a[3].ToString());
}
Variant OwnConnectOpenEx(ConnectOrvex& o, std::span<Variant> a) {
  return o.ConnectOpenEx(a[0].ToString(), a[1].ToString(), a[2].ToString(), a[3].ToString());
}
Variant OwnConnectClose(ConnectOrvex& o, std::span<Variant>) {
  o.ConnectClose();
  return {};
}
Variant OwnConnectCloseEx(ConnectOrvex& o, std::span<Variant> a) {
  return o.ConnectCloseEx(a[0].ToInt16());
}
Variant OwnGetLastError(ConnectOrvex& o, std::span<Variant>) { return o.GetLastError(); }
Variant OwnGetLastErrorEx(ConnectOrvex& o, std::span<Variant> a) {
  return o.GetLastErrorEx(a[0].ToInt16());
}
Variant OwnCheckSPPS(ConnectOrvex& o, std::span<Variant>) { return o.CheckSPPS(); }

// The upload runs behind the progress form when ShowDialog is True; the
// outcome is then the engine's TimerResult, which the form's run set from
// the same SaveFile.
Variant SaveFileOp(ServerClass1& e, std::span<Variant> a) {
  if (a.size() != 3) throw AutomationError(kErrWrongArgumentCount);
  const std::string folder = a[0].ToString();
  const std::string local_folder = a[1].ToString();
  const std::string file = a[2].ToString();
  if (e.Connect != nullptr && e.Connect->Properties().ShowDialog)
    return dialogs::RunUploadProgress(e, folder, local_folder, file);
  return e.SaveFile(folder, local_folder, file);
}

using PT = PlainTest;
using ET = ExTest;
using VT = ValueType;

// The forwarded methods, in interface order. Columns: name, Ex name,
// parameters, result, plain test, Ex test, workspace check plain / Ex,
// failure value plain / Ex, engine operation.
const std::vector<MemberRule>& Rules() {
  // clang-format off
  static const std::vector<MemberRule> rules = {
      {"GetProfile", "GetProfileEx", "Index:i2, &Profile:s", VT::kBool, PT::kHostName, ET::kHostName, false, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetProfile>},
      {"SetWorkspace", "SetWorkspaceEx", "Workspace:s", VT::kBool, PT::kHostNameLastError, ET::kWorkspaceArgument, false, false, kFalse, kFalse, &EngineCall<&ServerClass1::SetWorkspace>},
      {"GetProfileInfo", "GetProfileInfoEx", "Folder:s", VT::kI2, PT::kHostName, ET::kHostName, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetProfileInfo>},
      {"GetWorkspaceInfo", "GetWorkspaceInfoEx", "", VT::kI2, PT::kHostName, ET::kHostName, false, false, kMinusOne, kZero, &EngineCall<&ServerClass1::GetWorkspaceInfo>},
      {"GetWorkspace", "GetWorkspaceEx", "Index:i2, &Workspace:s, &Description:s", VT::kBool, PT::kHostName, ET::kHostName, false, false, kFalse, kFalse, &EngineCall<&ServerClass1::GetWorkspace>},
      {"GetCategoryInfo", "GetCategoryInfoEx", "Folder:s", VT::kI2, PT::kHostName, ET::kHostName, true, true, kMinusOne, kZero, &EngineCall<&ServerClass1::GetCategoryInfo>},
      {"CreateCategory", "CreateCategoryEx", "Category:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::CreateCategory>},
      {"DeleteCategory", "DeleteCategoryEx", "Category:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::DeleteCategory>},
      {"GetPropertyInfo", "GetPropertyInfoEx", "Profile:s", VT::kI2, PT::kHostName, ET::kHostName, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetPropertyInfo>},
      {"GetProperty", "GetPropertyEx", "&Index:i2, &Title:s, &Description:s, &Require:b, &DataType:s, &ListData:s, &ListProperty:i2", VT::kBool, PT::kHostName, ET::kHostName, false, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetProperty>},
      {"GetDocProfileInfo", "GetDocProfileInfoEx", "", VT::kI2, PT::kHostName, ET::kHandleOnly, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetDocProfileInfo>},
      {"GetDefaultProfile", "GetDefaultProfileEx", "strFolderPath:s", VT::kString, PT::kHostName, ET::kHandleOnly, true, true, kNoText, kNoText, &EngineCall<&ServerClass1::GetDefaultProfile>},
      {"IsVersionFolder", "IsVersionFolderEx", "Folder:s", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::IsVersionFolder>},
      {"GetDocFolderInfo", "GetDocFolderInfoEx", "Folder:s", VT::kI2, PT::kHostName, ET::kHandleOnly, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetDocFolderInfo>},
      {"DeleteFolder", "DeleteFolderEx", "Folder:s", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::DeleteFolder>},
      {"GetDocProfile", "GetDocProfileEx", "Index:i2, &ProfileName:s", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetDocProfile>},
      {"GetCategory", "GetCategoryEx", "Index:i2, &Category:s, &Description:s, &ReadOnly:b, &HasChild:b", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetCategory>},
      {"GetDocFolder", "GetDocFolderEx", "Index:i2, &Folder:s, &Version:b, &ReadOnly:b", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetDocFolder>},
      {"GetFileInfo", "GetFileInfoEx", "Folder:s", VT::kI2, PT::kHostName, ET::kHandleOnly, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetFileInfo>},
      {"GetFileData", "GetFileDataEx", "Index:i2, &File:s, &ReadOnly:b, &Status:i2", VT::kBool, PT::kHostName, ET::kOpenState, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetFileData>},
      {"GetFileContentInfo", "GetFileContentInfoEx", "Index:i2, &Profile:s", VT::kI2, PT::kHostName, ET::kHandleOnly, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetFileContentInfo>},
      {"GetFileContent", "GetFileContentEx", "Index:i2, &Property:s, &Multivalued:b, &Data:s", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetFileContent>},
      {"CreateFolder", "CreateFolderEx", "Folder:s, &Version:b", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::CreateFolder>},
      {"DeleteFile", "DeleteFileEx", "Folder:s, File:s", VT::kBool, PT::kHostName, ET::kOpenState, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::DeleteFile>},
      {"GetHistoryInfo", "GetHistoryInfoEx", "Folder:s, File:s", VT::kI2, PT::kHostName, ET::kHostName, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::GetHistoryInfo>},
      {"GetHistory", "GetHistoryEx", "Index:i2, &VersionID:s, &Comment:s, &CreatedTime:s, &Domain:s, &User:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::GetHistory>},
      {"SaveFile", "SaveFileEx", "Folder:s, LocalFolder:s, File:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &SaveFileOp},
      {"CheckIn", "CheckInEx", "Folder:s, File:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::CheckIn>},
      {"CheckOut", "CheckOutEx", "Folder:s, File:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::CheckOut>},
      {"WorkspaceDialogA", "WorkspaceDialogExA", "", VT::kBool, PT::kHostName, ET::kHostName, false, false, kFalse, kFalse, &EngineCall<&ServerClass1::WorkspaceDialogA>},
      {"FolderDialogB", "FolderDialogExB", "", VT::kBool, PT::kHostName, ET::kHostName, false, false, kFalse, kFalse, &EngineCall<&ServerClass1::FolderDialogB>},
      {"FolderDialogA", "FolderDialogExA", "", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::FolderDialogA>},
      {"Publish", "PublishEx", "Folder:s, File:s", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::Publish>},
      {"CategoryDialogA", "CategoryDialogExA", "", VT::kBool, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::CategoryDialogA>},
      {"ChangeFolderName", "ChangeFolderNameEx", "OldFolder:s, NewFolder:s", VT::kBool, PT::kHostName, ET::kHandleOnly, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::ChangeFolderName>},
      {"ChangeFileName", "ChangeFileNameEx", "Folder:v, OldFileName:s, NewFileName:s", VT::kVariant, PT::kHostName, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::ChangeFileName>},
      {"ChangeCategoryName", "ChangeCategoryNameEx", "OldCategory:s, NewCategory:s", VT::kBool, PT::kOpenState, ET::kHostName, true, true, kFalse, kFalse, &EngineCall<&ServerClass1::ChangeCategoryName>},
      {"IsFileStatus", "IsFileStatusEx", "Folder:s, File:s", VT::kI2, PT::kHostName, ET::kHandleOnly, true, true, kMinusOne, kMinusOne, &EngineCall<&ServerClass1::IsFileStatus>},
  };
  // clang-format on
  return rules;
}

const MemberRule& RuleNamed(std::string_view name) {
  for (const MemberRule& r : Rules())
    if (r.name == name) return r;
  throw std::logic_error("no member rule");
}

// Appends the plain and the Ex form of a forwarded method.
void AddPair(std::vector<ConnectOrvexMember>& out, std::string_view name) {
  const MemberRule& rule = RuleNamed(name);
  ConnectOrvexMember plain;
  plain.name = std::string(rule.name);
  plain.type = rule.result;
  plain.params = ParseParams(rule.params);
  plain.rule = &rule;
  ConnectOrvexMember ex = plain;
  ex.name = std::string(rule.ex_name);
  ex.ex = true;
  ex.params.insert(ex.params.begin(), ParamInfo{"Handle", ValueType::kI2, false});
  out.push_back(std::move(plain));
  out.push_back(std::move(ex));
}

std::vector<ConnectOrvexMember> BuildMembers() {
  using P = ConnectProperties;
  std::vector<ConnectOrvexMember> m;
  m.push_back(Property<&P::SelectFolder>("SelectFolder", VT::kString));
  m.push_back(Property<&P::SelectWorkspace>("SelectWorkspace", VT::kString));
  m.push_back(Property<&P::SelectCategory>("SelectCategory", VT::kString));
  m.push_back(Property<&P::Author>("Author", VT::kString));
  m.push_back(Property<&P::Title>("Title", VT::kString));
  m.push_back(Property<&P::Description>("Description", VT::kString));
  m.push_back(Property<&P::Keywords>("Keywords", VT::kString));
  m.push_back(Property<&P::OverWrite>("OverWrite", VT::kI2));
  m.push_back(Property<&P::ShowDialog>("ShowDialog", VT::kBool));
  m.push_back(Property<&P::AddCheckIn>("AddCheckIn", VT::kBool));
  m.push_back(Property<&P::CheckInComment>("CheckInComment", VT::kString));
  const char* kOpenParams = "&HostName:s, &UserName:s, &Domain:s, &Password:s";
  m.push_back(Own("ConnectOpen", kOpenParams, VT::kBool, &OwnConnectOpen));
  m.push_back(Own("ConnectOpenEx", kOpenParams, VT::kI4, &OwnConnectOpenEx));
  m.push_back(Own("ConnectClose", "", VT::kNone, &OwnConnectClose));
  m.push_back(Own("ConnectCloseEx", "Handle:i2", VT::kBool, &OwnConnectCloseEx));
  m.push_back(Own("GetLastError", "", VT::kI4, &OwnGetLastError));
  m.push_back(Own("GetLastErrorEx", "Handle:i2", VT::kI4, &OwnGetLastErrorEx));
  for (const MemberRule& rule : Rules()) {
    if (rule.name == "IsFileStatus") {
      m.push_back(Property<&P::ShowProfileDialog>("ShowProfileDialog", VT::kBool));
      m.push_back(Property<&P::AddPublish>("AddPublish", VT::kBool));
    }
    AddPair(m, rule.name);
  }
  m.push_back(Own("CheckSPPS", "", VT::kBool, &OwnCheckSPPS));
  return m;
}

}  // namespace

const std::vector<ConnectOrvexMember>& ConnectOrvexMembers() {
  static const std::vector<ConnectOrvexMember> members = BuildMembers();
  return members;
}

std::optional<int32_t> FindConnectOrvexMember(std::string_view name) {
  const auto& members = ConnectOrvexMembers();
  for (size_t i = 0; i < members.size(); ++i) {
    if (platform::CompareNoCase(members[i].name, name) == 0 && members[i].available())
      return static_cast<int32_t>(i + 1);
  }
  return std::nullopt;
}

}  // namespace orvex::automation
