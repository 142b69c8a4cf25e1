#include "dialogs/category_dlg_a.h"

#include <algorithm>

#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

constexpr char kImageRoot[] = "rootcategory";
constexpr char kImageCategory[] = "category";

ui::FormDeclaration CategoryDeclaration() {
  ui::FormDeclaration d(kCategoryDlgAName);
  d.TreeView("TreeView1")
      .Size(340, 320)
      .Button("OKButton")
      .Default()
      .Button("CancelButton")
      .Button("CreateButton")
      .Button("DeleteButton");
  return d;
}

}  // namespace

// The categories folder can be created under, not chosen or deleted; the
// tree takes the focus back after every Create and Delete.
CategoryDlgA::CategoryDlgA()
    : EditableTreeForm(CategoryDeclaration(), {kImageRoot, TextId::kCreatingCategoryTitle,
                                               TextId::kConfirmCategoryDeleteTitle, true}) {}

void CategoryDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                           const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  DisableNodeButtons();
  Keep(Connect, Server, Worksapce, Treenodx);
}

std::string CategoryDlgA::ToCategoryPath(const std::string& key) {
  std::string path = key;
  std::replace(path.begin(), path.end(), '/', ':');
  return path;
}

void CategoryDlgA::Form_Load() {
  LoadCaptions(TextId::kSelectCategoryCaption, {{"CreateButton", TextId::kCreate},
                                                {"OKButton", TextId::kOk},
                                                {"CancelButton", TextId::kCancel},
                                                {"DeleteButton", TextId::kDelete}});
}

void CategoryDlgA::OKButton_Click() {
  if (!TakeSelectedNode()) return;
  server_->SelectFlag = true;
  connect_->Properties().SelectCategory = ToCategoryPath(current_->Key());
  Close();
}

void CategoryDlgA::CreateButton_Click() {
  CreateUnderSelection(
      CatFolderDlgA::Get(), OKFlag, CategoryText,
      [this](const ui::TreeNode& parent, const std::string& name) -> std::optional<NewNode> {
        const std::string path = parent.Image() == kImageRoot ? name : parent.Key() + "/" + name;
        if (!connect_->CreateCategory(path)) return std::nullopt;
        return NewNode{path, kImageCategory};
      });
}

void CategoryDlgA::DeleteButton_Click() {
  // The key is the category's path with its "/" separators, as the server
  // knows it.
  DeleteSelection(
      [this](const ui::TreeNode& node) { return connect_->DeleteCategory(node.Key()); });
}

CatFolderDlgA::CatFolderDlgA()
    : NameEntryForm(kCatFolderDlgAName, "Label1", "CategoryName",
                    {TextId::kCreateCategoryCaption, TextId::kNewCategoryName,
                     TextId::kCategoryFolderName, TextId::kCategoryFolderName}) {}

void CatFolderDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                            const std::string& Name) {
  OKButton().SetEnabled(false);
  NameEntryForm::SetData(Connect, Server, Name);
}

void CatFolderDlgA::Answer(bool ok, const std::string& name) {
  CategoryDlgA& owner = CategoryDlgA::Get();
  owner.OKFlag = ok;
  owner.CategoryText = name;
}

}  // namespace orvex::dialogs
