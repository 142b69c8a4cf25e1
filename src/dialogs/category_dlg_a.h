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
#include "dialogs/tree_forms.h"
#include "engine/owner.h"
#include "engine/server_class1.h"

namespace orvex::dialogs {

inline constexpr char kCategoryDlgAName[] = "CategoryDlgA";
inline constexpr char kCatFolderDlgAName[] = "CatFolderDlgA";

class CategoryDlgA : public EditableTreeForm {
 public:
  static CategoryDlgA& Get() { return FormInstances::Get<CategoryDlgA>(); }

  // Keeps the owner, the engine (both must outlive the showing), the
  // workspace name and the node reference; SelectFlag false; OK, Create and
  // Delete disabled until a node is clicked.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
               const ui::NodeRef& Treenodx);

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

  void Form_Load() override;
  void OKButton_Click() override;
  void CreateButton_Click() override;
  void DeleteButton_Click() override;
};

class CatFolderDlgA : public NameEntryForm {
 public:
  static CatFolderDlgA& Get() { return FormInstances::Get<CatFolderDlgA>(); }

  // Keeps the owner and the engine; OK disabled; the name box gets `Name`.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server,
               const std::string& Name) override;

  ui::Label& Label1() { return form_.label("Label1"); }
  ui::TextBox& CategoryName() { return form_.text_box("CategoryName"); }

 private:
  friend struct FormInstances;
  CatFolderDlgA();

  // CategoryDlgA's OKFlag and CategoryText.
  void Answer(bool ok, const std::string& name) override;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_CATEGORY_DLG_A_H_
