// Workspaces: listing the server's workspaces and making one current.
#include "engine/error_codes.h"
#include "engine/listing_columns.h"
#include "engine/server_class1.h"
#include "module/names.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {
bool ServerClass1::SetWorkspace(const std::string& Workspace) {
  if (!module::IsValidName(Workspace)) {
    ErrorCode = kCodeWorkspaceFailed;
    CurrentWorkspace.clear();
    return false;
  }
  CurrentWorkspace = Workspace;
  const std::string url = CreateURL(kUrlWorkspaceItem, "");
  try {
    if (cnx1().State() == server::kStateOpen) {
      cnx1().Close();
      WorkspaceFolder.reset();
    }
    OpenConnection(url);
  } catch (...) {
    SetErrorCode();
    CurrentWorkspace.clear();
    return false;
  }
  try {
    WorkspaceFolder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
    WorkspaceFolder->Open(Bind(url, &cnx1(), true));
    const server::Fields& fields = WorkspaceFolder->GetFields();
    RootCategory = fields.Value(server::kPropCategoriesFolder).ToString();
    SysFolder = fields.Value(server::kPropSchemaCollectionRef).ToString();
  } catch (...) {
    SetErrorCode();
    if (cnx1().State() == server::kStateOpen) cnx1().Close();
    WorkspaceFolder.reset();
    CurrentWorkspace.clear();
    return false;
  }
  return true;
}

int16_t ServerClass1::GetWorkspaceInfo() {
  workspaces_.Reset();
  try {
    if (!ServerRoot) throw server::Error(server::kErrGenericFailure, "not connected");
    server::Recordset rows = ServerRoot->ListWorkspaces(listing_columns::kWorkspaces);
    for (; !rows.Eof(); rows.MoveNext()) {
      const server::Fields& f = rows.Current();
      workspaces_.Add(WorkspaceRow{f.Value(server::kColParseName).ToString(),
                                   f.Value(server::kPropDescription).ToString(),
                                   f.Value(server::kColAbsoluteParseName).ToString(),
                                   f.Value(server::kPropDefaultContentClass).ToString()});
    }
  } catch (...) {
    ErrorCode = kCodeFailure;
    return -1;
  }
  return workspaces_.count();
}

bool ServerClass1::GetWorkspace(int16_t Index, std::string& Workspace, std::string& Description) {
  const WorkspaceRow* row = workspaces_.Get(Index);
  if (row == nullptr) return false;
  Workspace = row->name;
  Description = row->description;
  return true;
}

}  // namespace orvex::engine
