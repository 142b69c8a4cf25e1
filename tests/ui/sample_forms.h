// Small forms written against the ui seam the way the product's forms are:
// a folder picker (tree, OK, Cancel, Create, Delete, an image list), the
// name entry it opens, and an editor with a combo box, a list view, a
// multi-selection list and a multi-line box. The toolkit tests drive the
// same logic headless and under Qt.
#ifndef ORVEX_TESTS_UI_SAMPLE_FORMS_H_
#define ORVEX_TESTS_UI_SAMPLE_FORMS_H_

#include <string>
#include <vector>

#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/image_list.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/text_box.h"
#include "platform/ui/tree_view.h"

namespace orvex::testing {

class NameEntryForm {
 public:
  NameEntryForm();
  // Shows the form with an empty name; true with name() when confirmed.
  bool Run();
  const std::string& name() const { return name_; }

  ui::Form form;
  int loads = 0;

 private:
  void OKButton_Click();
  void Cancel();

  bool ok_ = false;
  std::string name_;
};

class PickerForm {
 public:
  PickerForm();
  // Fills the tree (Sales > Reports > 2001, Sales > Minutes), shows the
  // form topmost and returns whether a folder was confirmed.
  bool Run();

  ui::Form form;
  NameEntryForm entry;
  std::string selected;
  int loads = 0;
  int frame_closes = 0;
  std::vector<std::string> deleted;

 private:
  ui::TreeView& tree() { return form.tree_view("TreeView1"); }
  void TreeView1_Click();
  void OKButton_Click();
  void CreateButton_Click();
  void DeleteButton_Click();

  bool select_flag_ = false;
};

// Picking a profile fills the rows; a double-clicked row is changed; OK
// reports the profile, the chosen colours and the note.
class EditorForm {
 public:
  EditorForm();
  // True when confirmed; result() is then "profile|colours|note".
  bool Run();
  const std::string& result() const { return result_; }

  ui::Form form;

 private:
  void ComboBox1_Click();
  void ListView1_Click();
  void ListView1_DblClick();
  void OKButton_Click();

  bool ok_ = false;
  std::string result_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_UI_SAMPLE_FORMS_H_
