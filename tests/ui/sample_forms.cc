#include "ui/sample_forms.h"

#include "platform/ui/message_box.h"
#include "platform/ui/top_most.h"

namespace orvex::testing {

NameEntryForm::NameEntryForm()
    : form([] {
        ui::FormDeclaration d("NameEntry");
        d.Label("Label1").TextBox("FolderName").Button("OKButton").Button("CancelButton");
        return d;
      }()) {
  form.OnLoad([this] {
    ++loads;
    form.SetCaption("Create Folder");
    form.label("Label1").SetCaption("New Folder Name");
    form.button("OKButton").SetCaption("Create");
    form.button("CancelButton").SetCaption("Cancel");
  });
  auto& box = form.text_box("FolderName");
  box.OnChange([this, &box] { form.button("OKButton").SetEnabled(!box.Text().empty()); });
  box.OnKeyPress([this](int& key) {
    if (key == '*') key = 0;  // never part of a name
    if (key == ui::kKeyEnter && form.button("OKButton").Enabled()) OKButton_Click();
  });
  form.button("OKButton").OnClick([this] { OKButton_Click(); });
  form.button("CancelButton").OnClick([this] { Cancel(); });
  form.OnFrameClose([this] { Cancel(); });
  form.Load();
}

bool NameEntryForm::Run() {
  form.button("OKButton").SetEnabled(false);
  form.text_box("FolderName").SetText("");
  ui::SetTopMost(form.hWnd());
  form.ShowModal();
  return ok_;
}

void NameEntryForm::OKButton_Click() {
  const std::string& text = form.text_box("FolderName").Text();
  if (text.find('/') != std::string::npos) {
    ui::MessageBox(text + " is not acceptable", ui::kMbExclamation, "Folder Name");
    return;
  }
  ok_ = true;
  name_ = text;
  form.Hide();
}

void NameEntryForm::Cancel() {
  ok_ = false;
  name_.clear();
  form.Hide();
}

PickerForm::PickerForm()
    : form([] {
        ui::FormDeclaration d("Picker");
        d.TreeView("TreeView1")
            .Button("OKButton")
            .Button("CancelButton")
            .Button("CreateButton")
            .Button("DeleteButton")
            .ImageList("ImageList1",
                       {"server", "work", "smart", "folder", "category", "rootcategory"});
        return d;
      }()) {
  form.OnLoad([this] {
    ++loads;
    form.SetCaption("Select Folder");
    form.button("OKButton").SetCaption("OK");
    form.button("CancelButton").SetCaption("Cancel");
    form.button("CreateButton").SetCaption("Create");
    form.button("DeleteButton").SetCaption("Delete");
  });
  tree().OnClick([this] { TreeView1_Click(); });
  form.button("OKButton").OnClick([this] { OKButton_Click(); });
  form.button("CancelButton").OnClick([this] { form.Hide(); });
  form.button("CreateButton").OnClick([this] { CreateButton_Click(); });
  form.button("DeleteButton").OnClick([this] { DeleteButton_Click(); });
  form.OnFrameClose([this] { ++frame_closes; });
  form.Load();
}

bool PickerForm::Run() {
  select_flag_ = false;
  for (const char* name : {"OKButton", "CreateButton", "DeleteButton"})
    form.button(name).SetEnabled(false);
  tree().Clear();
  tree().SetImageList(&form.image_list("ImageList1"));
  tree().AddRoot("Sales", "Sales", "work");
  tree().AddChildOfIndex(0, "Sales/Reports", "Reports", "smart")->EnsureVisible();
  tree().AddChildOfKey("Sales/Reports", "Sales/Reports/2001", "2001", "smart");
  tree().AddChildOfKey("Sales", "Sales/Minutes", "Minutes", "folder")->EnsureVisible();
  ui::SetTopMost(form.hWnd());
  form.ShowModal();
  return select_flag_;
}

void PickerForm::TreeView1_Click() {
  ui::TreeNode* node = tree().SelectedItem();
  const bool folder = node != nullptr && node->Image() != "work";
  form.button("CreateButton").SetEnabled(node != nullptr);
  form.button("OKButton").SetEnabled(folder);
  form.button("DeleteButton").SetEnabled(folder);
}

void PickerForm::OKButton_Click() {
  if (tree().SelectedItem() == nullptr) return;
  select_flag_ = true;
  selected = tree().SelectedItem()->Key();
  form.Hide();
}

void PickerForm::CreateButton_Click() {
  ui::TreeNode* parent = tree().SelectedItem();
  if (!entry.Run()) return;
  ui::NodeRef node = tree().AddChild(*parent, parent->Key() + "/" + entry.name(), entry.name(),
                                     parent->Image() == "work" ? "smart" : parent->Image());
  node->EnsureVisible();
  tree().SetFocus();
}

void PickerForm::DeleteButton_Click() {
  ui::TreeNode* node = tree().SelectedItem();
  const std::string key = node->Key();
  if (ui::MessageBox(node->Text() + " is deleting.", 292, "Confirm the deleting") ==
      ui::kAnswerYes) {
    deleted.push_back(key);
    tree().Remove(key);
  }
  tree().SetFocus();
}

EditorForm::EditorForm()
    : form([] {
        ui::FormDeclaration d("Editor");
        d.ComboBox("ComboBox1")
            .ListView("ListView1", {"Property Name", "Value"})
            .ListBox("List1")
            .TextBox("Memo", true)
            .Button("ChangeButton")
            .Button("OKButton");
        return d;
      }()) {
  form.OnLoad([this] {
    form.SetCaption("Profile");
    form.button("ChangeButton").SetCaption("Change");
    form.button("OKButton").SetCaption("OK");
  });
  ui::ComboBox& combo = form.combo_box("ComboBox1");
  combo.OnClick([this] { ComboBox1_Click(); });
  combo.OnKeyPress([this](int& key) {
    // Only a listed profile can be chosen; Enter confirms.
    if (key == ui::kKeyEnter) OKButton_Click();
    key = 0;
  });
  form.list_view("ListView1").OnClick([this] { ListView1_Click(); });
  form.list_view("ListView1").OnDblClick([this] { ListView1_DblClick(); });
  form.button("ChangeButton").OnClick([this] {
    form.list_view("ListView1").SelectedItem()->SetSubItem(1, "changed");
  });
  form.button("OKButton").OnClick([this] { OKButton_Click(); });
  form.Load();
}

bool EditorForm::Run() {
  ok_ = false;
  ui::ComboBox& combo = form.combo_box("ComboBox1");
  combo.Clear();
  combo.AddItem("Basic");
  combo.AddItem("Contract");
  form.list_view("ListView1").Clear();
  ui::ListBox& colours = form.list_box("List1");
  colours.Clear();
  for (const char* c : {"red", "green", "blue"}) colours.AddItem(c);
  form.text_box("Memo").SetText("");
  form.button("ChangeButton").SetEnabled(false);
  form.ShowModal();
  return ok_;
}

void EditorForm::ComboBox1_Click() {
  ui::ListView& rows = form.list_view("ListView1");
  rows.Clear();
  const bool contract = form.combo_box("ComboBox1").Text() == "Contract";
  rows.AddItem("urn:title", "Title").SetSubItem(1, "Plan");
  if (contract) rows.AddItem("urn:amount", "Amount").SetSubItem(1, "100");
  form.button("ChangeButton").SetEnabled(false);
}

void EditorForm::ListView1_Click() {
  ui::ListItem* row = form.list_view("ListView1").SelectedItem();
  form.button("ChangeButton").SetEnabled(row != nullptr && row->Selected());
}

void EditorForm::ListView1_DblClick() {
  if (form.button("ChangeButton").Enabled()) form.button("ChangeButton").UserPress();
}

void EditorForm::OKButton_Click() {
  std::string colours;
  const ui::ListBox& list = form.list_box("List1");
  for (int i = 0; i < list.ListCount(); ++i) {
    if (!list.Selected(i)) continue;
    if (!colours.empty()) colours += ",";
    colours += list.List(i);
  }
  result_ = form.combo_box("ComboBox1").Text() + "|" + colours + "|" + form.text_box("Memo").Text();
  ok_ = true;
  form.Hide();
}

}  // namespace orvex::testing
