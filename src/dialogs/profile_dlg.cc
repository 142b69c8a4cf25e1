#include "dialogs/profile_dlg.h"

#include "dialogs/property_editors.h"
#include "platform/ui/message_box.h"
#include "platform/ui/top_most.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

// Columns of ListView1 after the first (the property name).
constexpr int kColumnRequired = 1;
constexpr int kColumnValue = 2;

ui::FormDeclaration Declaration() {
  ui::FormDeclaration d(kProfileDlgName);
  d.ComboBox("ComboProfile")
      .PickOnly()
      .ListView("ListView1", {"", "", ""})
      .Size(520, 240)
      .Button("ChangeButton")
      .Button("OKButton")
      .Default()
      .Button("CancelButton");
  return d;
}

// Shows an editor form above everything else and waits until it is hidden.
void ShowTopMost(ui::Form& form) {
  ui::SetTopMost(form.hWnd());
  form.ShowModal();
}

}  // namespace

ProfileDlg::ProfileDlg() : form_(Declaration()) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  ComboProfile().OnClick([this] { ComboProfile_Click(); });
  ListView1().OnClick([this] { ListView1_Click(); });
  ListView1().OnDblClick([this] { ListView1_DblClick(); });
  ChangeButton().OnClick([this] { ChangeButton_Click(); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void ProfileDlg::Form_Load() {
  ListView1().SetColumnHeader(0, resources::LoadString(TextId::kPropertyName));
  ListView1().SetColumnHeader(1, resources::LoadString(TextId::kRequired));
  ListView1().SetColumnHeader(2, resources::LoadString(TextId::kValue));
  OKButton().SetCaption(resources::LoadString(TextId::kOk));
  ChangeButton().SetCaption(resources::LoadString(TextId::kChange));
  CancelButton().SetCaption(resources::LoadString(TextId::kCancel));
  form_.SetCaption(resources::LoadString(TextId::kProfileCaption));
}

void ProfileDlg::SetData(engine::ServerClass1& Server, const std::string& Worksapce,
                         records::ProfileRecords arrProfile, records::PropertyRecords arrProperty,
                         bool bNewMode) {
  Server_ = &Server;
  Worksapce_ = Worksapce;
  arrProfile_ = std::move(arrProfile);
  arrProperty_ = std::move(arrProperty);
  Server_->SelectFlag = false;
  ChangeButton().SetEnabled(false);

  ComboProfile().Clear();
  ListView1().Clear();
  for (const auto& profile : arrProfile_) {
    if (!profile->bUse) continue;
    ComboProfile().AddItem(profile->strProfile);
    if ((bNewMode && profile->bDefault) || (!bNewMode && profile->bSet))
      ComboProfile().SetText(profile->strProfile);
  }
  // Setting the text is no pick, so the list of the preselected profile is
  // filled here; the person sees it as the form opens.
  ComboProfile_Click();
}

std::string ProfileDlg::SelectedURI() const {
  const std::string& title = form_.combo_box("ComboProfile").Text();
  for (const auto& profile : arrProfile_) {
    if (profile->strProfile == title) return profile->strURI;
  }
  return "";
}

std::shared_ptr<records::PropertyClass1> ProfileDlg::FindProperty(const std::string& name) const {
  for (const auto& property : arrProperty_) {
    if (property->PropertyName == name) return property;
  }
  return nullptr;
}

void ProfileDlg::ComboProfile_Click() {
  const std::string& title = ComboProfile().Text();
  const records::ProfileClass1* chosen = nullptr;
  for (const auto& profile : arrProfile_) {
    if (profile->strProfile == title) {
      chosen = profile.get();
      break;
    }
  }
  if (chosen == nullptr) return;

  ListView1().Clear();
  for (const std::string& name : chosen->property_names()) {
    ui::ListItem& row = ListView1().AddItem("", name);
    const auto property = FindProperty(name);
    // A name without a record ends the list; its row stays, without values.
    if (!property) break;
    row.SetKey(property->URI);
    row.SetSubItem(kColumnRequired,
                   resources::LoadString(property->IsRequired ? TextId::kYes : TextId::kNo));
    row.SetSubItem(kColumnValue, property->Value);
  }
}

void ProfileDlg::ListView1_Click() {
  ChangeButton().SetEnabled(false);
  if (ListView1().Count() > 0 && ListView1().SelectedItem() != nullptr)
    ChangeButton().SetEnabled(true);
}

void ProfileDlg::ListView1_DblClick() {
  if (ChangeButton().Enabled()) ChangeButton_Click();
}

void ProfileDlg::ChangeButton_Click() {
  ui::ListItem* row = ListView1().SelectedItem();
  if (row == nullptr) return;
  const auto property = FindProperty(row->Text());
  if (!property) return;

  const std::string shown = row->SubItem(kColumnValue);
  if (property->Kind == "Text") {
    PropertyEditDlg& editor = PropertyEditDlg::Get();
    editor.SetData(*this, property->PropertyName, shown, property->Description);
    ShowTopMost(editor.form());
  } else if (property->Kind == "List" && property->IsMultivalued) {
    PropertyListDlg& editor = PropertyListDlg::Get();
    editor.SetData(*this, property, shown);
    ShowTopMost(editor.form());
  } else if (property->Kind == "List") {
    PropertyCmbDlg& editor = PropertyCmbDlg::Get();
    editor.SetData(*this, property, shown);
    ShowTopMost(editor.form());
  } else if (property->Kind == "Comment box") {
    PropertyCommentDlg& editor = PropertyCommentDlg::Get();
    editor.SetData(*this, property, shown);
    ShowTopMost(editor.form());
  } else {
    return;  // a kind without an editor
  }
  // The editor left its outcome in OKFlag and EditData.
  if (OKFlag) row->SetSubItem(kColumnValue, EditData);
}

void ProfileDlg::OKButton_Click() {
  const std::string required = resources::LoadString(TextId::kYes);
  for (int i = 0; i < ListView1().Count(); ++i) {
    ui::ListItem& row = ListView1().Item(i);
    const std::string& value = row.SubItem(kColumnValue);
    if (value.empty() && row.SubItem(kColumnRequired) == required) {
      ui::MessageBox(
          resources::ReplacePercent(resources::LoadString(TextId::kRequiredEnter), row.Text()),
          ui::kMbExclamation, row.Text());
      return;  // the form stays open; rows before this one keep what they got
    }
    if (const auto property = FindProperty(row.Text())) {
      property->Use = true;
      property->Value = value;
    }
  }
  if (Server_ != nullptr) Server_->SelectFlag = true;
  form_.Hide();
}

void ProfileDlg::CancelButton_Click() {
  if (Server_ != nullptr) {
    Server_->SelectFlag = false;
    Server_->ErrorCode = 0;
  }
  form_.Hide();
}

}  // namespace orvex::dialogs
