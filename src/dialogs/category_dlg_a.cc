#include "dialogs/category_dlg_a.h"

#include <algorithm>

#include "module/names.h"
#include "module/top_most.h"
#include "platform/ui/message_box.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

constexpr int kCaptionCancel = 107;
constexpr int kCaptionOk = 108;
constexpr int kTextForbiddenCharacters = 117;
constexpr int kCaptionCreate = 122;
constexpr int kCaptionDelete = 123;
constexpr int kCaptionNewCategory = 129;
constexpr int kFieldCategoryName = 131;
constexpr int kCaptionSelectCategory = 132;
constexpr int kAskDelete = 134;
constexpr int kDeleteFailed = 135;
constexpr int kCreateFailed = 137;
constexpr int kTitleDelete = 138;
constexpr int kTitleCreate = 139;
constexpr int kLabelNewCategory = 140;

constexpr char kImageRoot[] = "rootcategory";
constexpr char kImageCategory[] = "category";

ui::FormDeclaration CategoryDeclaration() {
  ui::FormDeclaration d(kCategoryDlgAName);
  d.TreeView("TreeView1")
      .Size(340, 320)
      .Button("OKButton")
      .Button("CancelButton")
      .Button("CreateButton")
      .Button("DeleteButton");
  return d;
}

ui::FormDeclaration NameDeclaration() {
  ui::FormDeclaration d(kCatFolderDlgAName);
  d.Label("Label1").TextBox("CategoryName").Size(300, 0).Button("OKButton").Button("CancelButton");
  return d;
}

void ShowTopMost(ui::Form& form) {
  int32_t handle = form.hWnd();
  module::SetTopMost(handle);
  form.ShowModal();
}

}  // namespace

CategoryDlgA::CategoryDlgA() : form_(CategoryDeclaration()) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  TreeView1().OnClick([this] { TreeView1_Click(); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
  CreateButton().OnClick([this] { CreateButton_Click(); });
  DeleteButton().OnClick([this] { DeleteButton_Click(); });
}

void CategoryDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                           const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  OKButton().SetEnabled(false);
  CreateButton().SetEnabled(false);
  DeleteButton().SetEnabled(false);
  connect_ = &Connect;
  server_ = &Server;
  worksapce_ = Worksapce;
  treenodx_ = Treenodx;
  Server.SelectFlag = false;
}

std::string CategoryDlgA::ToCategoryPath(const std::string& key) {
  std::string path = key;
  std::replace(path.begin(), path.end(), '/', ':');
  return path;
}

void CategoryDlgA::Form_Load() {
  form_.SetCaption(resources::LoadString(kCaptionSelectCategory));
  CreateButton().SetCaption(resources::LoadString(kCaptionCreate));
  OKButton().SetCaption(resources::LoadString(kCaptionOk));
  CancelButton().SetCaption(resources::LoadString(kCaptionCancel));
  DeleteButton().SetCaption(resources::LoadString(kCaptionDelete));
}

bool CategoryDlgA::TakeSelectedNode() {
  current_ = TreeView1().SelectedItem();
  if (current_ != nullptr) return true;
  OKButton().SetEnabled(false);
  CreateButton().SetEnabled(false);
  DeleteButton().SetEnabled(false);
  return false;
}

void CategoryDlgA::TreeView1_Click() {
  if (!TakeSelectedNode()) return;
  // The categories folder can be created under, not chosen or deleted.
  const bool category = current_->Image() != kImageRoot;
  OKButton().SetEnabled(category);
  DeleteButton().SetEnabled(category);
  CreateButton().SetEnabled(true);
}

void CategoryDlgA::OKButton_Click() {
  if (!TakeSelectedNode()) return;
  server_->SelectFlag = true;
  connect_->Properties().SelectCategory = ToCategoryPath(current_->Key());
  form_.Hide();
  TreeView1().Clear();
}

void CategoryDlgA::CancelButton_Click() {
  form_.Hide();
  TreeView1().Clear();
}

void CategoryDlgA::CreateButton_Click() {
  if (!TakeSelectedNode()) return;
  CatFolderDlgA& entry = CatFolderDlgA::Get();
  entry.SetData(*connect_, *server_, "");
  ShowTopMost(entry.form());
  if (OKFlag) {
    const std::string path =
        current_->Image() == kImageRoot ? CategoryText : current_->Key() + "/" + CategoryText;
    if (connect_->CreateCategory(path)) {
      treenodx_ = TreeView1().AddChild(*current_, path, CategoryText, kImageCategory);
      treenodx_->EnsureVisible();
    } else {
      ui::MessageBox(resources::ReplacePercent(resources::LoadString(kCreateFailed), CategoryText),
                     ui::kMbOkOnly | ui::kMbCritical, resources::LoadString(kTitleCreate));
      server_->ErrorCode = 0;
    }
  }
  TreeView1().SetFocus();
}

void CategoryDlgA::DeleteButton_Click() {
  if (!TakeSelectedNode()) return;
  const std::string text = current_->Text();
  const int32_t answer = ui::MessageBox(
      resources::ReplacePercent(resources::LoadString(kAskDelete), text),
      ui::kMbYesNo | ui::kMbQuestion | ui::kMbDefaultButton2, resources::LoadString(kTitleDelete));
  if (answer == ui::kAnswerYes) {
    // The key is the category's path with its "/" separators, as the
    // server knows it.
    const std::string key = current_->Key();
    if (connect_->DeleteCategory(key)) {
      TreeView1().Remove(key);
    } else {
      ui::MessageBox(resources::ReplacePercent(resources::LoadString(kDeleteFailed), text),
                     ui::kMbOkOnly | ui::kMbCritical, resources::LoadString(kTitleDelete));
      server_->ErrorCode = 0;
    }
  }
  TreeView1().SetFocus();
  TakeSelectedNode();  // nothing is selected once the selected node is gone
}

CatFolderDlgA::CatFolderDlgA() : form_(NameDeclaration()) {
  form_.OnLoad([this] { Form_Load(); });
  // Closing the entry from its frame counts as Cancel.
  form_.OnFrameClose([this] { CancelButton_Click(); });
  CategoryName().OnChange([this] { CategoryName_Change(); });
  CategoryName().OnKeyPress([this](int& key) { CategoryName_KeyPress(key); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void CatFolderDlgA::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                            const std::string& Name) {
  OKButton().SetEnabled(false);
  connect_ = &Connect;
  server_ = &Server;
  CategoryName().SetText(Name);
}

void CatFolderDlgA::Form_Load() {
  OKButton().SetEnabled(false);
  form_.SetCaption(resources::LoadString(kCaptionNewCategory));
  OKButton().SetCaption(resources::LoadString(kCaptionCreate));
  CancelButton().SetCaption(resources::LoadString(kCaptionCancel));
  Label1().SetCaption(resources::LoadString(kLabelNewCategory));
}

void CatFolderDlgA::CategoryName_Change() { OKButton().SetEnabled(!CategoryName().Text().empty()); }

void CatFolderDlgA::CategoryName_KeyPress(int& KeyAscii) {
  if (KeyAscii == ui::kKeyEnter && OKButton().Enabled()) OKButton_Click();
}

void CatFolderDlgA::OKButton_Click() {
  const std::string name = CategoryName().Text();
  if (!module::IsValidName(name)) {
    const std::string field = resources::LoadString(kFieldCategoryName);
    ui::MessageBox(
        resources::ReplacePercent(resources::LoadString(kTextForbiddenCharacters), field),
        ui::kMbOkOnly | ui::kMbExclamation, field);
    return;
  }
  CategoryDlgA& owner = CategoryDlgA::Get();
  owner.OKFlag = true;
  owner.CategoryText = name;
  form_.Hide();
}

void CatFolderDlgA::CancelButton_Click() {
  CategoryDlgA& owner = CategoryDlgA::Get();
  owner.OKFlag = false;
  owner.CategoryText.clear();
  form_.Hide();
}

}  // namespace orvex::dialogs
