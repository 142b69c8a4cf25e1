#include "platform/ui/scripted_agent.h"

#include "platform/text.h"
#include "platform/ui/form.h"

namespace orvex::ui {

void ScriptedAgent::Plan(std::string form_name, std::string_view plan_text) {
  std::vector<Action> actions = ParsePlan(plan_text);
  plans_.push_back({std::move(form_name), std::deque<Action>(actions.begin(), actions.end())});
}

void ScriptedAgent::Answer(std::string_view answer_text) {
  std::optional<int32_t> answer = ParseAnswer(answer_text);
  if (!answer)
    throw PlanError("unknown answer \"" + std::string(answer_text) + "\" (yes, no or ok)");
  answers_.push_back(*answer);
}

int ScriptedAgent::pending_plans() const { return static_cast<int>(plans_.size()); }

void ScriptedAgent::FormShown(const Form& form) {
  std::deque<Action>& running = running_[&form];
  running.clear();
  for (auto it = plans_.begin(); it != plans_.end(); ++it) {
    if (platform::CompareNoCase(it->form_name, form.name()) == 0) {
      running = std::move(it->actions);
      plans_.erase(it);
      break;
    }
  }
}

std::optional<Action> ScriptedAgent::NextAction(const Form& form) {
  auto it = running_.find(&form);
  if (it == running_.end()) return std::nullopt;
  std::deque<Action>& actions = it->second;
  while (!actions.empty()) {
    Action next = std::move(actions.front());
    actions.pop_front();
    if (next.verb == Action::Verb::kAnswer) {
      answers_.push_back(*ParseAnswer(next.argument));
      continue;
    }
    return next;
  }
  return std::nullopt;
}

bool ScriptedAgent::HasAnswerFor(const MessageBoxRequest& request) const {
  if (answers_.empty()) return false;
  return request.yes_no() || answers_.front() == kAnswerOk;
}

int32_t ScriptedAgent::AnswerMessageBox(const MessageBoxRequest& request) {
  if (answers_.empty()) return request.safe_answer();
  const int32_t queued = answers_.front();
  if (!request.yes_no()) {
    if (queued == kAnswerOk) answers_.pop_front();
    return kAnswerOk;
  }
  answers_.pop_front();
  if (queued == kAnswerOk) {
    problems_.push_back("answer \"ok\" given to a Yes/No box \"" + request.text +
                        "\"; answered No");
    return kAnswerNo;
  }
  return queued;
}

void ScriptedAgent::ActionFailed(const Form& form, const Action& action,
                                 const std::string& problem) {
  problems_.push_back(form.name() + ": " + action.text + ": " + problem);
}

}  // namespace orvex::ui
