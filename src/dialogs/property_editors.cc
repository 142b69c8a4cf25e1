#include "dialogs/property_editors.h"

#include "dialogs/profile_dlg.h"
#include "module/comma_split.h"
#include "module/names.h"
#include "platform/ui/message_box.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

void RequiredNotice(const records::PropertyClass1& property) {
  ui::MessageBox(resources::ReplacePercent(resources::LoadString(TextId::kRequiredChoose),
                                           property.PropertyName),
                 ui::kMbExclamation, property.PropertyName);
}

// The dictionary's values 0 .. DictionaryCount - 1 as text; fewer when the
// list holds fewer.
std::vector<std::string> DictionaryEntries(const records::PropertyClass1& property) {
  std::vector<std::string> out;
  if (property.DictionaryCount <= 0 || !property.DictionaryValues.IsArray()) return out;
  const VariantArray& values = property.DictionaryValues.array();
  for (int i = 0; i < property.DictionaryCount && static_cast<size_t>(i) < values.size(); ++i)
    out.push_back(values[static_cast<size_t>(i)].ToString());
  return out;
}

}  // namespace

// ValueEditor

ValueEditor::ValueEditor(ui::FormDeclaration declaration) : form_(std::move(declaration)) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  form_.button("OKButton").OnClick([this] { OKButton_Click(); });
  form_.button("CancelButton").OnClick([this] { CancelButton_Click(); });
}

void ValueEditor::Form_Load() {
  form_.button("OKButton").SetCaption(resources::LoadString(TextId::kOk));
  form_.button("CancelButton").SetCaption(resources::LoadString(TextId::kCancel));
}

void ValueEditor::Keep(ProfileDlg& parent, std::shared_ptr<records::PropertyClass1> property,
                       const std::string& caption) {
  Parent_ = &parent;
  Class_ = std::move(property);
  form_.SetCaption(caption);
}

// The editor's outcome, as the profile dialog reads it after the showing.
void ValueEditor::Confirm(const std::string& value) {
  if (Parent_ != nullptr) {
    Parent_->OKFlag = true;
    Parent_->EditData = value;
  }
  form_.Hide();
}

void ValueEditor::CancelButton_Click() {
  if (Parent_ != nullptr) Parent_->OKFlag = false;
  form_.Hide();
}

// PropertyEditDlg

PropertyEditDlg::PropertyEditDlg()
    : ValueEditor([] {
        ui::FormDeclaration d(kPropertyEditDlgName);
        d.TextBox("Text1").Size(360, 0).Button("OKButton").Default().Button("CancelButton");
        return d;
      }()) {}

void PropertyEditDlg::SetData(ProfileDlg& ParentDialog, const std::string& PropertyName,
                              const std::string& Value, const std::string& Description) {
  (void)Description;
  Keep(ParentDialog, nullptr, PropertyName);
  Text1().SetText(Value);
}

void PropertyEditDlg::OKButton_Click() { Confirm(Text1().Text()); }

// PropertyCmbDlg

PropertyCmbDlg::PropertyCmbDlg()
    : ValueEditor([] {
        ui::FormDeclaration d(kPropertyCmbDlgName);
        d.ComboBox("ComboBox1").Size(320, 0).Button("OKButton").Default().Button("CancelButton");
        return d;
      }()) {
  ComboBox1().OnKeyPress([this](int& key) { ComboBox1_KeyPress(key); });
}

void PropertyCmbDlg::SetData(ProfileDlg& Parent, std::shared_ptr<records::PropertyClass1> Class,
                             const std::string& Value) {
  Keep(Parent, Class, Class->PropertyName);
  ComboBox1().SetText(Value);
  // Emptying the list empties the text too: the value shows again only when
  // it is one of the dictionary's.
  ComboBox1().Clear();
  for (const std::string& entry : DictionaryEntries(*Class_)) {
    ComboBox1().AddItem(entry);
    if (entry == Value) ComboBox1().SetText(entry);
  }
}

void PropertyCmbDlg::ComboBox1_KeyPress(int& KeyAscii) {
  if (KeyAscii == ui::kKeyEnter) {
    KeyAscii = 0;
    OKButton_Click();
    return;
  }
  if (Class_ && !Class_->IsRestricted) KeyAscii = 0;
}

void PropertyCmbDlg::OKButton_Click() {
  const std::string text = ComboBox1().Text();
  if (text.empty() && Class_ && Class_->IsRequired) {
    RequiredNotice(*Class_);
    return;
  }
  Confirm(text);
}

// PropertyListDlg

PropertyListDlg::PropertyListDlg()
    : ValueEditor([] {
        ui::FormDeclaration d(kPropertyListDlgName);
        d.TextBox("Text1")
            .Button("AddButton")
            .Beside()
            .ListBox("List1")
            .Size(320, 180)
            .Button("OKButton")
            .Default()
            .Button("CancelButton");
        return d;
      }()) {
  Text1().OnChange([this] { Text1_Change(); });
  Text1().OnKeyPress([this](int& key) { Text1_KeyPress(key); });
  AddButton().OnClick([this] { AddButton_Click(); });
}

void PropertyListDlg::Form_Load() {
  ValueEditor::Form_Load();
  AddButton().SetCaption(resources::LoadString(TextId::kAdd));
}

void PropertyListDlg::SetData(ProfileDlg& Parent, std::shared_ptr<records::PropertyClass1> Class,
                              const std::string& Value) {
  Keep(Parent, Class, Class->PropertyName);
  Text1().SetText("");
  AddButton().SetEnabled(false);
  List1().Clear();
  const std::vector<std::string> dictionary = DictionaryEntries(*Class_);
  for (const std::string& entry : dictionary) List1().AddItem(entry);
  if (Value.empty()) return;

  // Each part selects its dictionary entry; values of one's own (kept from
  // an earlier edit) come back as entries of their own.
  for (const Variant& part_value : module::SplitByComma(Value)) {
    const std::string part = part_value.ToString();
    bool found = false;
    for (size_t i = 0; i < dictionary.size(); ++i) {
      if (dictionary[i] == part) {
        List1().SetSelected(static_cast<int>(i), true);
        found = true;
        break;
      }
    }
    if (!found && !part.empty()) AppendSelected(part);
  }
}

bool PropertyListDlg::ListContains(const std::string& text) const {
  const ui::ListBox& list = form_.list_box("List1");
  for (int i = 0; i < list.ListCount(); ++i) {
    if (list.List(i) == text) return true;
  }
  return false;
}

void PropertyListDlg::AppendSelected(const std::string& text) {
  List1().AddItem(text);
  List1().SetSelected(List1().ListCount() - 1, true);
}

void PropertyListDlg::Text1_Change() { AddButton().SetEnabled(!Text1().Text().empty()); }

void PropertyListDlg::Text1_KeyPress(int& KeyAscii) {
  if (Class_ && Class_->ReadOnly) {
    KeyAscii = 0;
    return;
  }
  if (KeyAscii != ui::kKeyEnter) return;
  // Enter adds the value: it never confirms the form from here.
  KeyAscii = 0;
  const std::string text = Text1().Text();
  if (text.empty()) return;
  if (!ListContains(text)) AppendSelected(text);
  Text1().SetText("");
}

void PropertyListDlg::AddButton_Click() {
  const std::string text = Text1().Text();
  if (!ListContains(text)) {
    AppendSelected(text);
  } else if (!module::IsValidName(text)) {
    // Listed text is checked against the characters a name may not hold.
    ui::MessageBox(resources::ReplacePercent(resources::LoadString(TextId::kForbiddenCharacters),
                                             resources::LoadString(TextId::kPropertyName)),
                   ui::kMbOkOnly, resources::LoadString(TextId::kConfirmPropertyTitle));
  }
  Text1().SetText("");
}

void PropertyListDlg::OKButton_Click() {
  std::string value;
  bool first = true;
  for (int i = 0; i < List1().ListCount(); ++i) {
    if (!List1().Selected(i)) continue;
    if (!first) value += ",";
    value += List1().List(i);
    first = false;
  }
  if (value.empty() && Class_ && Class_->IsRequired) {
    RequiredNotice(*Class_);
    return;
  }
  Confirm(value);
}

// PropertyCommentDlg

PropertyCommentDlg::PropertyCommentDlg()
    : ValueEditor([] {
        ui::FormDeclaration d(kPropertyCommentDlgName);
        d.TextBox("Text1", true).Size(380, 140).Button("OKButton").Default().Button("CancelButton");
        return d;
      }()) {}

void PropertyCommentDlg::SetData(ProfileDlg& Parent, std::shared_ptr<records::PropertyClass1> Class,
                                 const std::string& Value) {
  (void)Value;
  Keep(Parent, Class, Class->PropertyName);
  // The record's stored value: an edit confirmed here reaches the record
  // only with the profile dialog's OK, so reopening shows the earlier text.
  Text1().SetText(Class_->Value);
}

void PropertyCommentDlg::OKButton_Click() { Confirm(Text1().Text()); }

}  // namespace orvex::dialogs
