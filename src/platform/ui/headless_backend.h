// The headless backend: forms are their controls' state and nothing more.
//
// A modal showing runs a loop on the calling thread: every enabled timer of
// the thread's forms fires (at once: there is no waiting), and whenever the
// shown form has no enabled timer left, the thread's user agent (the
// SafeAgent when none is installed) acts on it, until the form is hidden.
// A form the agent cannot close (it has no close box) is ended by the
// backend with a ui_problem record rather than spinning forever. Message
// boxes are answered by the agent.
#ifndef ORVEX_PLATFORM_UI_HEADLESS_BACKEND_H_
#define ORVEX_PLATFORM_UI_HEADLESS_BACKEND_H_

#include "platform/ui/backend.h"

namespace orvex::ui {

class HeadlessBackend : public Backend {
 public:
  std::string_view name() const override { return "headless"; }
  std::unique_ptr<FormView> CreateView(Form& form) override;
  int32_t ShowMessageBox(const MessageBoxRequest& request, UserAgent* agent,
                         const std::string& screenshot_path) override;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_HEADLESS_BACKEND_H_
