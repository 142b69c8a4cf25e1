// Modal showings on the headless toolkit: the loop, timers before the
// agent, the safe default, errors raised inside a showing, and the record a
// shown form leaves.
#include "platform/ui/headless_backend.h"

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/errors.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/timer.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/top_most.h"
#include "support/error_of.h"

namespace orvex::ui {
namespace {

using nlohmann::json;

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseToolkit("headless");
    SetObserver([this](const json& r) { records_.push_back(r); });
  }
  void TearDown() override {
    SetObserver(nullptr);
    SetUserAgent(nullptr);
  }
  std::vector<json> records_;
};

TEST_F(HeadlessTest, TimersRunBeforeTheAgentAndHidingEndsTheShowing) {
  Form form([] {
    FormDeclaration d("Progress");
    d.Label("Label1").Timer("Timer1", 1).NotClosable();
    return d;
  }());
  int loads = 0;
  int ticks = 0;
  form.OnLoad([&] { ++loads; });
  Timer& timer = form.timer("Timer1");
  EXPECT_FALSE(timer.Enabled());  // a timer starts off
  timer.OnTimer([&] {
    ++ticks;
    if (ticks == 3) {
      timer.SetEnabled(false);
      form.Hide();
    }
  });
  auto agent = std::make_shared<ScriptedAgent>();
  agent->Plan("Progress", "close");  // would fail on this form, and never gets the chance
  SetUserAgent(agent);

  timer.SetEnabled(true);
  form.ShowModal();
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(form.IsShown());
  EXPECT_EQ(loads, 1);
  EXPECT_TRUE(agent->problems().empty());

  timer.SetEnabled(true);
  ticks = 0;
  form.ShowModal();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(form.show_count(), 2);
}

TEST_F(HeadlessTest, AFormNobodyCanCloseIsEndedWithAProblemRecord) {
  Form form([] {
    FormDeclaration d("Stuck");
    d.Label("Label1").NotClosable();
    return d;
  }());
  form.ShowModal();
  EXPECT_FALSE(form.IsShown());
  ASSERT_FALSE(records_.empty());
  EXPECT_TRUE(records_.back().contains("ui_problem"));
  EXPECT_EQ(records_.back()["ui_problem"]["form"], "Stuck");
}

TEST_F(HeadlessTest, ErrorsInsideAShowingReachTheCallerAndLeaveTheFormUsable) {
  Form form([] {
    FormDeclaration d("Faulty");
    d.Button("Go");
    return d;
  }());
  form.button("Go").OnClick([&] { form.ShowModal(); });  // shown already: error 400
  auto agent = std::make_shared<ScriptedAgent>();
  agent->Plan("Faulty", "press Go");
  SetUserAgent(agent);
  EXPECT_EQ(testing::ErrorOf<AutomationError>([&] { form.ShowModal(); }), kErrAlreadyDisplayed);
  EXPECT_FALSE(form.IsShown());
  EXPECT_FALSE(AnyModal());
  form.ShowModal();  // shown again, closed by the default like Cancel
  EXPECT_FALSE(form.IsShown());
}

TEST_F(HeadlessTest, NothingClaimsAScreenshotWhereNoneWasTaken) {
  const std::string dir = ::testing::TempDir() + "headless-shots";
  SetScreenshotDirectory(dir);
  Form form(FormDeclaration("Plain"));
  form.ShowModal();
  EXPECT_EQ(MessageBox("Done", kMbCritical, "Plain"), kAnswerOk);
  SetScreenshotDirectory("");
  ASSERT_EQ(records_.size(), 2u);
  EXPECT_FALSE(records_[0]["form"].contains("screenshot"));
  EXPECT_FALSE(records_[1]["msgbox"].contains("screenshot"));
}

TEST_F(HeadlessTest, TopMostFindsTheFormByItsHandleOnThisThread) {
  Form a(FormDeclaration("A"));
  Form b(FormDeclaration("B"));
  EXPECT_NE(a.hWnd(), b.hWnd());
  SetTopMost(b.hWnd());
  SetTopMost(-1);  // no such window: ignored
  EXPECT_FALSE(a.TopMost());
  EXPECT_TRUE(b.TopMost());
  EXPECT_EQ(Form::Find("b"), &b);
  EXPECT_EQ(Form::FromHandle(a.hWnd()), &a);
}

TEST_F(HeadlessTest, TheRecordShowsEveryControlAsThePersonSawIt) {
  Form form([] {
    FormDeclaration d("ProfileLike");
    d.ComboBox("ComboProfile")
        .ListView("ListView1", {"Property Name", "Required", "Value"})
        .ListBox("List1")
        .Button("OKButton");
    return d;
  }());
  form.SetCaption("Profile");
  ComboBox& combo = form.combo_box("ComboProfile");
  combo.AddItem("Basic");
  combo.AddItem("Contract");
  combo.SetText("Contract");
  ListItem& row = form.list_view("ListView1").AddItem("urn:title", "Title");
  row.SetSubItem(1, "Yes");
  form.list_box("List1").AddItem("red");
  form.list_box("List1").AddItem("blue");
  form.list_box("List1").SetSelected(1, true);
  form.button("OKButton").SetCaption("OK");
  form.button("OKButton").SetEnabled(false);
  form.button("OKButton").SetFocus();

  form.ShowModal();
  ASSERT_FALSE(records_.empty());
  const json& shown = records_.front()["form"];
  EXPECT_EQ(shown["name"], "ProfileLike");
  EXPECT_EQ(shown["caption"], "Profile");
  EXPECT_EQ(shown["focus"], "OKButton");
  const json& controls = shown["controls"];
  EXPECT_EQ(controls[0]["text"], "Contract");
  EXPECT_EQ(controls[0]["listindex"], 1);
  EXPECT_EQ(controls[0]["items"], json({"Basic", "Contract"}));
  EXPECT_EQ(controls[1]["columns"], json({"Property Name", "Required", "Value"}));
  EXPECT_EQ(controls[1]["rows"][0], json({{"key", "urn:title"},
                                          {"text", "Title"},
                                          {"subitems", {"Yes", ""}},
                                          {"selected", false}}));
  EXPECT_EQ(controls[2]["items"][1], json({{"text", "blue"}, {"selected", true}}));
  EXPECT_EQ(controls[3]["enabled"], false);
  EXPECT_EQ(controls[3]["caption"], "OK");
}

}  // namespace
}  // namespace orvex::ui
