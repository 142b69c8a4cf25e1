// The profile dialog and its four value editors, driven by a scripted
// person on the headless toolkit: what SetData offers and preselects, which
// gestures open which editor, the required-value notices, the list and combo
// editors' own rules, and the records the dialog leaves behind.
#include "dialogs/profile_dlg.h"

#include <gtest/gtest.h>

#include <thread>

#include "dialogs/property_editors.h"
#include "platform/language.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "ui/form_test_base.h"

namespace orvex::dialogs {
namespace {

using nlohmann::json;
using records::ProfileClass1;
using records::PropertyClass1;
using testing::Control;

constexpr char kOffice[] = "urn:schemas-microsoft-com:office:office#";

std::shared_ptr<PropertyClass1> Property(const std::string& name, const std::string& kind,
                                         bool required = false,
                                         std::vector<std::string> dictionary = {}) {
  auto p = std::make_shared<PropertyClass1>();
  p->URI = kOffice + name;
  p->PropertyName = name;
  p->Kind = kind;
  p->IsRequired = required;
  p->Description = name + " of the document";
  if (!dictionary.empty()) {
    VariantArray values;
    for (auto& v : dictionary) values.emplace_back(v);
    p->DictionaryCount = static_cast<int16_t>(values.size());
    p->DictionaryValues = Variant(std::move(values));
  }
  return p;
}

std::shared_ptr<ProfileClass1> Profile(const std::string& title, std::vector<std::string> names,
                                       bool use, bool is_default, bool is_set) {
  auto p = std::make_shared<ProfileClass1>();
  p->NewClass("urn:content-classes:" + title, title, false);
  for (const auto& n : names) p->AddProperty(n);
  p->bUse = use;
  p->bDefault = is_default;
  p->bSet = is_set;
  return p;
}

class ProfileDialogTest : public testing::FormTest {
 protected:
  ProfileDialogTest() : engine_(nullptr) {
    properties_ = {
        Property("Title", "Text", true),
        Property("Author", "Text"),
        Property("Keywords", "List", false, {"red", "green", "blue"}),
        Property("Status", "List", true, {"Draft", "Final"}),
        Property("Comments", "Comment box"),
        Property("Due", "Date"),
    };
    properties_[1]->Value = "Jones";
    properties_[2]->IsMultivalued = true;
    profiles_ = {
        Profile("Hidden", {"Title"}, false, true, true),
        Profile("Contract", {"Author", "Title", "Keywords", "Status", "Comments"}, true, true,
                false),
        Profile("Memo", {"Title", "Due", "Unknown", "Author"}, true, false, true),
    };
  }
  // SetData, topmost and a modal showing, as the engine does it.
  ProfileDlg& Show(bool new_mode) {
    ProfileDlg& dlg = ProfileDlg::Get();
    dlg.SetData(engine_, "Sales", profiles_, properties_, new_mode);
    dlg.form().SetTopMost(true);
    dlg.form().ShowModal();
    return dlg;
  }
  std::vector<std::string> FormsShown() const {
    std::vector<std::string> out;
    for (const auto& f : Of("form")) out.push_back(f["name"]);
    return out;
  }
  // Each row as "text|required|value", and the keys.
  static std::vector<std::string> Rows(const ProfileDlg& dlg) {
    std::vector<std::string> out;
    auto& list = const_cast<ProfileDlg&>(dlg).ListView1();
    for (int i = 0; i < list.Count(); ++i) {
      const ui::ListItem& row = list.Item(i);
      out.push_back(row.Text() + "|" + row.SubItem(1) + "|" + row.SubItem(2));
    }
    return out;
  }
  PropertyClass1& Named(const std::string& name) {
    for (auto& p : properties_) {
      if (p->PropertyName == name) return *p;
    }
    throw std::logic_error(name);
  }

  engine::ServerClass1 engine_;
  records::PropertyRecords properties_;
  records::ProfileRecords profiles_;
};

TEST_P(ProfileDialogTest, OffersUsedProfilesAndPreselectsByMode) {
  engine_.SelectFlag = true;
  engine_.ErrorCode = 1000;
  ProfileDlg& dlg = Show(true);  // nothing planned: closed from the frame
  EXPECT_FALSE(engine_.SelectFlag);
  EXPECT_EQ(engine_.ErrorCode, 0);  // a close from the frame is a Cancel

  std::vector<json> forms = Of("form");
  ASSERT_EQ(forms.size(), 1u);
  const json& shown = forms[0];
  EXPECT_EQ(shown["caption"], "Profile");
  EXPECT_EQ(shown["topmost"], true);
  // "Hidden" is not offered; the folder's default is preselected for a new
  // document and its properties are listed as the form opens.
  EXPECT_EQ(Control(shown, "ComboProfile")["items"], json({"Contract", "Memo"}));
  EXPECT_EQ(Control(shown, "ComboProfile")["text"], "Contract");
  EXPECT_EQ(Control(shown, "ListView1")["columns"], json({"Property Name", "Required", "Value"}));
  EXPECT_EQ(Control(shown, "ChangeButton")["enabled"], false);
  EXPECT_EQ(Control(shown, "ChangeButton")["caption"], "Change");
  EXPECT_EQ(Control(shown, "OKButton")["caption"], "OK");
  EXPECT_EQ(Control(shown, "CancelButton")["caption"], "Cancel");
  EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"Author|No|Jones", "Title|Yes|", "Keywords|No|",
                                                 "Status|Yes|", "Comments|No|"}));
  EXPECT_EQ(dlg.ListView1().Item(1).Key(), std::string(kOffice) + "Title");
  EXPECT_EQ(dlg.SelectedURI(), "urn:content-classes:Contract");

  // The document's current profile for an existing one. A name without a
  // record ends the list there, its row without key or values.
  Show(false);
  EXPECT_EQ(dlg.ComboProfile().Text(), "Memo");
  EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"Title|Yes|", "Due|No|", "Unknown||"}));
  EXPECT_EQ(dlg.ListView1().Item(2).Key(), "");

  // Picking another profile refills the list; one form served every showing.
  const int shows = dlg.form().show_count();
  agent_->Plan("ProfileDlg", "choose Contract; close");
  Show(false);
  EXPECT_EQ(Rows(dlg).size(), 5u);
  EXPECT_EQ(&ProfileDlg::Get(), &dlg);
  EXPECT_EQ(dlg.form().show_count(), shows + 1);

  // Nothing offered: an empty list, and no profile to select.
  for (auto& p : profiles_) p->bUse = false;
  Show(true);
  EXPECT_EQ(dlg.ComboProfile().ListCount(), 0);
  EXPECT_EQ(dlg.ListView1().Count(), 0);
  EXPECT_EQ(dlg.SelectedURI(), "");
  EXPECT_TRUE(agent_->problems().empty());
  EXPECT_EQ(Of("msgbox").size(), 0u);
}

TEST_P(ProfileDialogTest, ChangeNeedsASelectedRowAndARequiredValueBlocksOk) {
  ProfileDlg& dlg = ProfileDlg::Get();
  dlg.SetData(engine_, "Sales", profiles_, properties_, true);
  // A double click reaching the list before any row was clicked opens nothing.
  dlg.ListView1_DblClick();
  dlg.ChangeButton_Click();
  EXPECT_TRUE(FormsShown().empty());

  agent_->Plan("ProfileDlg",
               "press ChangeButton; press OKButton; select Title; press ChangeButton; "
               "press OKButton; dblclick Status; press OKButton");
  agent_->Plan("PropertyEditDlg", "type Text1 Quarterly plan; press OKButton");
  agent_->Plan("PropertyCmbDlg", "choose Final; press OKButton");
  Show(true);

  // The disabled button could not be pressed.
  ASSERT_EQ(agent_->problems().size(), 1u);
  EXPECT_NE(agent_->problems()[0].find("ChangeButton is disabled"), std::string::npos);

  // Each press of OK stopped at the first required row without a value.
  const std::vector<json> boxes = Of("msgbox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0]["text"], "Title field is required. Please enter.");
  EXPECT_EQ(boxes[0]["title"], "Title");
  EXPECT_EQ(boxes[0]["icon"], "exclamation");
  EXPECT_EQ(boxes[0]["style"], 48);
  EXPECT_EQ(boxes[1]["text"], "Status field is required. Please enter.");

  EXPECT_TRUE(engine_.SelectFlag);
  EXPECT_FALSE(dlg.form().IsShown());
  EXPECT_EQ(FormsShown(),
            (std::vector<std::string>{"ProfileDlg", "PropertyEditDlg", "PropertyCmbDlg"}));
  // The text editor opened on the row's value, captioned with the name.
  const json editor = Of("form")[1];
  EXPECT_EQ(editor["caption"], "Title");
  EXPECT_EQ(Control(editor, "Text1")["text"], "");
  // Every listed row is marked for writing with the value it shows.
  EXPECT_EQ(Named("Title").Value, "Quarterly plan");
  EXPECT_EQ(Named("Status").Value, "Final");
  for (const char* name : {"Author", "Title", "Keywords", "Status", "Comments"})
    EXPECT_TRUE(Named(name).Use) << name;
  EXPECT_FALSE(Named("Due").Use);  // not in the chosen profile
  EXPECT_EQ(dlg.SelectedURI(), "urn:content-classes:Contract");
}

TEST_P(ProfileDialogTest, ARejectedOkKeepsTheRowsBeforeAndCancelKeepsThem) {
  Named("Author").Value = "";
  agent_->Plan("ProfileDlg",
               "dblclick Author; press OKButton; dblclick Author; press CancelButton");
  agent_->Plan("PropertyEditDlg", "type Text1 Smith; press OKButton");
  agent_->Plan("PropertyEditDlg", "type Text1 Brown; press CancelButton");
  ProfileDlg& dlg = Show(true);
  EXPECT_FALSE(engine_.SelectFlag);
  // Author came before the blocking Title row: it was written by the OK.
  EXPECT_TRUE(Named("Author").Use);
  EXPECT_EQ(Named("Author").Value, "Smith");
  EXPECT_FALSE(Named("Title").Use);
  // The cancelled edit left the row as it was.
  EXPECT_EQ(dlg.ListView1().Item(0).SubItem(2), "Smith");
  EXPECT_FALSE(dlg.OKFlag);
}

TEST_P(ProfileDialogTest, EachKindOpensItsEditor) {
  agent_->Plan("ProfileDlg",
               "dblclick Keywords; dblclick Status; dblclick Comments; choose Memo; "
               "dblclick Due; close");
  agent_->Plan("PropertyListDlg", "toggle List1 blue; toggle List1 red; press OKButton");
  agent_->Plan("PropertyCmbDlg", "choose Draft; press OKButton");
  agent_->Plan("PropertyCommentDlg",
               "type Text1 first; key Text1 enter; type Text1 second; "
               "press OKButton");
  ProfileDlg& dlg = Show(true);
  // "Date" has no editor: only three editors were shown, and the row of
  // the kind without one was not overwritten by the last editor's text.
  EXPECT_EQ(FormsShown(), (std::vector<std::string>{"ProfileDlg", "PropertyListDlg",
                                                    "PropertyCmbDlg", "PropertyCommentDlg"}));
  EXPECT_EQ(dlg.ListView1().Item(1).SubItem(2), "");
  EXPECT_EQ(dlg.EditData, "first\nsecond");
  EXPECT_TRUE(agent_->problems().empty());
  const std::vector<json> forms = Of("form");
  EXPECT_EQ(forms[1]["caption"], "Keywords");
  EXPECT_EQ(Control(forms[1], "AddButton")["caption"], "Add");
  EXPECT_EQ(Control(forms[1], "AddButton")["enabled"], false);
  EXPECT_EQ(forms[2]["caption"], "Status");
  EXPECT_EQ(Control(forms[2], "ComboBox1")["items"], json({"Draft", "Final"}));
  EXPECT_EQ(forms[3]["caption"], "Comments");
  EXPECT_EQ(Control(forms[3], "Text1")["text"], "");
}

TEST_P(ProfileDialogTest, EditedValuesReachTheRowsAndCommentsReopenOnTheStoredValue) {
  Named("Comments").Value = "stored";
  Named("Keywords").Value = "green";
  agent_->Plan("ProfileDlg",
               "dblclick Keywords; dblclick Comments; dblclick Comments; press OKButton; "
               "dblclick Title; press OKButton; dblclick Status; press OKButton");
  agent_->Plan("PropertyListDlg",
               "toggle List1 blue; type Text1 teal; press AddButton; "
               "press OKButton");
  agent_->Plan("PropertyCommentDlg", "clear Text1; type Text1 edited; press OKButton");
  agent_->Plan("PropertyCommentDlg", "press OKButton");
  agent_->Plan("PropertyEditDlg", "type Text1 T; press OKButton");
  agent_->Plan("PropertyCmbDlg", "choose Draft; press OKButton");
  ProfileDlg& dlg = Show(true);
  ASSERT_TRUE(engine_.SelectFlag);
  EXPECT_TRUE(agent_->problems().empty());
  // The list editor opened with the row's value selected and added its own.
  EXPECT_EQ(Named("Keywords").Value, "green,blue,teal");
  // The second comment showing started from the record, not from the first
  // edit, and its OK put that text back into the row.
  const std::vector<json> forms = Of("form");
  ASSERT_EQ(forms.size(), 6u);
  EXPECT_EQ(Control(forms[2], "Text1")["text"], "stored");
  EXPECT_EQ(Control(forms[3], "Text1")["text"], "stored");
  EXPECT_EQ(Named("Comments").Value, "stored");
  EXPECT_EQ(Rows(dlg)[4], "Comments|No|stored");
}

TEST_P(ProfileDialogTest, ComboEditorPicksOnlyFromAnUnrestrictedDictionary) {
  PropertyClass1& status = Named("Status");
  status.Value = "Archived";  // not in the dictionary: the text starts empty
  agent_->Plan("ProfileDlg", "dblclick Status; dblclick Status; dblclick Status; close");
  // Typing is discarded; Enter confirms, and an empty required text is refused.
  agent_->Plan("PropertyCmbDlg",
               "type ComboBox1 Fin; key ComboBox1 enter; choose Final; "
               "key ComboBox1 enter");
  // Opened again on the confirmed pick, typing still changes nothing.
  agent_->Plan("PropertyCmbDlg", "type ComboBox1 Xy; key ComboBox1 backspace; press OKButton");
  agent_->Plan("PropertyCmbDlg", "press CancelButton");
  ProfileDlg& dlg = Show(true);

  const std::vector<json> forms = Of("form");
  ASSERT_EQ(forms.size(), 4u);
  EXPECT_EQ(Control(forms[1], "ComboBox1")["text"], "");
  const std::vector<json> boxes = Of("msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], "Status field is required. Please enter.");
  EXPECT_EQ(boxes[0]["title"], "Status");
  EXPECT_EQ(boxes[0]["icon"], "exclamation");
  // The second showing opened on the confirmed pick.
  EXPECT_EQ(Control(forms[2], "ComboBox1")["text"], "Final");
  EXPECT_TRUE(agent_->problems().empty());
  EXPECT_FALSE(dlg.OKFlag);  // the last showing was cancelled
  EXPECT_EQ(dlg.EditData, "Final");
  EXPECT_EQ(dlg.ListView1().Item(3).SubItem(2), "Final");
}

TEST_P(ProfileDialogTest, RestrictedComboTakesTypedText) {
  Named("Status").IsRestricted = true;
  agent_->Plan("ProfileDlg", "dblclick Status; dblclick Status; close");
  agent_->Plan("PropertyCmbDlg",
               "type ComboBox1 Final draft; key ComboBox1 backspace; "
               "key ComboBox1 enter");
  // Typing the start of a listed value completes nothing behind the person's back.
  agent_->Plan("PropertyCmbDlg",
               "clear ComboBox1; type ComboBox1 Dr; key ComboBox1 backspace; "
               "press OKButton");
  ProfileDlg& dlg = Show(true);
  EXPECT_TRUE(dlg.OKFlag);
  EXPECT_EQ(dlg.EditData, "D");
  // The typed value is no dictionary entry: the next showing starts empty.
  EXPECT_EQ(Control(Of("form")[2], "ComboBox1")["text"], "");
}

TEST_P(ProfileDialogTest, ListEditorRebuildsTheValueAndGuardsItsEntries) {
  PropertyClass1& keywords = Named("Keywords");
  keywords.Value = "blue,,teal,red";
  keywords.IsRequired = true;
  keywords.DictionaryValues.array().emplace_back("a/b");
  keywords.DictionaryCount = 4;
  agent_->Plan("ProfileDlg", "dblclick Keywords; dblclick Keywords; close");
  agent_->Plan("PropertyListDlg",
               // listed already: nothing added; a listed name with a forbidden
               // character raises the notice; Enter adds new text
               "type Text1 green; press AddButton; type Text1 a/b; press AddButton; "
               "type Text1 mauve; key Text1 enter; key Text1 enter; "
               // nothing selected: a required property refuses OK
               "toggle List1 blue; toggle List1 teal; toggle List1 red; toggle List1 mauve; "
               "press OKButton; toggle List1 red; toggle List1 green; press OKButton");
  // Read-only: keys are discarded; OK reports the value as rebuilt.
  agent_->Plan("PropertyListDlg", "type Text1 zzz; press OKButton");
  ProfileDlg& dlg = Show(true);

  const std::vector<json> forms = Of("form");
  ASSERT_GE(forms.size(), 2u);
  const json& list = Control(forms[1], "List1")["items"];
  // Dictionary entries first, then the value's own part; the empty part
  // produced nothing.
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0], json({{"text", "red"}, {"selected", true}}));
  EXPECT_EQ(list[1], json({{"text", "green"}, {"selected", false}}));
  EXPECT_EQ(list[2], json({{"text", "blue"}, {"selected", true}}));
  EXPECT_EQ(list[4], json({{"text", "teal"}, {"selected", true}}));

  const std::vector<json> boxes = Of("msgbox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0]["text"],
            ":*?<>\\|/\" is not acceptable for Property Name field. Please change and try again.");
  EXPECT_EQ(boxes[0]["title"], "Confirm Property");
  EXPECT_EQ(boxes[0]["style"], 0);
  EXPECT_EQ(boxes[1]["text"], "Keywords field is required. Please enter.");
  // Selected entries in list order: green (dictionary) before mauve (added).
  EXPECT_EQ(dlg.ListView1().Item(2).SubItem(2), "red,green");
  EXPECT_EQ(PropertyListDlg::Get().List1().ListCount(), 4);  // rebuilt: no mauve, no teal
  EXPECT_EQ(dlg.EditData, "red,green");
  EXPECT_TRUE(agent_->problems().empty());

  // Read-only lists take no typing.
  keywords.ReadOnly = true;
  agent_->Plan("ProfileDlg", "dblclick Keywords; close");
  agent_->Plan("PropertyListDlg", "type Text1 zzz; key Text1 enter; press OKButton");
  Show(true);
  EXPECT_EQ(PropertyListDlg::Get().Text1().Text(), "");
  EXPECT_FALSE(PropertyListDlg::Get().AddButton().Enabled());
}

INSTANTIATE_TEST_SUITE_P(Toolkits, ProfileDialogTest, ::testing::Values("headless"),
                         [](const auto& toolkit) { return toolkit.param; });

// Captions and notices come from the string table in the thread's language;
// each thread has its own forms, loaded in its language.
TEST(ProfileDialogLanguageTest, JapaneseThreadGetsJapaneseCaptionsAndNotices) {
  std::vector<json> records;
  std::string rows_required;
  std::thread worker([&] {
    platform::SetThreadLanguage(platform::kLangJapanese);
    ui::UseToolkit("headless");
    auto agent = std::make_shared<ui::ScriptedAgent>();
    ui::SetUserAgent(agent);
    ui::SetObserver([&](const json& r) { records.push_back(r); });
    engine::ServerClass1 engine(nullptr);
    auto title = Property("Title", "Text", true);
    auto tags = Property("Tags", "List", true, {"x"});
    tags->IsMultivalued = true;
    auto state = Property("State", "List", true, {"y"});
    auto profile = Profile("Memo", {"Title", "Tags", "State"}, true, true, false);
    agent->Plan("ProfileDlg",
                "press OKButton; dblclick Tags; dblclick State; dblclick Title; close");
    agent->Plan("PropertyListDlg", "press OKButton; close");
    agent->Plan("PropertyCmbDlg", "press OKButton; close");
    agent->Plan("PropertyEditDlg", "close");
    ProfileDlg& dlg = ProfileDlg::Get();
    dlg.SetData(engine, "Sales", {profile}, {title, tags, state}, true);
    rows_required = dlg.ListView1().Item(0).SubItem(1) + dlg.ListView1().Item(1).SubItem(1);
    dlg.form().ShowModal();
    ui::SetObserver(nullptr);
    ui::SetUserAgent(nullptr);
  });
  worker.join();

  EXPECT_EQ(rows_required, "はいはい");
  std::vector<json> forms, boxes;
  for (const auto& r : records) {
    if (r.contains("form")) forms.push_back(r["form"]);
    if (r.contains("msgbox")) boxes.push_back(r["msgbox"]);
  }
  ASSERT_EQ(forms.size(), 4u);
  EXPECT_EQ(forms[0]["caption"], "プロファイル設定ダイアログ");
  EXPECT_EQ(Control(forms[0], "ListView1")["columns"], json({"プロパティ名", "必須", "値"}));
  EXPECT_EQ(Control(forms[0], "ChangeButton")["caption"], "変更");
  EXPECT_EQ(Control(forms[0], "CancelButton")["caption"], "キャンセル");
  EXPECT_EQ(Control(forms[1], "AddButton")["caption"], "追加");
  EXPECT_EQ(Control(forms[3], "OKButton")["caption"], "OK");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0]["text"], "Titleは必須項目です。値を入力してください。");
  EXPECT_EQ(boxes[1]["text"], "Tagsは必須項目です。選択して下さい。");
  EXPECT_EQ(boxes[2]["text"], "Stateは必須項目です。選択して下さい。");
}

}  // namespace
}  // namespace orvex::dialogs
