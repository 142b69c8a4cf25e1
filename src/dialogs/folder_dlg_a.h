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
#include "dialogs/tree_forms.h"
#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/ui/image_list.h"

namespace orvex::dialogs {

inline constexpr char kFolderDlgAName[] = "FolderDlgA";
inline constexpr char kDocFolderDlgAName[] = "DocFolderDlgA";

class FolderDlgA : public EditableTreeForm {
 public:
  static FolderDlgA& Get() { return FormInstances::Get<FolderDlgA>(); }
  static FolderDlgA* IfCreated() { return FormInstances::IfCreated<FolderDlgA>(); }

  // Keeps the owner, the engine (both must outlive the showing), the
  // workspace name and the node reference; SelectFlag false; OK, Create and
  // Delete disabled until a node is clicked, Cancel enabled.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
               const ui::NodeRef& Treenodx);

  ui::ImageList& ImageList1() { return form_.image_list("ImageList1"); }

  // Written by DocFolderDlgA: whether the name entry was confirmed, and the
  // name typed. They keep the last entry's values until the next one.
  bool OKFlag = false;
  std::string FolderText;

 private:
  friend struct FormInstances;
  FolderDlgA();

  void Form_Load() override;
  void OKButton_Click() override;
  void CreateButton_Click() override;
  void DeleteButton_Click() override;
};

class DocFolderDlgA : public NameEntryForm {
 public:
  static DocFolderDlgA& Get() { return FormInstances::Get<DocFolderDlgA>(); }

  ui::Label& FolderLabel1() { return form_.label("FolderLabel1"); }
  ui::TextBox& FolderName() { return form_.text_box("FolderName"); }

 private:
  friend struct FormInstances;
  DocFolderDlgA();

  // FolderDlgA's OKFlag and FolderText.
  void Answer(bool ok, const std::string& name) override;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_FOLDER_DLG_A_H_
