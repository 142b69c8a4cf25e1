#include "dialogs/folder_dlg_a.h"

#include "module/names.h"
#include "module/top_most.h"
#include "platform/ui/message_box.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

constexpr int kCaptionSelectFolder = 105;
constexpr int kCaptionCancel = 107;
constexpr int kCaptionOk = 108;
constexpr int kCaptionCreate = 122;
constexpr int kCaptionDelete = 123;
constexpr int kCaptionCreateFolder = 125;
constexpr int kTitleBadName = 126;
constexpr int kFieldFolderName = 127;
constexpr int kTitleDelete = 133;
constexpr int kAskDelete = 134;
constexpr int kDeleteFailed = 135;
constexpr int kTitleCreate = 136;
constexpr int kCreateFailed = 137;
constexpr int kLabelNewFolder = 141;
constexpr int kTextForbiddenCharacters = 117;

constexpr char kImageWorkspace[] = "work";
constexpr char kImageEnhanced[] = "smart";
constexpr char kImageStandard[] = "folder";

ui::FormDeclaration FolderDeclaration() {
  ui::FormDeclaration d(kFolderDlgAName);
  d.TreeView("TreeView1")
      .Size(340, 320)
      .Button("OKButton")
      .Button("CancelButton")
      .Button("CreateButton")
      .Button("DeleteButton")
      .ImageList("ImageList1", {"server", "work", "smart", "folder", "category", "rootcategory"});
  return d;
}

ui::FormDeclaration NameDeclaration() {
  ui::FormDeclaration d(kDocFolderDlgAName);
  d.Label("FolderLabel1")
      .TextBox("FolderName")
      .Size(300, 0)
      .Button("OKButton")
      .Button("CancelButton");
  return d;
}

// The part of a node key after its first "/": a folder's path inside the
// workspace ("Sales/Reports/2001" gives "Reports/2001").
std::string AfterFirstSlash(const std::string& key) {
  const size_t slash = key.find('/');
  return slash == std::string::npos ? std::string() : key.substr(slash + 1);
}

void ShowTopMost(ui::Form& form) {
  int32_t handle = form.hWnd();
  module::SetTopMost(handle);
  form.ShowModal();
}

}  // namespace

FolderDlgA::FolderDlgA() : form_(FolderDeclaration()) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  TreeView1().OnClick([this] { TreeView1_Click(); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
  CreateButton().OnClick([this] { CreateButton_Click(); });
  DeleteButton().OnClick([this] { DeleteButton_Click(); });
}

void FolderDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                         const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  connect_ = &Connect;
  server_ = &Server;
  worksapce_ = Worksapce;
  treenodx_ = Treenodx;
  Server.SelectFlag = false;
  OKButton().SetEnabled(false);
  CreateButton().SetEnabled(false);
  DeleteButton().SetEnabled(false);
  CancelButton().SetEnabled(true);
}

void FolderDlgA::Form_Load() {
  current_ = TreeView1().SelectedItem();
  form_.SetCaption(resources::LoadString(kCaptionSelectFolder));
  OKButton().SetCaption(resources::LoadString(kCaptionOk));
  CancelButton().SetCaption(resources::LoadString(kCaptionCancel));
  CreateButton().SetCaption(resources::LoadString(kCaptionCreate));
  DeleteButton().SetCaption(resources::LoadString(kCaptionDelete));
}

bool FolderDlgA::TakeSelectedNode() {
  current_ = TreeView1().SelectedItem();
  if (current_ != nullptr) return true;
  OKButton().SetEnabled(false);
  CreateButton().SetEnabled(false);
  DeleteButton().SetEnabled(false);
  return false;
}

void FolderDlgA::TreeView1_Click() {
  if (!TakeSelectedNode()) return;
  CreateButton().SetEnabled(true);
  // The workspace root can be created under, not chosen or deleted.
  const bool folder = current_->Image() != kImageWorkspace;
  OKButton().SetEnabled(folder);
  DeleteButton().SetEnabled(folder);
}

void FolderDlgA::OKButton_Click() {
  if (!TakeSelectedNode()) return;
  server_->SelectFlag = true;
  connect_->Properties().SelectFolder = AfterFirstSlash(current_->Key());
  form_.Hide();
  TreeView1().Clear();
}

void FolderDlgA::CancelButton_Click() {
  form_.Hide();
  TreeView1().Clear();
}

void FolderDlgA::CreateButton_Click() {
  if (!TakeSelectedNode()) return;
  const std::string parent_image = current_->Image();
  const std::string parent_path =
      parent_image == kImageWorkspace ? std::string() : AfterFirstSlash(current_->Key());

  DocFolderDlgA& entry = DocFolderDlgA::Get();
  entry.SetData(*connect_, *server_, "");
  ShowTopMost(entry.form());
  if (!OKFlag) return;

  const std::string path = parent_path.empty() ? FolderText : parent_path + "/" + FolderText;
  // A folder made under a standard folder is standard; under an enhanced
  // folder or directly under the workspace it is enhanced.
  const bool version = parent_image != kImageStandard;
  if (connect_->CreateFolder(path, version)) {
    // A folder made directly under the workspace shows as the enhanced
    // folder it is, so it can be chosen, deleted and created under at once,
    // as it will be the next time the tree is read.
    const std::string image = parent_image == kImageStandard ? kImageStandard : kImageEnhanced;
    treenodx_ =
        TreeView1().AddChild(*current_, current_->Key() + "/" + FolderText, FolderText, image);
    treenodx_->EnsureVisible();
    TreeView1().SetFocus();
  } else {
    ui::MessageBox(resources::ReplacePercent(resources::LoadString(kCreateFailed), FolderText),
                   ui::kMbOkOnly | ui::kMbCritical, resources::LoadString(kTitleCreate));
    server_->ErrorCode = 0;
  }
}

void FolderDlgA::DeleteButton_Click() {
  if (!TakeSelectedNode()) return;
  const std::string text = current_->Text();
  const int32_t answer = ui::MessageBox(
      resources::ReplacePercent(resources::LoadString(kAskDelete), text),
      ui::kMbYesNo | ui::kMbQuestion | ui::kMbDefaultButton2, resources::LoadString(kTitleDelete));
  if (answer != ui::kAnswerYes) return;
  const std::string key = current_->Key();
  if (connect_->DeleteFolder(AfterFirstSlash(key))) {
    TreeView1().Remove(key);
    TreeView1().SetFocus();
    TakeSelectedNode();  // the deleted node was the selected one
  } else {
    ui::MessageBox(resources::ReplacePercent(resources::LoadString(kDeleteFailed), text),
                   ui::kMbOkOnly | ui::kMbCritical, resources::LoadString(kTitleDelete));
    server_->ErrorCode = 0;
  }
}

DocFolderDlgA::DocFolderDlgA() : form_(NameDeclaration()) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  FolderName().OnChange([this] { FolderName_Change(); });
  FolderName().OnKeyPress([this](int& key) { FolderName_KeyPress(key); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void DocFolderDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                            const std::string& Name) {
  connect_ = &Connect;
  server_ = &Server;
  FolderName().SetText(Name);
}

void DocFolderDlgA::Form_Load() {
  OKButton().SetEnabled(false);
  form_.SetCaption(resources::LoadString(kCaptionCreateFolder));
  OKButton().SetCaption(resources::LoadString(kCaptionCreate));
  CancelButton().SetCaption(resources::LoadString(kCaptionCancel));
  FolderLabel1().SetCaption(resources::LoadString(kLabelNewFolder));
}

void DocFolderDlgA::FolderName_Change() { OKButton().SetEnabled(!FolderName().Text().empty()); }

void DocFolderDlgA::FolderName_KeyPress(int& KeyAscii) {
  if (KeyAscii == ui::kKeyEnter && OKButton().Enabled()) OKButton_Click();
}

void DocFolderDlgA::OKButton_Click() {
  const std::string name = FolderName().Text();
  if (!module::IsValidName(name)) {
    ui::MessageBox(resources::ReplacePercent(resources::LoadString(kTextForbiddenCharacters),
                                             resources::LoadString(kFieldFolderName)),
                   ui::kMbOkOnly | ui::kMbExclamation, resources::LoadString(kTitleBadName));
    return;
  }
  FolderDlgA& owner = FolderDlgA::Get();
  owner.OKFlag = true;
  owner.FolderText = name;
  form_.Hide();
}

void DocFolderDlgA::CancelButton_Click() {
  FolderDlgA& owner = FolderDlgA::Get();
  owner.OKFlag = false;
  owner.FolderText.clear();
  form_.Hide();
}

}  // namespace orvex::dialogs
