#include "dialogs/folder_dlg_a.h"

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

constexpr char kImageWorkspace[] = "work";
constexpr char kImageEnhanced[] = "smart";
constexpr char kImageStandard[] = "folder";

ui::FormDeclaration FolderDeclaration() {
  ui::FormDeclaration d(kFolderDlgAName);
  d.TreeView("TreeView1")
      .Size(340, 320)
      .Button("OKButton")
      .Default()
      .Button("CancelButton")
      .Button("CreateButton")
      .Button("DeleteButton")
      .ImageList("ImageList1", {"server", "work", "smart", "folder", "category", "rootcategory"});
  return d;
}

// The part of a node key after its first "/": a folder's path inside the
// workspace ("Sales/Reports/2001" gives "Reports/2001").
std::string AfterFirstSlash(const std::string& key) {
  const size_t slash = key.find('/');
  return slash == std::string::npos ? std::string() : key.substr(slash + 1);
}

}  // namespace

// The workspace root can be created under, not chosen or deleted; the tree
// takes the focus back only after a change.
FolderDlgA::FolderDlgA()
    : EditableTreeForm(FolderDeclaration(), {kImageWorkspace, TextId::kCreatingFolderTitle,
                                             TextId::kConfirmFolderDeleteTitle, false}) {}

void FolderDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                         const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  Keep(Connect, Server, Worksapce, Treenodx);
  DisableNodeButtons();
  CancelButton().SetEnabled(true);
}

void FolderDlgA::Form_Load() {
  current_ = TreeView1().SelectedItem();
  LoadCaptions(TextId::kSelectFolderCaption, {{"OKButton", TextId::kOk},
                                              {"CancelButton", TextId::kCancel},
                                              {"CreateButton", TextId::kCreate},
                                              {"DeleteButton", TextId::kDelete}});
}

void FolderDlgA::OKButton_Click() {
  if (!TakeSelectedNode()) return;
  server_->SelectFlag = true;
  connect_->Properties().SelectFolder = AfterFirstSlash(current_->Key());
  Close();
}

void FolderDlgA::CreateButton_Click() {
  CreateUnderSelection(
      DocFolderDlgA::Get(), OKFlag, FolderText,
      [this](const ui::TreeNode& parent, const std::string& name) -> std::optional<NewNode> {
        const std::string& parent_image = parent.Image();
        const std::string parent_path =
            parent_image == kImageWorkspace ? std::string() : AfterFirstSlash(parent.Key());
        const std::string path = parent_path.empty() ? name : parent_path + "/" + name;
        // A folder made under a standard folder is standard; under an
        // enhanced folder or directly under the workspace it is enhanced.
        const bool version = parent_image != kImageStandard;
        if (!connect_->CreateFolder(path, version)) return std::nullopt;
        // A folder made directly under the workspace shows as the enhanced
        // folder it is, so it can be chosen, deleted and created under at
        // once, as it will be the next time the tree is read.
        return NewNode{parent.Key() + "/" + name,
                       parent_image == kImageStandard ? kImageStandard : kImageEnhanced};
      });
}

void FolderDlgA::DeleteButton_Click() {
  DeleteSelection([this](const ui::TreeNode& node) {
    return connect_->DeleteFolder(AfterFirstSlash(node.Key()));
  });
}

DocFolderDlgA::DocFolderDlgA()
    : NameEntryForm(kDocFolderDlgAName, "FolderLabel1", "FolderName",
                    {TextId::kCreateFolderCaption, TextId::kNewFolderName, TextId::kFolderName,
                     TextId::kConfirmFolderNameTitle}) {}

void DocFolderDlgA::Answer(bool ok, const std::string& name) {
  FolderDlgA& owner = FolderDlgA::Get();
  owner.OKFlag = ok;
  owner.FolderText = name;
}

}  // namespace orvex::dialogs
