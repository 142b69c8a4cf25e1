// CategoryDlgA: the category selection form, and CatFolderDlgA, the small
// form that asks for the name of a new category folder.
//
// The engine (ServerClass1::CategoryDialogA) resets the form with SetData,
// fills TreeView1 with the categories folder as root and the whole category
// tree under it, and shows the form modally. The person picks a category
// (OK writes its path, with ":" between the levels, into the owner's
// SelectCategory), and may create categories under any node and delete any
// category on the way; those changes go through the owner's plain
// CreateCategory and DeleteCategory, so they act on the default connection,
// and the tree is updated in place. Category nodes are keyed by their path
// below the categories folder ("Europe/France").
//
// The tree draws from FolderDlgA's ImageList1. One object of each form per
// thread, created on first use and only hidden afterwards.
#ifndef ORVEX_DIALOGS_CATEGORY_DLG_A_H_
#define ORVEX_DIALOGS_CATEGORY_DLG_A_H_

#include <string>

#include "dialogs/form_instances.h"
#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/text_box.h"
#include "platform/ui/tree_view.h"

namespace orvex::dialogs {

inline constexpr char kCategoryDlgAName[] = "CategoryDlgA";
inline constexpr char kCatFolderDlgAName[] = "CatFolderDlgA";

class CategoryDlgA {
 public:
  static CategoryDlgA& Get() { return FormInstances::Get<CategoryDlgA>(); }

  // Keeps the owner, the engine (both must outlive the showing), the
  // workspace name and the node reference; SelectFlag false; OK, Create and
  // Delete disabled until a node is clicked.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
               const ui::NodeRef& Treenodx);

  ui::Form& form() { return form_; }
  ui::TreeView& TreeView1() { return form_.tree_view("TreeView1"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }
  ui::Button& CreateButton() { return form_.button("CreateButton"); }
  ui::Button& DeleteButton() { return form_.button("DeleteButton"); }

  const std::string& Worksapce() const { return worksapce_; }
  // The last node the form created (or the reference SetData was given).
  const ui::NodeRef& Treenodx() const { return treenodx_; }

  // The SelectCategory text of a node key: every "/" becomes ":"
  // ("Europe/France" gives "Europe:France").
  static std::string ToCategoryPath(const std::string& key);

  // Written by CatFolderDlgA: whether the name entry was confirmed, and the
  // name typed. They keep the last entry's values until the next one.
  bool OKFlag = false;
  std::string CategoryText;

 private:
  friend struct FormInstances;
  CategoryDlgA();

  void Form_Load();
  void TreeView1_Click();
  void OKButton_Click();
  void CancelButton_Click();
  void CreateButton_Click();
  void DeleteButton_Click();
  // The tree's selected node becomes the current node; false when nothing
  // is selected (the selected category was just deleted), and then the
  // buttons that act on a node are disabled.
  bool TakeSelectedNode();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
  std::string worksapce_;
  ui::NodeRef treenodx_;
  ui::TreeNode* current_ = nullptr;
};

class CatFolderDlgA {
 public:
  static CatFolderDlgA& Get() { return FormInstances::Get<CatFolderDlgA>(); }

  // Keeps the owner and the engine; OK disabled; the name box gets `Name`.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Name);

  ui::Form& form() { return form_; }
  ui::Label& Label1() { return form_.label("Label1"); }
  ui::TextBox& CategoryName() { return form_.text_box("CategoryName"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

 private:
  friend struct FormInstances;
  CatFolderDlgA();

  void Form_Load();
  void CategoryName_Change();
  void CategoryName_KeyPress(int& KeyAscii);
  void OKButton_Click();
  void CancelButton_Click();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_CATEGORY_DLG_A_H_
