// Timer: fires its Timer event every Interval milliseconds while Enabled.
//
// Timers fire on the form's thread from the running event loop, also while
// their form is hidden. The headless backend does not wait: it fires every
// enabled timer whenever its loop turns, so a run never depends on speed.
#ifndef ORVEX_PLATFORM_UI_TIMER_H_
#define ORVEX_PLATFORM_UI_TIMER_H_

#include <functional>
#include <string>

#include "platform/ui/control.h"

namespace orvex::ui {

class Timer : public Control {
 public:
  Timer(Form& form, std::string name, int interval_ms)
      : Control(form, ControlKind::kTimer, std::move(name)), interval_(interval_ms) {
    // A timer starts disabled: it runs only once the form logic enables it.
    SetEnabled(false);
  }

  int Interval() const { return interval_; }

  void OnTimer(std::function<void()> handler) { on_timer_ = std::move(handler); }

  // Backends: the interval has elapsed. Fires Timer when enabled.
  void Fire();

 private:
  int interval_;
  std::function<void()> on_timer_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_TIMER_H_
