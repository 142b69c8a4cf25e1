#include "dialogs/workspace_dlg_a.h"

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

constexpr int kCaptionWorkspace = 111;
constexpr int kCaptionOk = 108;
constexpr int kCaptionCancel = 107;

constexpr char kImageServer[] = "server";

ui::FormDeclaration Declaration() {
  ui::FormDeclaration d(kWorkspaceDlgAName);
  d.TreeView("TreeView1").Size(300, 280).Button("OKButton").Button("CancelButton");
  return d;
}

}  // namespace

WorkspaceDlgA::WorkspaceDlgA() : form_(Declaration()) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  TreeView1().OnClick([this] { TreeView1_Click(); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void WorkspaceDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                            const ui::NodeRef& Treenodx) {
  connect_ = &Connect;
  server_ = &Server;
  treenodx_ = Treenodx;
  Server.SelectFlag = false;
  OKButton().SetEnabled(false);
}

void WorkspaceDlgA::Form_Load() {
  form_.SetCaption(resources::LoadString(kCaptionWorkspace));
  OKButton().SetCaption(resources::LoadString(kCaptionOk));
  CancelButton().SetCaption(resources::LoadString(kCaptionCancel));
}

void WorkspaceDlgA::TreeView1_Click() {
  current_ = TreeView1().SelectedItem();
  OKButton().SetEnabled(current_ != nullptr && current_->Image() != kImageServer);
}

void WorkspaceDlgA::OKButton_Click() {
  current_ = TreeView1().SelectedItem();
  if (current_ == nullptr) return;
  server_->SelectFlag = true;
  connect_->Properties().SelectWorkspace = current_->Key();
  form_.Hide();
  TreeView1().Clear();
}

void WorkspaceDlgA::CancelButton_Click() {
  form_.Hide();
  TreeView1().Clear();
}

}  // namespace orvex::dialogs
