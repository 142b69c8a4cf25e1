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
#include "dialogs/tree_forms.h"
#include "engine/owner.h"
#include "engine/server_class1.h"

namespace orvex::dialogs {

inline constexpr char kFolderDlgBName[] = "FolderDlgB";

class FolderDlgB : public TreeForm {
 public:
  static FolderDlgB& Get() { return FormInstances::Get<FolderDlgB>(); }

  // Keeps the workspace name, the owner, the engine and the node
  // reference; OK disabled; SelectFlag false.
  void SetData(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
               const ui::NodeRef& Treenodx);

 private:
  friend struct FormInstances;
  FolderDlgB();

  void Form_Load() override;
  void TreeView1_Click() override;
  void OKButton_Click() override;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_FOLDER_DLG_B_H_
