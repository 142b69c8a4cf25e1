// UserAgent: who acts on a modal form when no person does.
//
// While a form is shown modally, its backend asks the thread's agent for
// the next action whenever the form is idle (no enabled timer of the form
// is waiting to fire), performs it the way a person would on that backend,
// and asks again until the form is hidden. An agent that has nothing (more)
// for a form returns nullopt: the form is then closed from its frame, as if
// the person had cancelled it, unless the agent leaves unscripted forms to a
// person at a real display. Message boxes ask the agent for their answer.
#ifndef ORVEX_PLATFORM_UI_USER_AGENT_H_
#define ORVEX_PLATFORM_UI_USER_AGENT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/action.h"
#include "platform/ui/message_box.h"

namespace orvex::ui {

class Form;

class UserAgent {
 public:
  virtual ~UserAgent() = default;

  // `form` has just been shown modally.
  virtual void FormShown(const Form& form) { (void)form; }
  // The next action on `form`, or nullopt when the agent has nothing more.
  virtual std::optional<Action> NextAction(const Form& form) = 0;
  // Whether the agent has an answer of its own for the box. When it has
  // none and leaves unscripted things to a person, a backend with a real
  // display lets the person answer; otherwise AnswerMessageBox is asked.
  virtual bool HasAnswerFor(const MessageBoxRequest& request) const {
    (void)request;
    return true;
  }
  // The answer to a message box: one of request.answers().
  virtual int32_t AnswerMessageBox(const MessageBoxRequest& request) = 0;
  // An action could not be done (`problem` says why); the form stays as it was.
  virtual void ActionFailed(const Form& form, const Action& action, const std::string& problem) {
    (void)form, (void)action, (void)problem;
  }
  // Whether a form the agent has nothing for is left to a person instead of
  // being closed. Only a backend with a real display honours it.
  virtual bool LeavesUnscriptedToPerson() const { return false; }
};

// The agent used when none is installed: it does nothing on a form (so a
// modal form closes from its frame, like Cancel), acknowledges OK boxes and
// answers No to every question, so nothing is replaced or deleted without a
// person's Yes.
class SafeAgent : public UserAgent {
 public:
  std::optional<Action> NextAction(const Form&) override { return std::nullopt; }
  int32_t AnswerMessageBox(const MessageBoxRequest& request) override {
    return request.safe_answer();
  }
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_USER_AGENT_H_
