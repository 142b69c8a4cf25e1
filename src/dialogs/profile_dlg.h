// ProfileDlg: the form in which a person picks the profile of a document
// being uploaded or checked in, and fills in the values of its properties.
//
// The engine's profile assignment builds the profile and property records,
// hands them over with SetData, shows the form topmost and modally, and
// afterwards reads the engine's SelectFlag (and ErrorCode: 0 after Cancel)
// and SelectedURI. The form edits the property records in place (their
// Value and Use) and never talks to the server.
//
// Controls: ComboProfile (the offered profiles' titles), ListView1 (one row
// per property of the chosen profile: name, "Yes"/"No" for required, the
// value; the row key is the property's URI), ChangeButton, OKButton,
// CancelButton. ChangeButton (or a double click on a row) opens the value
// editor fitting the property's Kind; the editor reports back through
// OKFlag and EditData.
//
// One form per thread, created on first use and only hidden afterwards;
// SetData resets it before every showing.
#ifndef ORVEX_DIALOGS_PROFILE_DLG_H_
#define ORVEX_DIALOGS_PROFILE_DLG_H_

#include <memory>
#include <string>

#include "dialogs/form_instances.h"
#include "engine/server_class1.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/list_view.h"
#include "records/profile_class1.h"

namespace orvex::dialogs {

inline constexpr char kProfileDlgName[] = "ProfileDlg";

class ProfileDlg {
 public:
  static ProfileDlg& Get() { return FormInstances::Get<ProfileDlg>(); }
  static ProfileDlg* IfCreated() { return FormInstances::IfCreated<ProfileDlg>(); }

  // Keeps the arguments (Server must outlive the showing), sets the
  // engine's SelectFlag to False, disables ChangeButton and fills
  // ComboProfile with the titles of the profiles whose bUse is True. The
  // profile preselected is the folder's default one (bDefault) when
  // bNewMode is True, else the document's current one (bSet); the last
  // such profile wins. The list then shows the preselected profile's
  // properties.
  void SetData(engine::ServerClass1& Server, const std::string& Worksapce,
               records::ProfileRecords arrProfile, records::PropertyRecords arrProperty,
               bool bNewMode);
  // The strURI of the first profile whose title is the combo box text; ""
  // when none is.
  std::string SelectedURI() const;

  // Set by a value editor as it closes: True with the new text in EditData
  // on OK, False on Cancel.
  bool OKFlag = false;
  std::string EditData;

  // Events.
  void ComboProfile_Click();
  void ListView1_Click();
  void ListView1_DblClick();
  void ChangeButton_Click();
  void OKButton_Click();
  void CancelButton_Click();

  ui::Form& form() { return form_; }
  ui::ComboBox& ComboProfile() { return form_.combo_box("ComboProfile"); }
  ui::ListView& ListView1() { return form_.list_view("ListView1"); }
  ui::Button& ChangeButton() { return form_.button("ChangeButton"); }
  ui::Button& OKButton() { return form_.button("OKButton"); }
  ui::Button& CancelButton() { return form_.button("CancelButton"); }

  const std::string& workspace() const { return Worksapce_; }
  const records::ProfileRecords& profiles() const { return arrProfile_; }
  const records::PropertyRecords& properties() const { return arrProperty_; }

 private:
  friend struct FormInstances;
  ProfileDlg();
  void Form_Load();
  // The first property record named `name`, or nullptr.
  std::shared_ptr<records::PropertyClass1> FindProperty(const std::string& name) const;

  ui::Form form_;
  engine::ServerClass1* Server_ = nullptr;
  std::string Worksapce_;
  records::ProfileRecords arrProfile_;
  records::PropertyRecords arrProperty_;
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_PROFILE_DLG_H_
