// The selection dialogs: the engine fills each form from the server, shows
// it modally and topmost, and returns the form's verdict (SelectFlag). Also
// the node builder the tree dialogs share. The forms are the owner's
// (engine/forms.h).
#include <limits>
#include <stdexcept>

#include "engine/error_codes.h"
#include "engine/forms.h"
#include "engine/listing_columns.h"
#include "engine/server_class1.h"
#include "module/top_most.h"
#include "platform/ui/form.h"
#include "platform/ui/tree_view.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

// Room of the entry list when a folder dialog starts one, and its growth
// while workspaces are added.
constexpr size_t kTreeRoom = 31;
constexpr size_t kTreeGrowth = 20;

constexpr char kImageServer[] = "server";
constexpr char kImageWorkspace[] = "work";
constexpr char kImageCategoryRoot[] = "rootcategory";

// Room of the entry list when the category dialog starts one.
constexpr size_t kCategoryTreeRoom = 21;

Owner& ConnectOf(Owner* connect) {
  if (connect == nullptr) throw std::logic_error("the engine has no owning object");
  return *connect;
}

void ShowTopMost(ui::Form& form) {
  int32_t handle = form.hWnd();
  module::SetTopMost(handle);
  form.ShowModal();
}

}  // namespace

void ServerClass1::AddTreeNodes(ui::Form& Form, ui::NodeRef& Node, int16_t Count,
                                const std::string& Top) {
  try {
    ui::TreeView& tree = Form.tree_view("TreeView1");
    for (int16_t i = 0; i < Count; ++i) {
      const TreeEntry& e = TreeEntries.at(static_cast<size_t>(i));
      if (e.ImageKey == kImageWorkspace) {
        Node = tree.AddChildOfIndex(0, e.ItemName, e.ItemName, kImageWorkspace);
      } else if (!e.ImageKey.empty()) {
        Node = tree.AddChildOfKey(e.ParentPath, e.Path, e.ItemName, e.ImageKey);
      } else {
        continue;
      }
      if (e.ParentPath == Top) Node->EnsureVisible();
    }
  } catch (...) {
    SetErrorCode();
  }
}

bool ServerClass1::FolderDialogA() {
  try {
    ErrorCode = kCodeNone;
    TreeEntries.assign(kTreeRoom, TreeEntry{});
    Owner& owner = ConnectOf(Connect);
    Forms& forms = owner.forms();
    SelectionForm& dialog = forms.Folders();
    ui::NodeRef node;
    dialog.SetData(owner, *this, CurrentWorkspace, node);
    ui::TreeView& tree = dialog.tree();
    tree.SetImageList(&forms.TreeImages());
    if (tree.Count() > 0) tree.Clear();
    node = tree.AddRoot(CurrentWorkspace, CurrentWorkspace, kImageWorkspace);

    int16_t n = -1;
    GetFolderTree(CurrentWorkspace, "", 0, n);
    if (n == -1) {
      TreeEntries.clear();
      return false;
    }
    AddTreeNodes(dialog.form(), node, n, CurrentWorkspace);
    TreeEntries.clear();

    ShowTopMost(dialog.form());
    return SelectFlag;
  } catch (...) {
    TreeEntries.clear();
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::WorkspaceDialogA() {
  ErrorCode = kCodeNone;
  Owner& owner = ConnectOf(Connect);
  Forms& forms = owner.forms();
  SelectionForm& dialog = forms.Workspaces();
  dialog.SetData(owner, *this, CurrentWorkspace, ui::NodeRef());
  ui::TreeView& tree = dialog.tree();
  tree.SetImageList(&forms.TreeImages());
  if (tree.Count() > 0) tree.Clear();
  ui::NodeRef root = tree.AddRoot(HostName, HostName, kImageServer);
  try {
    if (!ServerRoot) throw server::Error(server::kErrGenericFailure, "not connected");
    server::Recordset rows = ServerRoot->ListWorkspaces(listing_columns::kWorkspaceNames);
    for (; !rows.Eof(); rows.MoveNext()) {
      const std::string name = rows.Current().Value(server::kColParseName).ToString();
      tree.AddChild(*root, name, name, kImageWorkspace)->EnsureVisible();
    }
    tree.SetSelectedItem(root.get());
    ShowTopMost(dialog.form());
  } catch (...) {
    SetErrorCode();
    return false;
  }
  const bool result = SelectFlag;
  tree.Clear();
  return result;
}

bool ServerClass1::FolderDialogB() {
  std::string saved;
  bool restored = true;  // nothing has been made current yet
  try {
    ErrorCode = kCodeNone;
    saved = CurrentWorkspace;
    Owner& owner = ConnectOf(Connect);
    Forms& forms = owner.forms();
    SelectionForm& dialog = forms.WorkspaceFolders();
    ui::TreeView& tree = dialog.tree();
    tree.Clear();
    tree.SetImageList(&forms.TreeImages());
    tree.SetVisible(false);
    if (tree.Count() > 0) tree.Clear();
    ui::NodeRef node = tree.AddRoot("", HostName, kImageServer);

    if (!ServerRoot) throw server::Error(server::kErrGenericFailure, "not connected");
    int16_t count = 0;
    {
      server::Recordset rows = ServerRoot->ListWorkspaces(listing_columns::kWorkspaceNames);
      TreeEntries.assign(kTreeRoom, TreeEntry{});
      for (; !rows.Eof(); rows.MoveNext()) {
        const std::string name = rows.Current().Value(server::kColParseName).ToString();
        // Each try re-opens the connection on that workspace; a workspace
        // the user cannot open is left out, its code staying in ErrorCode.
        restored = false;
        const bool opened = SetWorkspace(name);
        // When the saved workspace is the last one tried and it opened, the
        // engine is already where the dialog found it.
        restored = opened && name == saved;
        if (!opened) continue;
        if (static_cast<size_t>(count) >= TreeEntries.size())
          TreeEntries.resize(TreeEntries.size() + kTreeGrowth);
        TreeEntry& e = TreeEntries[static_cast<size_t>(count)];
        e.ItemName = name;
        e.ImageKey = kImageWorkspace;
        e.ParentPath = HostName;
        if (count == std::numeric_limits<int16_t>::max()) throw std::overflow_error("workspaces");
        ++count;
      }
    }
    if (!restored) RestoreWorkspace(saved);
    restored = true;
    CurrentWorkspace = saved;

    int total = 0;
    for (int16_t i = 0; i < count; ++i) {
      int16_t r = -1;
      const std::string workspace = TreeEntries[static_cast<size_t>(i)].ItemName;
      GetFolderTree(workspace, "", static_cast<int16_t>(count + total), r);
      if (r < 0) {
        TreeEntries.clear();
        return false;
      }
      total += r;
      if (count + total > std::numeric_limits<int16_t>::max())
        throw std::overflow_error("tree entries");
    }
    AddTreeNodes(dialog.form(), node, static_cast<int16_t>(count + total), HostName);
    TreeEntries.clear();
    CurrentWorkspace = saved;

    dialog.SetData(owner, *this, CurrentWorkspace, node);
    tree.SetVisible(true);
    ShowTopMost(dialog.form());
    return SelectFlag;
  } catch (...) {
    TreeEntries.clear();
    ErrorCode = kCodeFailure;
    if (!restored) RestoreWorkspace(saved);
    CurrentWorkspace = saved;
    return false;
  }
}

void ServerClass1::RestoreWorkspace(const std::string& saved) {
  if (saved.empty()) return;
  const int32_t code = ErrorCode;
  SetWorkspace(saved);
  ErrorCode = code;
}

bool ServerClass1::CategoryDialogA() {
  SelectionForm* dialog = nullptr;
  try {
    ErrorCode = kCodeNone;
    Owner& owner = ConnectOf(Connect);
    Forms& forms = owner.forms();
    dialog = &forms.Categories();
    ui::TreeView& tree = dialog->tree();
    tree.Clear();
    ui::NodeRef node;
    dialog->SetData(owner, *this, CurrentWorkspace, node);
    tree.SetImageList(&forms.TreeImages());
    const std::string root_key = CurrentWorkspace + "/" + RootCategory;
    node = tree.AddRoot(root_key, RootCategory, kImageCategoryRoot);
    ui::TreeNode* root = node.get();

    TreeEntries.assign(kCategoryTreeRoom, TreeEntry{});
    int16_t n = -1;
    GetCategoryTree(CurrentWorkspace, "", 0, n);
    if (n == -1) {
      TreeEntries.clear();
      tree.Clear();
      return false;
    }
    if (n != 0) AddTreeNodes(dialog->form(), node, n, root_key);
    TreeEntries.clear();
    tree.SetSelectedItem(root);

    ShowTopMost(dialog->form());
    const bool result = SelectFlag;
    tree.Clear();
    return result;
  } catch (...) {
    TreeEntries.clear();
    SetErrorCode();
    if (dialog != nullptr) dialog->tree().Clear();
    return false;
  }
}

}  // namespace orvex::engine
