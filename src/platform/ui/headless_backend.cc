#include "platform/ui/headless_backend.h"

#include <algorithm>

#include "platform/ui/form.h"
#include "platform/ui/session.h"
#include "platform/ui/timer.h"
#include "platform/ui/user_agent.h"

namespace orvex::ui {
namespace {

// Guards against form logic that never lets a form end: after this many
// turns of timers alone the agent acts anyway, and after this many actions
// the showing is ended.
constexpr int kMaxTimerRounds = 1000;
constexpr int kMaxActions = 10000;

bool StillAlive(const Form* form) {
  const auto forms = Form::AllOnThisThread();
  return std::find(forms.begin(), forms.end(), form) != forms.end();
}

// Fires every enabled timer of the thread's forms once; true when any did.
bool FireTimers() {
  bool fired = false;
  for (Form* form : Form::AllOnThisThread()) {
    if (!StillAlive(form)) continue;
    for (const auto& c : form->controls()) {
      if (c->kind() != ControlKind::kTimer || !c->Enabled()) continue;
      fired = true;
      static_cast<Timer&>(*c).Fire();
      if (!StillAlive(form)) break;
    }
  }
  return fired;
}

class HeadlessView : public FormView {
 public:
  explicit HeadlessView(Form& form) : form_(form) {}

  void Show() override {}
  void Hide() override {}
  void CaptionChanged() override {}
  void TopMostChanged() override {}
  void FocusChanged() override {}
  void Refresh() override {}
  bool SaveScreenshot(const std::string&) override { return false; }
  std::string Perform(const Action& action) override { return PerformOnModel(form_, action); }

  void RunModal() override {
    SafeAgent safe;
    int timer_rounds = 0;
    int actions = 0;
    while (form_.IsShown()) {
      const bool timers = FireTimers();
      if (!form_.IsShown()) break;
      if (timers && ++timer_rounds < kMaxTimerRounds) continue;
      timer_rounds = 0;

      UserAgent* agent = CurrentUserAgent();
      if (agent == nullptr) agent = &safe;
      std::optional<Action> action = agent->NextAction(form_);
      const bool unscripted = !action;
      if (unscripted) action = Action::Close();
      const std::string problem = Perform(*action);
      if (!problem.empty()) {
        ReportProblem(form_, *action, problem);
        if (unscripted) Abandon("nobody can close the form; the showing was ended");
      }
      if (++actions >= kMaxActions) Abandon("the form did not end; the showing was ended");
    }
  }

 private:
  void Abandon(const std::string& why) {
    ReportProblem(form_, Action::Close(), why);
    form_.Hide();
  }

  Form& form_;
};

}  // namespace

std::unique_ptr<FormView> HeadlessBackend::CreateView(Form& form) {
  return std::make_unique<HeadlessView>(form);
}

int32_t HeadlessBackend::ShowMessageBox(const MessageBoxRequest& request, UserAgent* agent,
                                        const std::string&) {
  if (agent == nullptr) return request.safe_answer();
  return agent->AnswerMessageBox(request);
}

}  // namespace orvex::ui
