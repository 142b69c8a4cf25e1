#include "dialogs/engine_forms.h"

#include <string>
#include <type_traits>
#include <utility>

#include "dialogs/category_dlg_a.h"
#include "dialogs/folder_dlg_a.h"
#include "dialogs/folder_dlg_b.h"
#include "dialogs/profile_dlg.h"
#include "dialogs/progress.h"
#include "dialogs/workspace_dlg_a.h"

namespace orvex::dialogs {
namespace {

// A tree form of this thread, reached through Dialog::Get on every call so
// one adapter serves every thread.
template <class Dialog>
class TreeSelection final : public engine::SelectionForm {
 public:
  void SetData(engine::Owner& connect, engine::ServerClass1& server, const std::string& workspace,
               const ui::NodeRef& node) override {
    if constexpr (std::is_same_v<Dialog, WorkspaceDlgA>) {
      Dialog::Get().SetData(connect, server, node);
    } else {
      Dialog::Get().SetData(connect, server, workspace, node);
    }
  }
  ui::Form& form() override { return Dialog::Get().form(); }
  ui::TreeView& tree() override { return Dialog::Get().TreeView1(); }

  // Creates this thread's form now, where the engine asks for it.
  TreeSelection& Ready() {
    Dialog::Get();
    return *this;
  }
};

class ProfileChoice final : public engine::ProfileForm {
 public:
  void SetData(engine::ServerClass1& server, const std::string& workspace,
               records::ProfileRecords profiles, records::PropertyRecords properties,
               bool new_document) override {
    ProfileDlg::Get().SetData(server, workspace, std::move(profiles), std::move(properties),
                              new_document);
  }
  std::string SelectedURI() const override { return ProfileDlg::Get().SelectedURI(); }
  ui::Form& form() override { return ProfileDlg::Get().form(); }

  ProfileChoice& Ready() {
    ProfileDlg::Get();
    return *this;
  }
};

class Dialogs final : public engine::Forms {
 public:
  engine::SelectionForm& Workspaces() override { return workspaces_.Ready(); }
  engine::SelectionForm& Folders() override { return folders_.Ready(); }
  engine::SelectionForm& WorkspaceFolders() override { return workspace_folders_.Ready(); }
  engine::SelectionForm& Categories() override { return categories_.Ready(); }
  ui::ImageList& TreeImages() override { return FolderDlgA::Get().ImageList1(); }
  engine::ProfileForm& Profile() override { return profile_.Ready(); }
  void ShowProgressText(resources::TextId string_id) override {
    dialogs::ShowProgressText(string_id);
  }

 private:
  TreeSelection<WorkspaceDlgA> workspaces_;
  TreeSelection<FolderDlgA> folders_;
  TreeSelection<FolderDlgB> workspace_folders_;
  TreeSelection<CategoryDlgA> categories_;
  ProfileChoice profile_;
};

}  // namespace

engine::Forms& EngineForms() {
  static Dialogs forms;
  return forms;
}

}  // namespace orvex::dialogs
