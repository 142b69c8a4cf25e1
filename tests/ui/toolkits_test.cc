// The same form logic driven on every toolkit this build has: headless, and
// Qt on the offscreen platform. A scripted person picks, creates and
// deletes; the records of what was shown must be the same everywhere.
#include <gtest/gtest.h>

#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/text_box.h"
#include "ui/form_test_base.h"
#include "ui/sample_forms.h"

namespace orvex::testing {
namespace {

using nlohmann::json;

class ToolkitTest : public FormTest {};

TEST_P(ToolkitTest, ConfirmingANodeGivesItsKeyAndTheFormIsReusedAsLoaded) {
  PickerForm picker;
  agent_->Plan("Picker", "click Sales/Reports/2001; press OKButton");
  ASSERT_TRUE(picker.Run());
  EXPECT_EQ(picker.selected, "Sales/Reports/2001");

  agent_->Plan("Picker", "click Minutes; press OKButton");  // by its text
  ASSERT_TRUE(picker.Run());
  EXPECT_EQ(picker.selected, "Sales/Minutes");
  EXPECT_EQ(picker.loads, 1);
  EXPECT_TRUE(agent_->problems().empty());

  const std::vector<json> forms = Of("form");
  ASSERT_EQ(forms.size(), 2u);
  const json& shown = forms[0];
  EXPECT_EQ(shown["caption"], "Select Folder");
  EXPECT_EQ(shown["topmost"], true);
  EXPECT_EQ(Control(shown, "OKButton")["enabled"], false);
  const json& nodes = Control(shown, "TreeView1")["nodes"];
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_EQ(nodes[0], json({{"key", "Sales"},
                            {"text", "Sales"},
                            {"image", "work"},
                            {"parent", nullptr},
                            {"expanded", true}}));
  EXPECT_EQ(nodes[2]["parent"], "Sales/Reports");
  EXPECT_EQ(nodes[1]["expanded"], false);                 // deeper levels start closed
  EXPECT_EQ(forms[1]["controls"], forms[0]["controls"]);  // refilled the same way
}

TEST_P(ToolkitTest, WithoutAPlanTheFormEndsLikeCancelAndQuestionsGetNo) {
  PickerForm picker;
  EXPECT_FALSE(picker.Run());
  EXPECT_EQ(picker.frame_closes, 1);

  agent_->Plan("Picker", "click Sales/Reports; press DeleteButton; press CancelButton");
  EXPECT_FALSE(picker.Run());
  EXPECT_TRUE(picker.deleted.empty());
  const std::vector<json> boxes = Of("msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], "Reports is deleting.");
  EXPECT_EQ(boxes[0]["style"], 292);
  EXPECT_EQ(boxes[0]["answer"], "no");

  ui::SetUserAgent(nullptr);  // no agent at all: the same safe ending
  EXPECT_FALSE(picker.Run());
  EXPECT_EQ(picker.frame_closes, 2);
}

TEST_P(ToolkitTest, YesDeletesTheNodeWithItsSubtree) {
  PickerForm picker;
  agent_->Plan("Picker", "click Reports; answer yes; press DeleteButton; press CancelButton");
  EXPECT_FALSE(picker.Run());
  EXPECT_EQ(picker.deleted, std::vector<std::string>{"Sales/Reports"});
  ui::TreeView& tree = picker.form.tree_view("TreeView1");
  EXPECT_EQ(tree.Count(), 2);
  EXPECT_EQ(tree.Find("Sales/Reports/2001"), nullptr);
  EXPECT_EQ(Of("msgbox").at(0)["answer"], "yes");
}

TEST_P(ToolkitTest, ANestedEntryFormTypesChecksAndConfirmsWithEnter) {
  PickerForm picker;
  agent_->Plan("Picker",
               "click Sales/Reports; press CreateButton; click Sales/Reports/Q3; press OKButton");
  agent_->Plan("NameEntry",
               "type FolderName Q/3; press OKButton; clear FolderName; type FolderName Q*3; key "
               "FolderName enter");
  ASSERT_TRUE(picker.Run());
  EXPECT_EQ(picker.selected, "Sales/Reports/Q3");
  EXPECT_EQ(picker.entry.loads, 1);
  EXPECT_TRUE(agent_->problems().empty()) << agent_->problems().front();

  const std::vector<json> forms = Of("form");
  ASSERT_EQ(forms.size(), 2u);
  EXPECT_EQ(forms[1]["name"], "NameEntry");
  EXPECT_EQ(Control(forms[1], "OKButton")["enabled"], false);
  EXPECT_EQ(Control(forms[1], "Label1")["caption"], "New Folder Name");
  const std::vector<json> boxes = Of("msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], "Q/3 is not acceptable");
  EXPECT_EQ(boxes[0]["style"], 48);
  EXPECT_EQ(boxes[0]["answer"], "ok");
  EXPECT_EQ(picker.form.tree_view("TreeView1").Find("Sales/Reports/Q3")->Image(), "smart");
  EXPECT_EQ(picker.form.FocusedControl()->name(), "TreeView1");
}

TEST_P(ToolkitTest, WhatAPersonCannotDoIsReportedAndSkipped) {
  PickerForm picker;
  agent_->Plan("Picker", "click Sales; press OKButton; click Nowhere; type x; press CancelButton");
  EXPECT_FALSE(picker.Run());
  const std::vector<json> problems = Of("ui_problem");
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0]["problem"], "OKButton is disabled");
  EXPECT_EQ(problems[1]["problem"], "no node \"Nowhere\" in TreeView1");
  EXPECT_EQ(problems[2]["action"], "type x");
  EXPECT_EQ(agent_->problems().size(), 3u);
  EXPECT_EQ(picker.frame_closes, 0);  // Cancel ended it
}

TEST_P(ToolkitTest, ComboListViewListBoxAndMultiLineBoxRespondAsTheyShould) {
  EditorForm editor;
  agent_->Plan(
      "Editor",
      "choose Contract; type ComboBox1 xyz; select Amount; dblclick urn:title; toggle red; "
      "toggle blue; toggle red; type Memo one; key Memo enter; type Memo two; key "
      "ComboBox1 enter");
  ASSERT_TRUE(editor.Run());
  EXPECT_TRUE(agent_->problems().empty()) << agent_->problems().front();
  EXPECT_EQ(editor.result(), "Contract|blue|one\ntwo");
  const ui::ListView& rows = editor.form.list_view("ListView1");
  ASSERT_EQ(rows.Count(), 2);
  EXPECT_EQ(rows.Item(0).SubItem(1), "changed");
  EXPECT_EQ(rows.Item(1).SubItem(1), "100");
  EXPECT_EQ(rows.SelectedItem(), &rows.Item(0));
  EXPECT_EQ(editor.form.combo_box("ComboBox1").ListIndex(), 1);

  // A second showing starts from what Run resets.
  agent_->Plan("Editor", "choose Basic; press OKButton");
  ASSERT_TRUE(editor.Run());
  EXPECT_EQ(editor.result(), "Basic||");
  EXPECT_EQ(rows.Item(0).SubItem(1), "Plan");
  const json shown = Of("form").at(1);
  EXPECT_EQ(Control(shown, "ListView1")["rows"], json::array());
  EXPECT_EQ(Control(shown, "List1")["items"][0], json({{"text", "red"}, {"selected", false}}));
}

// A form with a default button: Enter in a one-line entry presses it
// unless the entry's KeyPress takes the key, never in a multi-line box, and
// never while the button is disabled; Escape closes from the frame; a
// pick-only combo box takes no typing.
TEST_P(ToolkitTest, EnterPressesTheDefaultButtonWhereNoControlTakesItAndEscapeCancels) {
  ui::FormDeclaration d("Confirm");
  d.TextBox("Text1")
      .TextBox("Memo", true)
      .ComboBox("Kind")
      .PickOnly()
      .Button("OKButton")
      .Default()
      .Button("CancelButton");
  ui::Form form(d);
  int oks = 0, closes = 0, refused = 0;
  form.button("OKButton").OnClick([&] {
    ++oks;
    form.Hide();
  });
  form.OnFrameClose([&] { ++closes; });
  ui::TextBox& text = form.text_box("Text1");
  text.OnChange([&] { form.button("OKButton").SetEnabled(text.Text() != "no"); });
  text.OnKeyPress([&](int& key) {
    // "keep" holds Enter back, as an entry that handles it itself does.
    if (key == ui::kKeyEnter && text.Text() == "keep") {
      ++refused;
      key = 0;
    }
  });
  form.combo_box("Kind").AddItem("Memo");

  agent_->Plan("Confirm",
               "key Memo enter; type Memo x; type Text1 keep; key Text1 enter; clear; "
               "type Text1 ok; key Text1 enter");
  form.ShowModal();
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(form.text_box("Memo").Text(), "\nx");
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(agent_->problems().empty()) << agent_->problems().front();

  agent_->Plan("Confirm",
               "clear Text1; type Text1 no; key Text1 enter; type Kind M; key Text1 escape");
  form.ShowModal();
  EXPECT_EQ(oks, 1);  // the default button is disabled
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(form.combo_box("Kind").Text(), "");
  ASSERT_EQ(agent_->problems().size(), 1u);
  EXPECT_EQ(Of("ui_problem").at(0)["problem"], "Kind takes no typing: its items are picked");
}

INSTANTIATE_TEST_SUITE_P(Toolkits, ToolkitTest, ::testing::Values("headless", "qt"),
                         [](const auto& toolkit) { return toolkit.param; });

}  // namespace
}  // namespace orvex::testing
