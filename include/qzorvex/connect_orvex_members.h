// The members of _ConnectOrvex in interface order, with their C++ types: the
// typed view of the member table that the automation object dispatches on.
//
//   QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR) expands
//     PROPERTY(Name, Type)                       a read/write property
//     METHOD(Name, Result, (params), (args))     a method of the object itself
//     PAIR(Name, ExName, Result, (params), (args))
//                                                a method forwarded to a connection:
//                                                its plain form on the default
//                                                connection, and the Ex form with the
//                                                connection handle (int16_t Handle) first
//
// Parameter types follow the automation interface: strings passed by value are
// std::string_view; by-reference outputs are non-const references
// (std::string&, bool&, int16_t&); by-reference arguments the object only
// reads are const references; counts and indexes are int16_t, connection
// handles of ConnectOpenEx int32_t, Booleans bool.
//
// Dispatch ids are positions in this list, from 1: ConnectOrvexDispid::Name.
#ifndef QZORVEX_CONNECT_ORVEX_MEMBERS_H_
#define QZORVEX_CONNECT_ORVEX_MEMBERS_H_

#include <cstdint>

// clang-format off
#define QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR)                                           \
  PROPERTY(SelectFolder, std::string)                                                                    \
  PROPERTY(SelectWorkspace, std::string)                                                                 \
  PROPERTY(SelectCategory, std::string)                                                                  \
  PROPERTY(Author, std::string)                                                                          \
  PROPERTY(Title, std::string)                                                                           \
  PROPERTY(Description, std::string)                                                                     \
  PROPERTY(Keywords, std::string)                                                                        \
  PROPERTY(OverWrite, int16_t)                                                                           \
  PROPERTY(ShowDialog, bool)                                                                             \
  PROPERTY(AddCheckIn, bool)                                                                             \
  PROPERTY(CheckInComment, std::string)                                                                  \
  METHOD(ConnectOpen, bool, (const std::string& HostName, const std::string& UserName,                  \
                             const std::string& Domain, const std::string& Password),                   \
         (HostName, UserName, Domain, Password))                                                         \
  METHOD(ConnectOpenEx, int32_t, (const std::string& HostName, const std::string& UserName,             \
                                  const std::string& Domain, const std::string& Password),              \
         (HostName, UserName, Domain, Password))                                                         \
  METHOD(ConnectClose, void, (), ())                                                                     \
  METHOD(ConnectCloseEx, bool, (int16_t Handle), (Handle))                                               \
  METHOD(GetLastError, int32_t, (), ())                                                                  \
  METHOD(GetLastErrorEx, int32_t, (int16_t Handle), (Handle))                                            \
  PAIR(GetProfile, GetProfileEx, bool, (int16_t Index, std::string& Profile), (Index, Profile))          \
  PAIR(SetWorkspace, SetWorkspaceEx, bool, (std::string_view Workspace), (Workspace))                    \
  PAIR(GetProfileInfo, GetProfileInfoEx, int16_t, (std::string_view Folder), (Folder))                   \
  PAIR(GetWorkspaceInfo, GetWorkspaceInfoEx, int16_t, (), ())                                            \
  PAIR(GetWorkspace, GetWorkspaceEx, bool,                                                               \
       (int16_t Index, std::string& Workspace, std::string& Description), (Index, Workspace, Description)) \
  PAIR(GetCategoryInfo, GetCategoryInfoEx, int16_t, (std::string_view Folder), (Folder))                 \
  PAIR(CreateCategory, CreateCategoryEx, bool, (std::string_view Category), (Category))                  \
  PAIR(DeleteCategory, DeleteCategoryEx, bool, (std::string_view Category), (Category))                  \
  PAIR(GetPropertyInfo, GetPropertyInfoEx, int16_t, (std::string_view Profile), (Profile))               \
  PAIR(GetProperty, GetPropertyEx, bool,                                                                 \
       (const int16_t& Index, std::string& Title, std::string& Description, bool& Require,              \
        std::string& DataType, std::string& ListData, int16_t& ListProperty),                           \
       (Index, Title, Description, Require, DataType, ListData, ListProperty))                           \
  PAIR(GetDocProfileInfo, GetDocProfileInfoEx, int16_t, (), ())                                          \
  PAIR(GetDefaultProfile, GetDefaultProfileEx, std::string, (std::string_view strFolderPath),            \
       (strFolderPath))                                                                                  \
  PAIR(IsVersionFolder, IsVersionFolderEx, bool, (std::string_view Folder), (Folder))                    \
  PAIR(GetDocFolderInfo, GetDocFolderInfoEx, int16_t, (std::string_view Folder), (Folder))               \
  PAIR(DeleteFolder, DeleteFolderEx, bool, (std::string_view Folder), (Folder))                          \
  PAIR(GetDocProfile, GetDocProfileEx, bool, (int16_t Index, std::string& ProfileName),                  \
       (Index, ProfileName))                                                                             \
  PAIR(GetCategory, GetCategoryEx, bool,                                                                 \
       (int16_t Index, std::string& Category, std::string& Description, bool& ReadOnly, bool& HasChild), \
       (Index, Category, Description, ReadOnly, HasChild))                                               \
  PAIR(GetDocFolder, GetDocFolderEx, bool,                                                               \
       (int16_t Index, std::string& Folder, bool& Version, bool& ReadOnly),                             \
       (Index, Folder, Version, ReadOnly))                                                               \
  PAIR(GetFileInfo, GetFileInfoEx, int16_t, (std::string_view Folder), (Folder))                         \
  PAIR(GetFileData, GetFileDataEx, bool,                                                                 \
       (int16_t Index, std::string& File, bool& ReadOnly, int16_t& Status), (Index, File, ReadOnly, Status)) \
  PAIR(GetFileContentInfo, GetFileContentInfoEx, int16_t, (int16_t Index, std::string& Profile),         \
       (Index, Profile))                                                                                 \
  PAIR(GetFileContent, GetFileContentEx, bool,                                                           \
       (int16_t Index, std::string& Property, bool& Multivalued, std::string& Data),                    \
       (Index, Property, Multivalued, Data))                                                             \
  PAIR(CreateFolder, CreateFolderEx, bool, (std::string_view Folder, const bool& Version),               \
       (Folder, Version))                                                                                \
  PAIR(DeleteFile, DeleteFileEx, bool, (std::string_view Folder, std::string_view File), (Folder, File)) \
  PAIR(GetHistoryInfo, GetHistoryInfoEx, int16_t, (std::string_view Folder, std::string_view File),     \
       (Folder, File))                                                                                   \
  PAIR(GetHistory, GetHistoryEx, bool,                                                                   \
       (int16_t Index, std::string& VersionID, std::string& Comment, std::string& CreatedTime,          \
        std::string& Domain, std::string& User),                                                         \
       (Index, VersionID, Comment, CreatedTime, Domain, User))                                           \
  PAIR(SaveFile, SaveFileEx, bool,                                                                       \
       (std::string_view Folder, std::string_view LocalFolder, std::string_view File),                  \
       (Folder, LocalFolder, File))                                                                      \
  PAIR(CheckIn, CheckInEx, bool, (std::string_view Folder, std::string_view File), (Folder, File))       \
  PAIR(CheckOut, CheckOutEx, bool, (std::string_view Folder, std::string_view File), (Folder, File))     \
  PAIR(WorkspaceDialogA, WorkspaceDialogExA, bool, (), ())                                               \
  PAIR(FolderDialogB, FolderDialogExB, bool, (), ())                                                     \
  PAIR(FolderDialogA, FolderDialogExA, bool, (), ())                                                     \
  PAIR(Publish, PublishEx, bool, (std::string_view Folder, std::string_view File), (Folder, File))       \
  PAIR(CategoryDialogA, CategoryDialogExA, bool, (), ())                                                 \
  PAIR(ChangeFolderName, ChangeFolderNameEx, bool,                                                       \
       (std::string_view OldFolder, std::string_view NewFolder), (OldFolder, NewFolder))                 \
  PAIR(ChangeFileName, ChangeFileNameEx, Variant,                                                        \
       (Variant Folder, std::string_view OldFileName, std::string_view NewFileName),                    \
       (Folder, OldFileName, NewFileName))                                                               \
  PAIR(ChangeCategoryName, ChangeCategoryNameEx, bool,                                                   \
       (std::string_view OldCategory, std::string_view NewCategory), (OldCategory, NewCategory))         \
  PROPERTY(ShowProfileDialog, bool)                                                                      \
  PROPERTY(AddPublish, bool)                                                                             \
  PAIR(IsFileStatus, IsFileStatusEx, int16_t, (std::string_view Folder, std::string_view File),         \
       (Folder, File))                                                                                   \
  METHOD(CheckSPPS, bool, (), ())
// clang-format on

namespace qzorvex {

// The dispatch id of each member: ConnectOrvexDispid::GetDocFolder, ...
struct ConnectOrvexDispid {
#define QZORVEX_DETAIL_ID_PROPERTY(Name, Type) Name,
#define QZORVEX_DETAIL_ID_METHOD(Name, Result, Params, Args) Name,
#define QZORVEX_DETAIL_ID_PAIR(Name, ExName, Result, Params, Args) Name, ExName,
  enum : int32_t {
    kBeforeFirst = 0,
    QZORVEX_CONNECT_ORVEX_MEMBERS(QZORVEX_DETAIL_ID_PROPERTY, QZORVEX_DETAIL_ID_METHOD,
                                  QZORVEX_DETAIL_ID_PAIR) kAfterLast
  };
#undef QZORVEX_DETAIL_ID_PROPERTY
#undef QZORVEX_DETAIL_ID_METHOD
#undef QZORVEX_DETAIL_ID_PAIR
};

// 13 properties and 83 methods.
inline constexpr int32_t kConnectOrvexMemberCount = ConnectOrvexDispid::kAfterLast - 1;

}  // namespace qzorvex

#endif  // QZORVEX_CONNECT_ORVEX_MEMBERS_H_
