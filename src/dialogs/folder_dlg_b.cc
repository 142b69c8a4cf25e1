#include "dialogs/folder_dlg_b.h"

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

constexpr char kImageServer[] = "server";
constexpr char kImageWorkspace[] = "work";

ui::FormDeclaration Declaration() {
  ui::FormDeclaration d(kFolderDlgBName);
  d.TreeView("TreeView1").Size(340, 360).Button("OKButton").Default().Button("CancelButton");
  return d;
}

}  // namespace

FolderDlgB::FolderDlgB() : TreeForm(Declaration()) {}

void FolderDlgB::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                         const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  Keep(Connect, Server, Worksapce, Treenodx);
  OKButton().SetEnabled(false);
}

void FolderDlgB::Form_Load() {
  LoadCaptions(TextId::kSelectFolderCaption,
               {{"OKButton", TextId::kSelection}, {"CancelButton", TextId::kCancel}});
}

void FolderDlgB::TreeView1_Click() {
  const ui::TreeNode* node = TreeView1().SelectedItem();
  OKButton().SetEnabled(node != nullptr && node->Image() != kImageServer);
}

void FolderDlgB::OKButton_Click() {
  const ui::TreeNode* chosen = TreeView1().SelectedItem();
  if (chosen == nullptr) return;
  server_->SelectFlag = true;
  engine::ConnectProperties& p = connect_->Properties();
  if (chosen->Image() != kImageWorkspace) {
    // A folder: its key is the workspace, "/", and the path inside it.
    const std::string& key = chosen->Key();
    const size_t slash = key.find('/');
    p.SelectWorkspace = key.substr(0, slash);
    p.SelectFolder = slash == std::string::npos ? std::string() : key.substr(slash + 1);
  } else {
    p.SelectFolder.clear();
    p.SelectWorkspace = chosen->Key();
  }
  Close();
}

}  // namespace orvex::dialogs
