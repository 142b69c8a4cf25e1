// ScriptedAgent: a user agent that follows plans written as text.
//
//   agent.Plan("FolderDlgA", "click Sales/Reports/2001; press OKButton");
//   agent.Answer("yes");
//
// Plan(form, text) scripts the next modal showing of the form with that
// name (names compare case-insensitively); several plans for the same form
// serve its next showings in order. A plan's actions are the words of
// action.h. When a showing's plan is used up (or the form had none) the
// agent has nothing more: the form is closed from its frame, like Cancel.
//
// Answer(text) queues the answer ("yes", "no" or "ok") to a coming message
// box; "answer WORD" inside a plan queues one at that point of the plan.
// A Yes/No box takes the first queued answer (an "ok" there counts as a
// mistake: the box gets No). An OK box takes a queued "ok" if it is first,
// and otherwise is acknowledged without using the queue. With nothing
// queued every box gets its safe answer (OK, or No), unless the agent
// leaves unscripted things to a person at a real display, who answers then.
//
// Actions that cannot be done are kept in problems() and skipped.
#ifndef ORVEX_PLATFORM_UI_SCRIPTED_AGENT_H_
#define ORVEX_PLATFORM_UI_SCRIPTED_AGENT_H_

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/user_agent.h"

namespace orvex::ui {

class ScriptedAgent : public UserAgent {
 public:
  // Throws PlanError (and queues nothing) when the text has an unknown word.
  void Plan(std::string form_name, std::string_view plan_text);
  // Throws PlanError for anything but yes, no or ok.
  void Answer(std::string_view answer_text);

  // Plans not yet taken by a showing, answers not yet given.
  int pending_plans() const;
  int pending_answers() const { return static_cast<int>(answers_.size()); }
  const std::vector<std::string>& problems() const { return problems_; }

  // With a real display, forms without a plan are left to the person.
  void set_leave_unscripted_to_person(bool leave) { leave_to_person_ = leave; }

  void FormShown(const Form& form) override;
  std::optional<Action> NextAction(const Form& form) override;
  bool HasAnswerFor(const MessageBoxRequest& request) const override;
  int32_t AnswerMessageBox(const MessageBoxRequest& request) override;
  void ActionFailed(const Form& form, const Action& action, const std::string& problem) override;
  bool LeavesUnscriptedToPerson() const override { return leave_to_person_; }

 private:
  struct Pending {
    std::string form_name;
    std::deque<Action> actions;
  };

  std::deque<Pending> plans_;
  std::map<const Form*, std::deque<Action>> running_;
  std::deque<int32_t> answers_;
  std::vector<std::string> problems_;
  bool leave_to_person_ = false;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_SCRIPTED_AGENT_H_
