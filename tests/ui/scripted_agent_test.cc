// Plans and answers as the console and the tests write them.
#include "platform/ui/scripted_agent.h"

#include <gtest/gtest.h>

#include "platform/ui/form.h"

namespace orvex::ui {
namespace {

TEST(PlanTest, WordsArgumentsAndMistakes) {
  std::vector<Action> plan =
      ParsePlan(" click Sales/Reports/2001 ;; TYPE FolderName New one ; close ");
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].verb, Action::Verb::kClick);
  EXPECT_EQ(plan[0].argument, "Sales/Reports/2001");
  EXPECT_EQ(plan[1].verb, Action::Verb::kType);
  EXPECT_EQ(plan[1].argument, "FolderName New one");
  EXPECT_EQ(plan[2].verb, Action::Verb::kClose);
  EXPECT_EQ(plan[2].text, "close");

  EXPECT_THROW(ParsePlan("click"), PlanError);
  EXPECT_THROW(ParsePlan("press OKButton; wave"), PlanError);
  EXPECT_THROW(ParsePlan("close now"), PlanError);
  EXPECT_THROW(ParsePlan("answer maybe"), PlanError);
  EXPECT_TRUE(ParsePlan("  ").empty());

  ScriptedAgent agent;
  EXPECT_THROW(agent.Plan("Picker", "press OK; jump"), PlanError);
  EXPECT_EQ(agent.pending_plans(), 0);  // nothing of a bad plan is kept
  EXPECT_THROW(agent.Answer("perhaps"), PlanError);
}

TEST(ScriptedAgentTest, PlansServeTheNamedFormsShowingsInOrder) {
  Form picker(FormDeclaration("Picker"));
  Form other(FormDeclaration("Other"));
  ScriptedAgent agent;
  agent.Plan("picker", "press One");
  agent.Plan("Picker", "press Two");

  agent.FormShown(other);
  EXPECT_FALSE(agent.NextAction(other));
  agent.FormShown(picker);
  EXPECT_EQ(agent.NextAction(picker)->argument, "One");
  EXPECT_FALSE(agent.NextAction(picker));
  agent.FormShown(picker);
  EXPECT_EQ(agent.NextAction(picker)->argument, "Two");
  agent.FormShown(picker);
  EXPECT_FALSE(agent.NextAction(picker));
  EXPECT_EQ(agent.pending_plans(), 0);
}

TEST(ScriptedAgentTest, AnswersGoToTheBoxesThatCanTakeThem) {
  const MessageBoxRequest ok_box{"Failed", "T", 16}, question{"Delete?", "T", 292};
  ScriptedAgent agent;
  EXPECT_EQ(agent.AnswerMessageBox(question), kAnswerNo);  // nothing queued: safe
  EXPECT_EQ(agent.AnswerMessageBox(ok_box), kAnswerOk);

  EXPECT_FALSE(agent.HasAnswerFor(question));
  agent.Answer("yes");
  EXPECT_FALSE(agent.HasAnswerFor(ok_box));
  EXPECT_TRUE(agent.HasAnswerFor(question));
  EXPECT_EQ(agent.AnswerMessageBox(ok_box), kAnswerOk);  // the Yes waits for a question
  EXPECT_EQ(agent.pending_answers(), 1);
  EXPECT_EQ(agent.AnswerMessageBox(question), kAnswerYes);

  agent.Answer("OK");
  agent.Answer("no");
  EXPECT_EQ(agent.AnswerMessageBox(ok_box), kAnswerOk);  // takes the queued ok
  EXPECT_EQ(agent.AnswerMessageBox(question), kAnswerNo);
  EXPECT_EQ(agent.pending_answers(), 0);

  agent.Answer("ok");
  EXPECT_EQ(agent.AnswerMessageBox(question), kAnswerNo);  // a mistake, answered safely
  ASSERT_EQ(agent.problems().size(), 1u);

  // "answer" inside a plan queues at its point of the plan.
  Form form(FormDeclaration("F"));
  agent.Plan("F", "answer yes; press DeleteButton");
  agent.FormShown(form);
  EXPECT_EQ(agent.NextAction(form)->argument, "DeleteButton");
  EXPECT_EQ(agent.AnswerMessageBox(question), kAnswerYes);
}

}  // namespace
}  // namespace orvex::ui
