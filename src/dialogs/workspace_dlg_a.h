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
#include "dialogs/tree_forms.h"
#include "engine/owner.h"
#include "engine/server_class1.h"

namespace orvex::dialogs {

inline constexpr char kWorkspaceDlgAName[] = "WorkspaceDlgA";

class WorkspaceDlgA : public TreeForm {
 public:
  static WorkspaceDlgA& Get() { return FormInstances::Get<WorkspaceDlgA>(); }

  // Keeps the owner, the engine and the node reference; SelectFlag false;
  // OK disabled until a workspace is clicked.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const ui::NodeRef& Treenodx);

 private:
  friend struct FormInstances;
  WorkspaceDlgA();

  void Form_Load() override;
  void TreeView1_Click() override;
  void OKButton_Click() override;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_WORKSPACE_DLG_A_H_
