// The four value editors the profile dialog opens for one property, chosen
// by the property record's Kind:
//
//   PropertyEditDlg     "Text": free text in Text1
//   PropertyCmbDlg      "List", single-valued: one value from the dictionary
//                       in ComboBox1
//   PropertyListDlg     "List", multi-valued: several entries of List1, to
//                       which Text1 and AddButton add values of one's own
//   PropertyCommentDlg  "Comment box": a multi-line Text1
//
// Each is given its parent profile dialog with SetData, made topmost and
// shown modally. OK sets the parent's OKFlag to True and its EditData to the
// new value text; Cancel (and a close from the frame) sets OKFlag to False.
// Both only hide the form. An editor never changes the property record: the
// profile dialog copies the value on its own OK. A multi-valued value is one
// string, the values joined by "," in list order.
//
// One form of each per thread, created on first use; SetData re-initialises
// it before every showing.
#ifndef ORVEX_DIALOGS_PROPERTY_EDITORS_H_
#define ORVEX_DIALOGS_PROPERTY_EDITORS_H_

#include <memory>
#include <string>

#include "dialogs/form_instances.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/text_box.h"
#include "records/property_class1.h"

namespace orvex::dialogs {

class ProfileDlg;

inline constexpr char kPropertyEditDlgName[] = "PropertyEditDlg";
inline constexpr char kPropertyCmbDlgName[] = "PropertyCmbDlg";
inline constexpr char kPropertyListDlgName[] = "PropertyListDlg";
inline constexpr char kPropertyCommentDlgName[] = "PropertyCommentDlg";

// What the four editors share: the parent dialog they report to, the
// property they edit (none for PropertyEditDlg), OK and Cancel with their
// captions, and a close from the frame counted as Cancel.
class ValueEditor {
 public:
  virtual ~ValueEditor() = default;
  ValueEditor(const ValueEditor&) = delete;
  ValueEditor& operator=(const ValueEditor&) = delete;

  virtual void OKButton_Click() = 0;
  // Reports no change (OKFlag False) and hides the form.
  void CancelButton_Click();

  ui::Form& form() { return form_; }

 protected:
  // Builds the form; its Load, frame close, OK and Cancel run the handlers.
  explicit ValueEditor(ui::FormDeclaration declaration);
  // The OK and Cancel captions.
  virtual void Form_Load();
  // SetData's common part: the parent and the property kept for the
  // showing, and the caption.
  void Keep(ProfileDlg& parent, std::shared_ptr<records::PropertyClass1> property,
            const std::string& caption);
  // Reports `value` as the new value (OKFlag True) and hides the form.
  void Confirm(const std::string& value);

  ui::Form form_;
  ProfileDlg* Parent_ = nullptr;
  std::shared_ptr<records::PropertyClass1> Class_;
};

class PropertyEditDlg : public ValueEditor {
 public:
  static PropertyEditDlg& Get() { return FormInstances::Get<PropertyEditDlg>(); }

  // Caption = PropertyName, Text1 = Value. Description is accepted and not
  // shown.
  void SetData(ProfileDlg& ParentDialog, const std::string& PropertyName, const std::string& Value,
               const std::string& Description);
  // Reports Text1 as it is.
  void OKButton_Click() override;

  ui::TextBox& Text1() { return form_.text_box("Text1"); }

 private:
  friend struct FormInstances;
  PropertyEditDlg();
};

class PropertyCmbDlg : public ValueEditor {
 public:
  static PropertyCmbDlg& Get() { return FormInstances::Get<PropertyCmbDlg>(); }

  // Caption = the property's name; ComboBox1 lists the dictionary's values
  // and shows Value when it is one of them (otherwise nothing).
  void SetData(ProfileDlg& Parent, std::shared_ptr<records::PropertyClass1> Class,
               const std::string& Value);
  // Enter confirms (OK). Any other key is discarded unless the property is
  // restricted to its dictionary, so an unrestricted one is only picked.
  void ComboBox1_KeyPress(int& KeyAscii);
  // A required property with an empty text gets the required-value notice
  // (kRequiredChoose) and the form stays open; otherwise the text is reported.
  void OKButton_Click() override;

  ui::ComboBox& ComboBox1() { return form_.combo_box("ComboBox1"); }

 private:
  friend struct FormInstances;
  PropertyCmbDlg();
};

class PropertyListDlg : public ValueEditor {
 public:
  static PropertyListDlg& Get() { return FormInstances::Get<PropertyListDlg>(); }

  // Caption = the property's name; Text1 empty; AddButton disabled; List1
  // holds the dictionary's values. Each comma-separated part of Value
  // selects the first dictionary entry equal to it; a part that is none of
  // them is, unless empty, appended and selected.
  void SetData(ProfileDlg& Parent, std::shared_ptr<records::PropertyClass1> Class,
               const std::string& Value);
  // AddButton is enabled exactly while Text1 holds text.
  void Text1_Change();
  // A read-only property takes no keys at all; otherwise Enter adds the
  // text as AddButton does (without its name check).
  void Text1_KeyPress(int& KeyAscii);
  // Appends Text1 to List1 and selects it unless it is listed already (a
  // listed text failing the name check gets the forbidden-characters notice), then
  // empties Text1.
  void AddButton_Click();
  // Reports the selected entries joined by ","; a required property with
  // nothing selected gets the required-value notice and the form stays open.
  void OKButton_Click() override;

  ui::TextBox& Text1() { return form_.text_box("Text1"); }
  ui::Button& AddButton() { return form_.button("AddButton"); }
  ui::ListBox& List1() { return form_.list_box("List1"); }

 private:
  friend struct FormInstances;
  PropertyListDlg();
  void Form_Load() override;
  // Whether List1 has an entry equal to `text`.
  bool ListContains(const std::string& text) const;
  void AppendSelected(const std::string& text);
};

class PropertyCommentDlg : public ValueEditor {
 public:
  static PropertyCommentDlg& Get() { return FormInstances::Get<PropertyCommentDlg>(); }

  // Caption = the property's name; Text1 = the record's stored Value, not
  // the text passed in (which is accepted and not shown).
  void SetData(ProfileDlg& Parent, std::shared_ptr<records::PropertyClass1> Class,
               const std::string& Value);
  // Reports Text1 as it is.
  void OKButton_Click() override;

  ui::TextBox& Text1() { return form_.text_box("Text1"); }

 private:
  friend struct FormInstances;
  PropertyCommentDlg();
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_PROPERTY_EDITORS_H_
