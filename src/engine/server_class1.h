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
#include <memory>
#include <string>
#include <vector>

#include "engine/owner.h"
#include "engine/row_list.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/item.h"

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

  const std::string& current_workspace() const { return CurrentWorkspace; }
  const RowList<WorkspaceRow>& workspace_list() const { return workspaces_; }
  const RowList<FolderRow>& folder_list() const { return folders_; }
  const RowList<CategoryRow>& category_list() const { return categories_; }
  server::Backend& backend() const { return *backend_; }

 private:
  friend class ServerClass1Test;
  friend class WorkspacesFoldersTest;

  // Called from a catch block: maps the pending error to ErrorCode.
  void SetErrorCode();
  // The engine's own user name and password, for opens that pass them.
  server::BindArgs Bind(const std::string& url, const server::Connection* active, bool credentials,
                        int32_t create_option = server::kCreateFailIfNotExists) const;

  // Walks the folder tree under Folder (Workspace's top when empty) into
  // TreeEntries from index Base on: the children of a folder in one block in
  // the server's order, then the subtrees of those that have subfolders.
  // Count is the number of entries stored, or -1 on failure.
  void GetFolderTree(const std::string& Workspace, const std::string& Folder, int16_t Base,
                     int16_t& Count);
  // Opens the connection on `url` with the provider settings.
  void OpenConnection(const std::string& url);

  std::shared_ptr<server::Backend> backend_;
  std::unique_ptr<server::Connection> cnx1_;
  std::unique_ptr<server::Item> ServerRoot;
  std::unique_ptr<server::Item> WorkspaceFolder;
  std::string CurrentWorkspace;
  std::vector<TreeEntry> TreeEntries;
  RowList<WorkspaceRow> workspaces_{5, 5};
  RowList<FolderRow> folders_{10, 10};
  RowList<CategoryRow> categories_{5, 5};
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_SERVER_CLASS1_H_
