// WorkspaceDlgA: the workspace selection form.
//
// The engine (ServerClass1::WorkspaceDialogA) resets the form with SetData,
// attaches FolderDlgA's ImageList1 to TreeView1, fills the tree with a root
// node for the server and one node per workspace, and shows the form
// modally. OK, enabled only on a workspace, writes the workspace's name
// into the owner's SelectWorkspace; the dialog only chooses and does not
// make the workspace current.
//
// One object per thread, created on first use and only hidden afterwards.
#ifndef ORVEX_DIALOGS_WORKSPACE_DLG_A_H_
#define ORVEX_DIALOGS_WORKSPACE_DLG_A_H_

#include "dialogs/form_instances.h"
#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/tree_view.h"

namespace orvex::dialogs {

inline constexpr char kWorkspaceDlgAName[] = "WorkspaceDlgA";

class WorkspaceDlgA {
 public:
  static WorkspaceDlgA& Get() { return FormInstances::Get<WorkspaceDlgA>(); }

  // Keeps the owner, the engine and the node reference; SelectFlag false;
  // OK disabled until a workspace is clicked.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const ui::NodeRef& Treenodx);

  ui::Form& form() { return form_; }
  ui::TreeView& TreeView1() { return form_.tree_view("TreeView1"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

 private:
  friend struct FormInstances;
  WorkspaceDlgA();

  void Form_Load();
  void TreeView1_Click();
  void OKButton_Click();
  void CancelButton_Click();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
  ui::NodeRef treenodx_;
  ui::TreeNode* current_ = nullptr;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_WORKSPACE_DLG_A_H_
