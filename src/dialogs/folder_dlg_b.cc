#include "dialogs/folder_dlg_b.h"

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

constexpr int kCaptionSelectFolder = 105;
constexpr int kCaptionSelection = 106;
constexpr int kCaptionCancel = 107;

constexpr char kImageServer[] = "server";
constexpr char kImageWorkspace[] = "work";

ui::FormDeclaration Declaration() {
  ui::FormDeclaration d(kFolderDlgBName);
  d.TreeView("TreeView1").Size(340, 360).Button("OKButton").Button("CancelButton");
  return d;
}

}  // namespace

FolderDlgB::FolderDlgB() : form_(Declaration()) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  TreeView1().OnClick([this] { TreeView1_Click(); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void FolderDlgB::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                         const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  worksapce_ = Worksapce;
  connect_ = &Connect;
  server_ = &Server;
  OKButton().SetEnabled(false);
  Server.SelectFlag = false;
  treenodx_ = Treenodx;
}

void FolderDlgB::Form_Load() {
  form_.SetCaption(resources::LoadString(kCaptionSelectFolder));
  OKButton().SetCaption(resources::LoadString(kCaptionSelection));
  CancelButton().SetCaption(resources::LoadString(kCaptionCancel));
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
  form_.Hide();
  TreeView1().Clear();
}

void FolderDlgB::CancelButton_Click() {
  form_.Hide();
  TreeView1().Clear();
}

}  // namespace orvex::dialogs
