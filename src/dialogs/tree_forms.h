// What the selection forms with a tree have in common, written once:
//
//   TreeForm          a tree with OK and Cancel, shown for the owner's
//                     engine: the references SetData keeps, the captions
//                     loaded with the form, Cancel and a close from the
//                     frame (hide the form, clear the tree). WorkspaceDlgA
//                     and FolderDlgB are tree forms.
//   EditableTreeForm  a tree form with Create and Delete under a root that
//                     can be created under but not chosen or deleted: the
//                     buttons a click enables, the name entry, the delete
//                     question, the refusal boxes (after which the engine's
//                     ErrorCode is 0 again) and the tree updated in place.
//                     FolderDlgA and CategoryDlgA are editable tree forms.
//   NameEntryForm     the small form that asks an editable tree form for
//                     the name of a new node: OK only while a name is typed,
//                     Enter as OK, names with forbidden characters refused
//                     with the forbidden-characters box (DocFolderDlgA, CatFolderDlgA).
//
// Each form keeps its own strings, node keys and calls to the owner; the
// handlers keep their names and are overridden where a form differs.
#ifndef ORVEX_DIALOGS_TREE_FORMS_H_
#define ORVEX_DIALOGS_TREE_FORMS_H_

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/text_box.h"
#include "platform/ui/tree_view.h"
#include "resources/text_id.h"

namespace orvex::dialogs {

// Sets the form topmost and shows it modally.
void ShowTopMost(ui::Form& form);

class TreeForm {
 public:
  virtual ~TreeForm() = default;
  TreeForm(const TreeForm&) = delete;
  TreeForm& operator=(const TreeForm&) = delete;

  ui::Form& form() { return form_; }
  ui::TreeView& TreeView1() { return form_.tree_view("TreeView1"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

  const std::string& Worksapce() const { return worksapce_; }
  // The last node the form created (or the reference SetData was given).
  const ui::NodeRef& Treenodx() const { return treenodx_; }

 protected:
  // Builds the form; its Load, frame close, tree click, OK and Cancel run
  // the handlers below.
  explicit TreeForm(ui::FormDeclaration declaration);

  virtual void Form_Load() = 0;
  virtual void TreeView1_Click() = 0;
  virtual void OKButton_Click() = 0;
  // Hides the form and clears the tree; SelectFlag stays False.
  virtual void CancelButton_Click() { Close(); }

  // The references a showing works with (owner and engine must outlive
  // it), and SelectFlag False until OK.
  void Keep(engine::Owner& Connect, engine::ServerClass1& Server, const std::string& Worksapce,
            const ui::NodeRef& Treenodx);
  // The form's caption and its buttons' captions, by string id.
  void LoadCaptions(resources::TextId form_caption,
                    std::initializer_list<std::pair<const char*, resources::TextId>> buttons);
  // Hides the form and clears the tree, as OK and Cancel end a showing.
  void Close();

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;
  std::string worksapce_;
  ui::NodeRef treenodx_;
};

class NameEntryForm;

// The strings and the root's picture that tell one editable tree from
// another.
struct TreeEditTexts {
  const char* root_image;                 // the root: created under, never chosen or deleted
  resources::TextId create_failed_title;  // the box when the owner refuses a creation
  resources::TextId delete_title;         // the delete question and the box of a refusal
  // Whether the tree takes the focus back after every Create and Delete,
  // or only after one that changed it.
  bool focus_after_every_edit;
};

class EditableTreeForm : public TreeForm {
 public:
  ui::Button& CreateButton() { return form_.button("CreateButton"); }
  ui::Button& DeleteButton() { return form_.button("DeleteButton"); }

 protected:
  EditableTreeForm(ui::FormDeclaration declaration, const TreeEditTexts& texts);

  // Create and Delete enabled on any node, OK and Delete on all but the root.
  void TreeView1_Click() override;
  virtual void CreateButton_Click() = 0;
  virtual void DeleteButton_Click() = 0;

  // OK, Create and Delete disabled until a node is clicked.
  void DisableNodeButtons();
  // The tree's selected node becomes the current node; false when nothing
  // is selected (the selected node was just deleted), and then the buttons
  // that act on a node are disabled.
  bool TakeSelectedNode();

  // What a creation adds to the tree: the new node's key and picture.
  struct NewNode {
    std::string key;
    std::string image;
  };
  // Create under the selected node: shows `entry`, and when it ends with
  // `confirmed` True, calls `create` with the current node and `name`. It
  // gives the node to add, or nothing when the owner refused; a refusal
  // shows kCreateFailed and resets the engine's ErrorCode.
  void CreateUnderSelection(
      NameEntryForm& entry, const bool& confirmed, const std::string& name,
      const std::function<std::optional<NewNode>(const ui::TreeNode&, const std::string&)>& create);
  // Delete the selected node after a Yes to kAskDelete: `remove` asks the
  // owner to delete it; done, the node and its subtree leave the tree,
  // refused, kDeleteFailed shows and the engine's ErrorCode is reset.
  void DeleteSelection(const std::function<bool(const ui::TreeNode&)>& remove);

  ui::TreeNode* current_ = nullptr;

 private:
  TreeEditTexts texts_;
};

// The strings of a name entry.
struct NameEntryTexts {
  resources::TextId caption;
  resources::TextId label;
  resources::TextId field;           // the name of the field in the forbidden-characters box
  resources::TextId bad_name_title;  // that box's title
};

class NameEntryForm {
 public:
  virtual ~NameEntryForm() = default;
  NameEntryForm(const NameEntryForm&) = delete;
  NameEntryForm& operator=(const NameEntryForm&) = delete;

  // Keeps the owner and the engine; the name box gets `Name`.
  virtual void SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                       const std::string& Name);

  ui::Form& form() { return form_; }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

 protected:
  // A form of a label `label`, the text box `name_box`, OK and Cancel.
  NameEntryForm(const char* form_name, const char* label, const char* name_box,
                const NameEntryTexts& texts);

  // Tells the tree form how the entry ended: confirmed with a name, or not
  // (Cancel, or a close from the frame) with the empty name.
  virtual void Answer(bool ok, const std::string& name) = 0;

  ui::Form form_;
  engine::Owner* connect_ = nullptr;
  engine::ServerClass1* server_ = nullptr;

 private:
  void Form_Load();
  void Name_Change();
  void Name_KeyPress(int& KeyAscii);
  void OKButton_Click();
  void CancelButton_Click();

  std::string label_;
  std::string name_box_;
  NameEntryTexts texts_;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_TREE_FORMS_H_
