// FolderDlgB: the form that picks a workspace, or a folder in any
// workspace, from one tree under the server.
//
// The engine (ServerClass1::FolderDialogB) fills TreeView1 (with
// FolderDlgA's ImageList1) with the server, every workspace the user can
// open and their folder trees, resets the form with SetData and shows it
// modally. OK, enabled on anything but the server, writes the workspace
// into the owner's SelectWorkspace and the folder's path inside it into
// SelectFolder ("" when a workspace itself was chosen). The form creates
// and deletes nothing.
//
// One object per thread, created on first use and only hidden afterwards.
#ifndef ORVEX_DIALOGS_FOLDER_DLG_B_H_
#define ORVEX_DIALOGS_FOLDER_DLG_B_H_

#include <string>

#include "dialogs/form_instances.h"
#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/tree_view.h"

namespace orvex::dialogs {

inline constexpr char kFolderDlgBName[] = "FolderDlgB";

class FolderDlgB {
 public:
  static FolderDlgB& Get() { return FormInstances::Get<FolderDlgB>(); }

  // Keeps the workspace name, the owner, the engine and the node
  // reference; OK disabled; SelectFlag false.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
               const ui::NodeRef& Treenodx);

  ui::Form& form() { return form_; }
  ui::TreeView& TreeView1() { return form_.tree_view("TreeView1"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

  const std::string& Worksapce() const { return worksapce_; }

 private:
  friend struct FormInstances;
  FolderDlgB();

  void Form_Load();
  void TreeView1_Click();
  void OKButton_Click();
  void CancelButton_Click();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
  std::string worksapce_;
  ui::NodeRef treenodx_;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_FOLDER_DLG_B_H_
