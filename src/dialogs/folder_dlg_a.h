// FolderDlgA: the folder selection form, and DocFolderDlgA, the small form
// that asks for the name of a new folder.
//
// The engine (ServerClass1::FolderDialogA) resets the form with SetData,
// fills TreeView1 with the workspace root and its whole folder tree and
// shows the form modally. The person picks a folder (OK writes its path
// inside the workspace into the owner's SelectFolder), and may create
// folders under any node and delete any folder on the way; those changes go
// through the owner's plain CreateFolder and DeleteFolder, so they act on
// the default connection, and the tree is updated in place.
//
// FolderDlgA also holds ImageList1, the pictures every selection tree draws
// from (the other tree forms attach it to their own trees).
//
// One object of each form per thread, created on first use and only hidden
// afterwards.
#ifndef ORVEX_DIALOGS_FOLDER_DLG_A_H_
#define ORVEX_DIALOGS_FOLDER_DLG_A_H_

#include <string>

#include "dialogs/form_instances.h"
#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/image_list.h"
#include "platform/ui/label.h"
#include "platform/ui/text_box.h"
#include "platform/ui/tree_view.h"

namespace orvex::dialogs {

inline constexpr char kFolderDlgAName[] = "FolderDlgA";
inline constexpr char kDocFolderDlgAName[] = "DocFolderDlgA";

class FolderDlgA {
 public:
  static FolderDlgA& Get() { return FormInstances::Get<FolderDlgA>(); }
  static FolderDlgA* IfCreated() { return FormInstances::IfCreated<FolderDlgA>(); }

  // Keeps the owner, the engine (both must outlive the showing), the
  // workspace name and the node reference; SelectFlag false; OK, Create and
  // Delete disabled until a node is clicked, Cancel enabled.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
               const ui::NodeRef& Treenodx);

  ui::Form& form() { return form_; }
  ui::TreeView& TreeView1() { return form_.tree_view("TreeView1"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }
  ui::Button& CreateButton() { return form_.button("CreateButton"); }
  ui::Button& DeleteButton() { return form_.button("DeleteButton"); }
  ui::ImageList& ImageList1() { return form_.image_list("ImageList1"); }

  const std::string& Worksapce() const { return worksapce_; }
  // The last node the form created (or the reference SetData was given).
  const ui::NodeRef& Treenodx() const { return treenodx_; }

  // Written by DocFolderDlgA: whether the name entry was confirmed, and the
  // name typed. They keep the last entry's values until the next one.
  bool OKFlag = false;
  std::string FolderText;

 private:
  friend struct FormInstances;
  FolderDlgA();

  void Form_Load();
  void TreeView1_Click();
  void OKButton_Click();
  void CancelButton_Click();
  void CreateButton_Click();
  void DeleteButton_Click();
  // The tree's selected node becomes the current node; false when nothing
  // is selected (the selected folder was just deleted), and then the
  // buttons that act on a node are disabled.
  bool TakeSelectedNode();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
  std::string worksapce_;
  ui::NodeRef treenodx_;
  ui::TreeNode* current_ = nullptr;
};

class DocFolderDlgA {
 public:
  static DocFolderDlgA& Get() { return FormInstances::Get<DocFolderDlgA>(); }

  // Keeps the owner and the engine; the name box gets `Name`.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Name);

  ui::Form& form() { return form_; }
  ui::Label& FolderLabel1() { return form_.label("FolderLabel1"); }
  ui::TextBox& FolderName() { return form_.text_box("FolderName"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

 private:
  friend struct FormInstances;
  DocFolderDlgA();

  void Form_Load();
  void FolderName_Change();
  void FolderName_KeyPress(int& KeyAscii);
  void OKButton_Click();
  void CancelButton_Click();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_FOLDER_DLG_A_H_
