// What an engine sees of the forms it shows: the four selection forms with
// a tree, the profile form and the progress form's text.
//
// The engine fills a selection form's tree from the server, shows the form
// modally and topmost and answers the form's verdict, which the form writes
// into the engine's SelectFlag and the owner's Select... properties. It
// hands the profile form its records and reads back the chosen profile, and
// an upload running behind the progress form reports its steps there.
//
// The dialogs layer implements these interfaces and the owning object
// (Owner::forms) hands them to the engine, so the engine names no form: the
// dialogs sit above the engine and call it back, never the other way round.
// Every form is the calling thread's own, created and loaded on first use.
#ifndef ORVEX_ENGINE_FORMS_H_
#define ORVEX_ENGINE_FORMS_H_

#include <memory>
#include <string>

#include "records/profile_class1.h"
#include "resources/text_id.h"

namespace orvex::ui {
class Form;
class ImageList;
class TreeNode;
class TreeView;
}  // namespace orvex::ui

namespace orvex::engine {

class Owner;
class ServerClass1;

// A selection form with a tree (TreeView1), OK and Cancel.
class SelectionForm {
 public:
  virtual ~SelectionForm() = default;
  // Resets the form for one showing: keeps the owner and the engine (both
  // must outlive the showing), the workspace name and the node reference;
  // the engine's SelectFlag becomes False and the buttons that act on a
  // node wait for a click. The workspace form has no use for the name.
  virtual void SetData(Owner& connect, ServerClass1& server, const std::string& workspace,
                       const std::shared_ptr<ui::TreeNode>& node) = 0;
  virtual ui::Form& form() = 0;
  virtual ui::TreeView& tree() = 0;
};

// The form in which the person picks a document's profile and fills in its
// property values, editing the property records in place.
class ProfileForm {
 public:
  virtual ~ProfileForm() = default;
  // Resets the form with the records (server must outlive the showing); the
  // engine's SelectFlag becomes False. new_document presets the folder's
  // default profile, else the document's current one.
  virtual void SetData(ServerClass1& server, const std::string& workspace,
                       records::ProfileRecords profiles, records::PropertyRecords properties,
                       bool new_document) = 0;
  // The identifier of the profile the person chose; "" when none.
  virtual std::string SelectedURI() const = 0;
  virtual ui::Form& form() = 0;
};

class Forms {
 public:
  virtual ~Forms() = default;
  // The server's workspaces (OK writes SelectWorkspace).
  virtual SelectionForm& Workspaces() = 0;
  // The current workspace's folder tree (OK writes SelectFolder; the person
  // may create and delete folders).
  virtual SelectionForm& Folders() = 0;
  // Every workspace with its folder tree (OK writes SelectWorkspace and
  // SelectFolder).
  virtual SelectionForm& WorkspaceFolders() = 0;
  // The category tree (OK writes SelectCategory; the person may create and
  // delete categories).
  virtual SelectionForm& Categories() = 0;
  // The pictures every selection tree draws from.
  virtual ui::ImageList& TreeImages() = 0;
  virtual ProfileForm& Profile() = 0;
  // Shows string `string_id` on the progress form; nothing when this
  // thread's progress form has not been created.
  virtual void ShowProgressText(resources::TextId string_id) = 0;
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_FORMS_H_
