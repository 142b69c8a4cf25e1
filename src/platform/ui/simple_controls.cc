// Labels, buttons, timers and image lists: the controls without structure.
#include "platform/ui/button.h"
#include "platform/ui/image_list.h"
#include "platform/ui/label.h"
#include "platform/ui/timer.h"

namespace orvex::ui {

void Label::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Notify();
}

void Button::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Notify();
}

bool Button::UserPress() {
  if (!Usable()) return false;
  if (on_click_) on_click_();
  return true;
}

void Timer::Fire() {
  if (Enabled() && on_timer_) on_timer_();
}

int ImageList::IndexOf(std::string_view key) const {
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == key) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace orvex::ui
