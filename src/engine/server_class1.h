// ServerClass1: the engine behind one connection.
//
// It holds the connection's settings and state, opens and closes the
// connection and the server's workspace root, builds item URLs, and turns
// every trapped server error into an error code the host reads with
// GetLastError. Operations never throw: they report failure through their
// result and ErrorCode.
#ifndef ORVEX_ENGINE_SERVER_CLASS1_H_
#define ORVEX_ENGINE_SERVER_CLASS1_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/owner.h"
#include "engine/row_list.h"
#include "records/profile_class1.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/item.h"

namespace orvex::ui {
class Form;
class TreeNode;
}  // namespace orvex::ui

namespace orvex::engine {

// URL kinds of CreateURL and PreCreateURL.
inline constexpr int16_t kUrlWorkspaceItem = 1;
inline constexpr int16_t kUrlSchema = 3;
inline constexpr int16_t kUrlCategory = 4;

inline constexpr char kProviderName[] = "MSDAIPP.DSO";

// One entry of a folder or category walk, the raw material of a selection
// tree: the item's name, its node key (Path), image key and parent key.
struct TreeEntry {
  std::string ItemName;
  std::string Path;
  std::string ImageKey;
  std::string ParentPath;
  bool HasSubs = false;
  // The listed resource's URL (DAV:href), where the walk keeps it.
  std::string Url;
};

// A row of the workspace list.
struct WorkspaceRow {
  std::string name;
  std::string description;
  std::string absolute_name;
  std::string default_content_class;
};

// A row of the folder list.
struct FolderRow {
  std::string name;
  bool version = false;
  bool read_only = false;
  std::string url;
};

// A row of the category list.
struct CategoryRow {
  std::string name;
  std::string description;
  bool read_only = false;
  bool has_children = false;
};

// A row of the workspace profile list and of the folder profile list.
struct ProfileRow {
  std::string id;
  std::string title;
};

// A row of the property-definition list.
struct PropertyRow {
  std::string Title;
  std::string Description;
  bool Require = false;
  std::string DataType;
  std::string ListData;
  bool IsRestricted = false;
  bool IsMultivalued = false;
};

// A row of the document list. Its property values are the value rows
// first_value to first_value + value_count - 1.
struct DocumentRow {
  std::string name;
  std::string url;
  bool ReadOnly = false;
  int16_t Status = -1;
  std::string content_class;
  int16_t first_value = 0;
  int16_t value_count = 0;
};

// One property value of a listed document.
struct ValueRow {
  std::string title;
  bool Multivalued = false;
  std::string data;
};

// Status codes of IsFileStatus.
inline constexpr int16_t kStatusUnknown = -1;
inline constexpr int16_t kStatusNone = 0;
inline constexpr int16_t kStatusCheckedIn = 1;
inline constexpr int16_t kStatusCheckedOutByOther = 2;
inline constexpr int16_t kStatusApproved = 3;
inline constexpr int16_t kStatusCreated = 4;
inline constexpr int16_t kStatusCheckedOutByMe = 5;

// A row of the version history of a document.
struct HistoryRow {
  std::string location;  // the version's URL, kept but not handed out
  std::string version_id;
  std::string comment;
  std::string created_time;
  std::string domain;
  std::string user;
};

class ServerClass1 {
 public:
  explicit ServerClass1(std::shared_ptr<server::Backend> backend);
  ~ServerClass1();
  ServerClass1(const ServerClass1&) = delete;
  ServerClass1& operator=(const ServerClass1&) = delete;

  // Public variables, in declaration order. The connection is created the
  // first time it is touched.
  server::Connection& cnx1();
  Owner* Connect = nullptr;
  std::string WorkPub;
  std::string SysFolder;
  std::string RootCategory;
  std::string LoginUser;
  std::string Password;
  std::string HostName;
  int32_t ErrorCode = 0;
  bool TimerResult = false;
  bool SelectFlag = false;

  // Connection life cycle.

  // Opens the connection on "http://" + HostName + WorkPub and the workspace
  // root object on the same URL. False with ErrorCode 1002 for a host name
  // that fails the name check, 2 when the connection is already open (it
  // stays open), or the mapped server error.
  bool ConnectOpen();
  // Closes the connection if open and releases the workspace root.
  void ConnectClose();
  // True when the connection is open and a workspace is current; otherwise
  // ErrorCode 3 and false. Opens nothing.
  bool ConnectWorkspace();

  // URLs of items, profile definitions and category folders; "" without a
  // host name or a current workspace. Pure string functions.
  std::string CreateURL(int16_t Kind, const std::string& Path) const;
  std::string PreCreateURL(int16_t Kind, const std::string& Folder, const std::string& File) const;

  // Workspaces.

  // Makes `Workspace` current: re-opens the connection on its URL, opens the
  // workspace folder object and reads RootCategory and SysFolder. False with
  // 1003 for a name failing the name check, or the mapped server error; a
  // failure leaves no current workspace.
  bool SetWorkspace(const std::string& Workspace);
  // Lists the server's workspaces; the count, or -1 with ErrorCode 1000 (the
  // rows read before the failure stay readable).
  int16_t GetWorkspaceInfo();
  // Name and description of row `Index` of the last list; false (outputs
  // untouched) outside 0 to count - 1.
  bool GetWorkspace(int16_t Index, std::string& Workspace, std::string& Description);

  // Document folders. Folders are named by their path inside the current
  // workspace ("Reports/2001"); "" is the workspace itself.

  // Lists the enhanced and standard subfolders of `Folder`; the count, or -1
  // (ErrorCode 4 for a bad path, else the mapped server error).
  int16_t GetDocFolderInfo(const std::string& Folder);
  // Name, enhanced flag and read-only flag of row `Index` of the last list.
  bool GetDocFolder(int16_t Index, std::string& Folder, bool& Version, bool& ReadOnly);
  // True when `Folder` is in the workspace's folder tree and enhanced.
  // ErrorCode 1007 when it is not in the tree, 5 for a bad path, 0 otherwise
  // unless the server fails.
  bool IsVersionFolder(const std::string& Folder);
  // Creates `Folder` (enhanced when Version is true) inside its existing parent.
  bool CreateFolder(const std::string& Folder, bool Version);
  bool DeleteFolder(const std::string& Folder);
  // Renames a top-level folder; equal names succeed without a change.
  bool ChangeFolderName(const std::string& OldFolder, const std::string& NewFolder);

  // Category folders. Categories are named by their path below the
  // workspace's categories folder ("Europe/France"); "" is that folder.

  // Lists the category folders directly under `Folder`; the count, or -1 with
  // the mapped server error. The workspace folder object stays open on the
  // listed folder. A failure leaves the rows read before it (none when the
  // folder could not be opened) readable.
  int16_t GetCategoryInfo(const std::string& Folder);
  // Name, description, read-only and has-children flags of row `Index`.
  bool GetCategory(int16_t Index, std::string& Category, std::string& Description, bool& ReadOnly,
                   bool& HasChild);
  // Creates `Category` inside its existing parent (one level per call);
  // ErrorCode 4 for a bad path.
  bool CreateCategory(const std::string& Category);
  // Deletes `Category` with everything below it; ErrorCode 4 for a bad path.
  bool DeleteCategory(const std::string& Category);
  // Renames a top-level category; ErrorCode 5 for an empty name or one with
  // "/" or another forbidden character. Equal names open the category and
  // move nothing.
  bool ChangeCategoryName(const std::string& OldCategory, const std::string& NewCategory);
  // The category selection dialog: the whole category tree of the current
  // workspace, read before the form opens, under the categories folder as
  // root; OK writes SelectCategory ("Europe:France"), and the person may
  // create and delete categories on the way. A failing walk returns false
  // without the form.
  bool CategoryDialogA();

  // Version history.

  // Lists the versions of document `File` in `Folder` ("" for the
  // workspace's top level) in the server's order; the count, or -1 (ErrorCode
  // 5 for a bad name or path or no current workspace, else the mapped server
  // error). A document without versions gives 0.
  int16_t GetHistoryInfo(const std::string& Folder, const std::string& File);
  // Version id, comment, created time, domain and user of row `Index`.
  bool GetHistory(int16_t Index, std::string& VersionID, std::string& Comment,
                  std::string& CreatedTime, std::string& Domain, std::string& User);

  // Document profiles. A profile is named by its id (a content class) and
  // shown by its title; ids compare exactly.

  // Reads the workspace's profiles with their titles into the workspace
  // profile list; the count, or -1 with the mapped server error (the rows
  // read before the failure stay).
  int16_t GetDocProfileInfo();
  // Title of row `Index` of the workspace profile list.
  bool GetDocProfile(int16_t Index, std::string& ProfileName);
  // Refreshes the workspace profile list, then lists the profiles `Folder`
  // offers that the workspace knows, as (title, id); the count, or -1
  // (ErrorCode 5 for a bad path, else the mapped server error).
  int16_t GetProfileInfo(const std::string& Folder);
  // Title of row `Index` of the folder profile list.
  bool GetProfile(int16_t Index, std::string& Profile);
  // The id of the folder's default profile; "" on failure (ErrorCode 5 for a
  // bad path).
  std::string GetDefaultProfile(const std::string& strFolderPath);
  // Title of the first workspace-list row with this id; "" when none.
  std::string FindProfileTitle(const std::string& ProfileID) const;
  // Id of the first workspace-list row with this title; "" when none or when
  // the title is empty.
  std::string FindProfileID(const std::string& ProfileTitle) const;

  // Property definitions.

  // Lists the properties of the profile titled `Profile` (as the workspace
  // profile list holds it) in the profile's order; the count, or -1 with
  // ErrorCode 6 for an unknown title or the mapped server error. Once a
  // property with a dictionary has been read, later failures only leave
  // fields unset.
  int16_t GetPropertyInfo(const std::string& Profile);
  // Fields of row `Index`; ListProperty is 1 (multi-valued, restricted), 2
  // (multi-valued), 3 (restricted) or 4. False, outputs untouched, outside
  // 0 to count - 1.
  bool GetProperty(int16_t& Index, std::string& Title, std::string& Description, bool& Require,
                   std::string& DataType, std::string& ListData, int16_t& ListProperty);

  // Documents.

  // Lists the documents of `Folder` with read-only flag, status and the
  // values of their profile's properties; the count, or -1 with the mapped
  // server error. Hidden documents are skipped, and at the workspace's top
  // also those hidden in the portal.
  int16_t GetFileInfo(const std::string& Folder);
  // Name, read-only flag and status of row `Index`.
  bool GetFileData(int16_t Index, std::string& File, bool& ReadOnly, int16_t& Status);
  // Selects document `Index` for GetFileContent: its profile's title and its
  // number of values; -1 with ErrorCode 1000 outside 0 to count - 1.
  int16_t GetFileContentInfo(int16_t Index, std::string& Profile);
  // Value `Index` of the selected document. True for any row the value list
  // has room for, so the caller keeps Index below GetFileContentInfo's count.
  bool GetFileContent(int16_t Index, std::string& Property, bool& Multivalued, std::string& Data);
  // Status of document `File` in `Folder` (a folder path, or a folder URL
  // beginning with "http://"): one of the kStatus codes. -1 when the folder
  // does not hold the name (ErrorCode 0 or the mapped server error), for an
  // invalid name (ErrorCode 5) or when reading the document fails.
  int16_t IsFileStatus(const std::string& Folder, const std::string& File);
  // True when `UserName` is the connection's user: without a domain in
  // LoginUser, the part of UserName after its first backslash is compared;
  // with one, the whole name. Case is ignored; an empty name is never the
  // user.
  bool CompareUserName(const std::string& UserName) const;

  // One document `File` of `Folder` (a folder path; "" is the workspace's
  // top): check-out, check-in, publishing, delete and rename. Status and
  // name tests set their codes before anything is asked of the server.

  // Checks the document out. False with ErrorCode 1006 when anybody has it
  // checked out, 1009 when it has no publishing state, else the mapped
  // server error.
  bool CheckOut(const std::string& Folder, const std::string& File);
  // Checks in the document this user has checked out, with CheckInComment.
  // The working copy first receives the office fields (Author, or LoginUser
  // when empty; Keywords split at commas; Description; Title), or with
  // ShowProfileDialog the profile dialog's choice; a cancelled dialog leaves
  // the document checked out and answers True. 1009 for no publishing
  // state, 1006 for any other state or when the server does not allow
  // "checkin".
  bool CheckIn(const std::string& Folder, const std::string& File);
  // Publishes the document; no status test of its own.
  bool Publish(const std::string& Folder, const std::string& File);
  // Deletes the document. ErrorCode 4 when Folder is not a valid path (the
  // empty one neither) or File not a valid name; False with ErrorCode as it
  // was when the server does not allow "delete".
  bool DeleteFile(const std::string& Folder, const std::string& File);
  // Renames the document inside `Folder`; ErrorCode 5 for an empty or
  // invalid name. Equal names open the document and move nothing.
  bool ChangeFileName(const std::string& Folder, const std::string& OldFileName,
                      const std::string& NewFileName);
  // Whether the document's allowed operations hold "checkin" exactly. Any
  // failure answers False and leaves ErrorCode alone.
  bool IsCheckinAllowed(const std::string& Folder, const std::string& File);
  // Whether one of the document's allowed operations ends with `Method`. A
  // failure answers False with the mapped error.
  bool IsAllowedMethod(const std::string& Folder, const std::string& File,
                       const std::string& Method);

  // Upload.

  // Saves the local file LocalFolder/File as document `File` of `Folder`,
  // by the owning object's OverWrite (any value but 1, 2, 3 is reset to 1):
  // 1 never replaces, 2 asks, 3 replaces. True when the document was
  // written, or when the person declined to replace it. ErrorCode 5 for an
  // empty File, 1006 for a refused permission or a document that may not be
  // replaced, 1008 for a local file that cannot be read.
  bool SaveFile(const std::string& Folder, const std::string& LocalFolder, const std::string& File);
  // One attempt of SaveFile, with UploadCreateOption as the write's create
  // option; the overwrite attempt (kCreateOverwrite) first tests the
  // document's status and asks when OverWrite is 2.
  bool Save(const std::string& Folder, const std::string& LocalFolder, const std::string& File);
  // The default profile of `Folder`; "" with the mapped error on failure.
  // No name check.
  std::string GetFolderDefaultProfile(const std::string& Folder);
  // The create option of the upload's next write: 0, or kCreateOverwrite.
  int32_t UploadCreateOption = 0;

  const RowList<ProfileRow>& workspace_profiles() const { return doc_profiles_; }
  const RowList<ProfileRow>& folder_profiles() const { return folder_profiles_; }
  const RowList<PropertyRow>& property_list() const { return properties_; }
  const RowList<DocumentRow>& document_list() const { return documents_; }
  // Rows 0 to room - 1 of the value list.
  const std::vector<ValueRow>& value_rows() const { return values_; }

  // Selection dialogs. Each fills its form from the server, shows it modally
  // and topmost, and returns SelectFlag: true when the person confirmed a
  // choice, which the form has then written into the owner's SelectFolder /
  // SelectWorkspace.

  // The workspaces of the server under a root node for it; OK writes
  // SelectWorkspace. The current workspace is not changed. A listing error
  // returns false (mapped code) without showing the form.
  bool WorkspaceDialogA();
  // The whole folder tree of the current workspace, read before the form
  // opens; OK writes SelectFolder, and the person may create and delete
  // folders on the way. A failing walk returns false without the form.
  bool FolderDialogA();
  // Every workspace the user can open, each with its folder tree; OK writes
  // SelectWorkspace and SelectFolder. The current workspace is current again
  // afterwards, whatever happens.
  bool FolderDialogB();

  // Profile assignment. The document object is the caller's: a fresh one
  // about to be written (NewDocument true) or one opened on an existing
  // document.

  // Loads the profiles `Folder` offers with their properties, presets the
  // values (from the automation object's Author, Title, Description and
  // Keywords for a new document, else from the document), shows the profile
  // dialog topmost and modally, and writes the chosen profile and every
  // value the dialog confirmed onto the document, then updates its fields.
  // True when written, and after Cancel (nothing written, ErrorCode 0);
  // false when loading fails (no dialog is shown), when no profile was
  // chosen, or with the mapped error when a write fails.
  bool ChangeProfile(const std::string& Folder, server::Item& Document, bool NewDocument);
  // Rebuilds the profile records (those of the workspace's profiles that
  // `Folder` offers, in the workspace's order, none marked offered yet) and
  // the property records (one per property name over all of them, in order
  // of first appearance). False with the mapped error code on failure.
  bool UpdateProfileInfo(std::string& Folder);
  // Marks the records of the profiles `Folder` offers, its default one, and
  // the one whose identifier is `Current` ("" for none).
  bool SetUseProfileInfo(const std::string& Folder, const std::string& Current);
  const records::ProfileRecords& profile_records() const { return profile_records_; }
  const records::PropertyRecords& property_records() const { return property_records_; }

  const std::string& current_workspace() const { return CurrentWorkspace; }
  const RowList<WorkspaceRow>& workspace_list() const { return workspaces_; }
  const RowList<FolderRow>& folder_list() const { return folders_; }
  const RowList<CategoryRow>& category_list() const { return categories_; }
  const RowList<HistoryRow>& history_list() const { return history_; }
  server::Backend& backend() const { return *backend_; }

 private:
  friend class ServerClass1Test;
  friend class WorkspacesFoldersTest;

  // Called from a catch block: maps the pending error to ErrorCode.
  void SetErrorCode();
  // The owning object's properties; throws std::logic_error for an engine
  // without one.
  ConnectProperties& OwnerProperties() const;
  // The owning object's forms; throws std::logic_error for an engine
  // without an owner, or an owner that shows none.
  Forms& OwnerForms() const;
  // The engine's own user name and password, for opens that pass them.
  server::BindArgs Bind(const std::string& url, const server::Connection* active, bool credentials,
                        int32_t create_option = server::kCreateFailIfNotExists) const;

  // Walks the category tree under Folder (a category path, "" for the
  // categories folder of Workspace) into TreeEntries from index Base on, the
  // way GetFolderTree walks folders: one block of children in the server's
  // order, then the subtrees of those that have subfolders. Entries are keyed
  // by their path below the categories folder; a top-level entry's parent key
  // is Workspace + "/" + RootCategory. Count is the number of entries stored,
  // or -1 on failure.
  void GetCategoryTree(const std::string& Workspace, const std::string& Folder, int16_t Base,
                       int16_t& Count);
  // Walks the folder tree under Folder (Workspace's top when empty) into
  // TreeEntries from index Base on: the children of a folder in one block in
  // the server's order, then the subtrees of those that have subfolders.
  // Count is the number of entries stored, or -1 on failure.
  void GetFolderTree(const std::string& Workspace, const std::string& Folder, int16_t Base,
                     int16_t& Count);
  // One level of those walks: opens `url` with the engine's credentials and
  // lists its subfolders into TreeEntries from index Base on (the list
  // grows by 20 when full), each row as `fill` makes it from the `columns`
  // it reads (false leaves the row out); then, for each entry stored with subfolders, `descend`
  // walks its Path into the entries from the next free index and gives their count (-1 ends the
  // walk). Count is the number stored by the level and below, or -1 on failure; errors are mapped
  // by SetErrorCode.
  void WalkTreeLevel(const std::string& url, int16_t Base, int16_t& Count,
                     server::Item::Columns columns,
                     const std::function<bool(const server::Fields&, TreeEntry&)>& fill,
                     const std::function<int16_t(const std::string&, int16_t)>& descend);
  // Turns the first Count entries of TreeEntries into nodes of the tree
  // view "TreeView1" of `Form`: a "work" entry under the tree's first node,
  // keyed by its name; any other entry with an image under the node keyed
  // by its ParentPath, keyed by its Path. Node receives each node added;
  // the entries whose ParentPath is Top are made visible, so the first
  // level shows and deeper levels stay collapsed. An error stops the adding
  // (mapped into ErrorCode); the nodes added so far stay.
  void AddTreeNodes(ui::Form& Form, std::shared_ptr<ui::TreeNode>& Node, int16_t Count,
                    const std::string& Top);
  // Makes `saved` current again after FolderDialogB tried every workspace,
  // leaving ErrorCode and CurrentWorkspace as the dialog had them.
  void RestoreWorkspace(const std::string& saved);
  // Opens the connection on `url` with the provider settings.
  void OpenConnection(const std::string& url);

  // What one GetFileInfo has read of the schema, so each content class and
  // property definition is asked for once in the operation.
  struct SchemaReads;
  // True when `Folder` holds a document named `File` (ignoring case); the
  // listing's row for it is copied to `row` when given. Sets ErrorCode 0,
  // or the mapped error of a failed listing, which counts as not found.
  bool FileExists(const std::string& Folder, const std::string& File,
                  server::Fields* row = nullptr);
  // The properties a status check read of a document, and the document's
  // URL: the listing's row when it names that very resource, else the
  // document's own open (the connection, mode 16, no credentials).
  struct DocumentRead {
    std::string url;
    server::Fields fields;
  };
  // IsFileStatus, also handing out what it read when it got as far as the
  // document (`read` is left alone otherwise).
  int16_t ReadFileStatus(const std::string& Folder, const std::string& File, DocumentRead* read);
  // Status from a document's properties (IsCheckedOut, checkedoutby,
  // documentstate).
  int16_t StatusOf(const server::Fields& document) const;
  // Reads the values of a listed document's profile properties into the
  // value list from row `First` on; the number of values, or -1.
  int16_t GetFileProperties(const std::string& ContentClass, const server::Recordset& Rows,
                            int16_t First, SchemaReads& reads);

  // Profile assignment steps.
  void ClearProfileFlags();
  void MarkProfile(const std::string& id, bool is_default, bool is_current);
  // Index of the first property record named `name`; -1 when none is.
  int16_t FindProperty(const std::string& name) const;
  bool LoadDocumentValues(server::Item& Document);
  void PresetOfficeValues();

  // What a SaveFile has read for its attempts: the folder's default profile
  // once a read of it succeeded. Null outside SaveFile.
  struct UploadReads {
    std::optional<std::string> default_profile;
  };
  UploadReads* upload_reads_ = nullptr;
  // Save's default profile of Folder: the one this SaveFile already read,
  // else GetFolderDefaultProfile's answer.
  std::string UploadDefaultProfile(const std::string& Folder);
  // The folder's default profile; throws what the open raised.
  std::string ReadFolderDefaultProfile(const std::string& Folder);

  std::shared_ptr<server::Backend> backend_;
  std::unique_ptr<server::Connection> cnx1_;
  std::unique_ptr<server::Item> ServerRoot;
  std::unique_ptr<server::Item> WorkspaceFolder;
  std::string CurrentWorkspace;
  std::vector<TreeEntry> TreeEntries;
  RowList<WorkspaceRow> workspaces_{5, 5};
  RowList<FolderRow> folders_{10, 10};
  // Profile assignment's records, rebuilt by every UpdateProfileInfo.
  records::ProfileRecords profile_records_;
  records::PropertyRecords property_records_;
  RowList<CategoryRow> categories_{5, 5};
  RowList<ProfileRow> doc_profiles_{5, 5};
  RowList<ProfileRow> folder_profiles_{5, 5};
  RowList<PropertyRow> properties_{10, 10};
  RowList<DocumentRow> documents_{10, 10};
  std::vector<ValueRow> values_ = std::vector<ValueRow>(11);
  int16_t selected_value_ = 0;  // first value row of the selected document
  RowList<HistoryRow> history_{5, 5};
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_SERVER_CLASS1_H_
