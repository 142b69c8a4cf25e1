// FormDeclaration: what a form is made of, written once by the form's
// author; every backend builds the form from it.
//
// Controls are listed in order. A backend that lays the form out puts the
// content controls (labels, text boxes, lists, trees ...) one under the
// other in that order and gathers the buttons in a button area: a column on
// the right when the form holds a tree, a list or a list view, otherwise a
// row along the bottom. A control declared Beside() goes on the same line
// as the control before it. Sizes are hints in pixels (0: the toolkit's
// choice).
//
//   ui::FormDeclaration d("DocFolderDlgA");
//   d.Label("FolderLabel1").TextBox("FolderName").Button("OKButton").Button("CancelButton");
#ifndef ORVEX_PLATFORM_UI_FORM_DECLARATION_H_
#define ORVEX_PLATFORM_UI_FORM_DECLARATION_H_

#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace orvex::ui {

struct ControlDeclaration {
  ControlKind kind = ControlKind::kLabel;
  std::string name;
  bool multiline = false;            // text box
  int interval_ms = 0;               // timer
  std::vector<std::string> strings;  // list view column headers, image list keys
  bool beside_previous = false;
  bool is_default = false;  // button: the one Enter presses
  bool pick_only = false;   // combo box: items are picked, never typed
  int width = 0;
  int height = 0;
};

struct FormDeclaration {
  explicit FormDeclaration(std::string form_name) : name(std::move(form_name)) {}

  FormDeclaration& Label(std::string control_name);
  FormDeclaration& Button(std::string control_name);
  FormDeclaration& TextBox(std::string control_name, bool multiline = false);
  FormDeclaration& ComboBox(std::string control_name);
  FormDeclaration& ListBox(std::string control_name);
  // A list view in report view with one column per header.
  FormDeclaration& ListView(std::string control_name, std::vector<std::string> headers);
  FormDeclaration& TreeView(std::string control_name);
  FormDeclaration& Timer(std::string control_name, int interval_ms);
  FormDeclaration& ImageList(std::string control_name, std::vector<std::string> keys);
  // Modifiers of the control declared last.
  FormDeclaration& Beside();
  FormDeclaration& Size(int width, int height);
  // The button Enter presses where no control takes the key itself; a
  // backend marks it. One per form.
  FormDeclaration& Default();
  // A combo box whose text is always one of its items: a person picks,
  // and cannot type.
  FormDeclaration& PickOnly();
  // The form has no close box: a person cannot close it from its frame.
  FormDeclaration& NotClosable();

  std::string name;
  std::vector<ControlDeclaration> controls;
  bool closable = true;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_FORM_DECLARATION_H_
