#include "dialogs/workspace_dlg_a.h"

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

constexpr char kImageServer[] = "server";

ui::FormDeclaration Declaration() {
  ui::FormDeclaration d(kWorkspaceDlgAName);
  d.TreeView("TreeView1").Size(300, 280).Button("OKButton").Default().Button("CancelButton");
  return d;
}

}  // namespace

WorkspaceDlgA::WorkspaceDlgA() : TreeForm(Declaration()) {}

void WorkspaceDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                            const ui::NodeRef& Treenodx) {
  Keep(Connect, Server, "", Treenodx);
  OKButton().SetEnabled(false);
}

void WorkspaceDlgA::Form_Load() {
  LoadCaptions(TextId::kWorkspaceCaption,
               {{"OKButton", TextId::kOk}, {"CancelButton", TextId::kCancel}});
}

void WorkspaceDlgA::TreeView1_Click() {
  const ui::TreeNode* node = TreeView1().SelectedItem();
  OKButton().SetEnabled(node != nullptr && node->Image() != kImageServer);
}

void WorkspaceDlgA::OKButton_Click() {
  const ui::TreeNode* node = TreeView1().SelectedItem();
  if (node == nullptr) return;
  server_->SelectFlag = true;
  connect_->Properties().SelectWorkspace = node->Key();
  Close();
}

}  // namespace orvex::dialogs
