// Text, combo, list and list-view controls: what a person's keys and clicks
// do to them and which events fire; message box styles.
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/errors.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "platform/ui/text_box.h"
#include "support/error_of.h"

namespace orvex::ui {
namespace {

using orvex::testing::ErrorOf;

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest()
      : form_([] {
          FormDeclaration d("Controls");
          d.TextBox("Text1")
              .TextBox("Memo", true)
              .ComboBox("Combo1")
              .ListBox("List1")
              .ListView("ListView1", {"Name", "Required", "Value"})
              .Button("OKButton");
          return d;
        }()) {}
  Form form_;
};

TEST_F(ControlsTest, TypingFiresKeyPressThenEditsAndChangeFollowsRealChangesOnly) {
  TextBox& box = form_.text_box("Text1");
  std::vector<int> keys;
  int changes = 0;
  box.OnChange([&] { ++changes; });
  box.OnKeyPress([&](int& key) {
    keys.push_back(key);
    if (key == ':') key = 0;    // refused
    if (key == 'a') key = 'A';  // replaced
  });

  box.UserType("a:b");
  EXPECT_EQ(box.Text(), "Ab");
  EXPECT_EQ(keys, (std::vector<int>{'a', ':', 'b'}));
  EXPECT_EQ(changes, 2);

  box.UserKey(kKeyEnter);  // a one-line box: KeyPress only
  EXPECT_EQ(box.Text(), "Ab");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(keys.back(), kKeyEnter);

  box.SetText("Ab");  // unchanged: no Change
  EXPECT_EQ(changes, 2);
  box.SetText("日本");
  EXPECT_EQ(changes, 3);
  box.UserKey(kKeyBackspace);  // a whole character, not a byte
  EXPECT_EQ(box.Text(), "日");
  box.UserClear();
  EXPECT_EQ(box.Text(), "");
  EXPECT_EQ(changes, 5);

  box.SetEnabled(false);
  EXPECT_FALSE(box.UserType("x"));
  EXPECT_EQ(box.Text(), "");
  EXPECT_EQ(changes, 5);

  TextBox& memo = form_.text_box("Memo");
  memo.UserType("one");
  memo.UserKey(kKeyEnter);
  memo.UserType("two");
  EXPECT_EQ(memo.Text(), "one\ntwo");
}

TEST_F(ControlsTest, ComboBoxPickingTypingAndClearing) {
  ComboBox& combo = form_.combo_box("Combo1");
  int clicks = 0;
  int changes = 0;
  combo.OnClick([&] { ++clicks; });
  combo.OnChange([&] { ++changes; });
  combo.AddItem("Finance");
  combo.AddItem("Legal");

  EXPECT_TRUE(combo.UserChoose(1));
  EXPECT_EQ(combo.Text(), "Legal");
  EXPECT_EQ(combo.ListIndex(), 1);
  EXPECT_EQ(clicks, 1);

  combo.UserClear();
  EXPECT_EQ(combo.ListIndex(), -1);
  combo.UserType("Finance");  // typing a whole item selects it, without a Click
  EXPECT_EQ(combo.ListIndex(), 0);
  EXPECT_EQ(clicks, 1);

  combo.SetListIndex(-1);
  EXPECT_EQ(combo.Text(), "");
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { combo.SetListIndex(2); }), kErrInvalidPropertyValue);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { combo.List(2); }), kErrInvalidArrayIndex);

  combo.SetText("Legal");
  const int before = changes;
  combo.Clear();  // empties the text as well
  EXPECT_EQ(combo.Text(), "");
  EXPECT_EQ(combo.ListCount(), 0);
  EXPECT_EQ(changes, before + 1);
  EXPECT_FALSE(combo.UserChoose(0));
}

TEST_F(ControlsTest, ListBoxEntriesToggleOneByOne) {
  ListBox& list = form_.list_box("List1");
  int clicks = 0;
  list.OnClick([&] { ++clicks; });
  for (const char* v : {"red", "green", "blue"}) list.AddItem(v);
  list.UserToggle(2);
  list.UserToggle(0);
  list.UserToggle(2);
  EXPECT_TRUE(list.Selected(0));
  EXPECT_FALSE(list.Selected(1));
  EXPECT_FALSE(list.Selected(2));
  EXPECT_EQ(list.ListIndex(), 2);
  EXPECT_EQ(clicks, 3);
  list.SetSelected(0, true);  // no change, no Click
  EXPECT_EQ(clicks, 3);
  EXPECT_FALSE(list.UserToggle(3));
  EXPECT_EQ(ErrorOf<AutomationError>([&] { list.Selected(3); }), kErrInvalidArrayIndex);
}

TEST_F(ControlsTest, ListViewRowsKeysSubItemsAndClicks) {
  ListView& list = form_.list_view("ListView1");
  std::vector<std::string> events;
  list.OnClick([&] { events.push_back("click"); });
  list.OnDblClick([&] { events.push_back("dblclick"); });

  ListItem& author = list.AddItem("urn:author", "Author");
  author.SetSubItem(1, "Yes");
  author.SetSubItem(2, "jones");
  list.AddItem("", "Title");
  list.AddItem("", "Notes");
  EXPECT_EQ(ErrorOf<AutomationError>([&] { list.AddItem("urn:author", "again"); }),
            kErrKeyNotUnique);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { author.SetSubItem(3, "x"); }), kErrInvalidPropertyValue);
  EXPECT_EQ(ErrorOf<AutomationError>([&] { author.SubItem(0); }), kErrInvalidPropertyValue);
  EXPECT_EQ(list.Find("urn:author")->SubItem(2), "jones");

  EXPECT_EQ(list.SelectedItem(), nullptr);
  EXPECT_TRUE(list.UserDoubleClickRow(2));
  EXPECT_EQ(events, (std::vector<std::string>{"click", "dblclick"}));
  EXPECT_EQ(list.SelectedItem()->Text(), "Notes");
  EXPECT_TRUE(list.Item(2).Selected());
  EXPECT_FALSE(author.Selected());

  // Enter on the selected row opens it as a double click does.
  EXPECT_TRUE(list.UserActivateSelected());
  EXPECT_EQ(events.back(), "dblclick");
  EXPECT_EQ(events.size(), 3u);

  list.Clear();
  EXPECT_EQ(list.SelectedItem(), nullptr);
  EXPECT_FALSE(list.UserClickRow(0));
  EXPECT_FALSE(list.UserActivateSelected());  // nothing selected: nothing opens
  EXPECT_EQ(events.size(), 3u);
}

TEST_F(ControlsTest, DefaultAndPickOnlyBelongToButtonsAndComboBoxes) {
  FormDeclaration d("Marks");
  d.TextBox("Text1");
  EXPECT_THROW(d.Default(), std::logic_error);
  EXPECT_THROW(d.PickOnly(), std::logic_error);
  d.Button("OKButton").Default().Button("CancelButton").Default().ComboBox("Kind").PickOnly();
  Form form(d);
  // A later Default() takes the mark over: one default per form.
  EXPECT_EQ(form.DefaultButton(), &form.button("CancelButton"));
  EXPECT_TRUE(form.combo_box("Kind").pick_only());
  EXPECT_FALSE(form.combo_box("Kind").UserType("x"));
  EXPECT_FALSE(form.UserEnter());  // not shown: Enter reaches no one
  EXPECT_EQ(Form(FormDeclaration("Bare")).DefaultButton(), nullptr);
}

TEST_F(ControlsTest, DisabledButtonsCannotBePressed) {
  Button& ok = form_.button("OKButton");
  int clicks = 0;
  ok.OnClick([&] { ++clicks; });
  EXPECT_TRUE(ok.UserPress());
  ok.SetEnabled(false);
  EXPECT_FALSE(ok.UserPress());
  EXPECT_EQ(clicks, 1);
}

TEST(MessageBoxStyleTest, ButtonsDefaultsAndSafeAnswers) {
  const MessageBoxRequest critical{"t", "T", 16}, warning{"t", "T", 48}, question{"t", "T", 36},
      cautious{"t", "T", 292};
  EXPECT_EQ(critical.answers(), std::vector<int32_t>{kAnswerOk});
  EXPECT_EQ(critical.icon(), "critical");
  EXPECT_EQ(warning.icon(), "exclamation");
  EXPECT_EQ(warning.safe_answer(), kAnswerOk);
  EXPECT_EQ(question.answers(), (std::vector<int32_t>{kAnswerYes, kAnswerNo}));
  EXPECT_EQ(question.default_answer(), kAnswerYes);
  EXPECT_EQ(cautious.default_answer(), kAnswerNo);
  EXPECT_EQ(cautious.icon(), "question");
  EXPECT_EQ(question.safe_answer(), kAnswerNo);
  // Only OK and Yes/No boxes exist.
  EXPECT_EQ(ErrorOf<AutomationError>([] { MessageBox("t", 1, "T"); }), kErrInvalidProcedureCall);
}

}  // namespace
}  // namespace orvex::ui
