// Button: a command button with a caption and a Click event.
#ifndef ORVEX_PLATFORM_UI_BUTTON_H_
#define ORVEX_PLATFORM_UI_BUTTON_H_

#include <functional>
#include <string>

#include "platform/ui/control.h"

namespace orvex::ui {

class Button : public Control {
 public:
  Button(Form& form, std::string name) : Control(form, ControlKind::kButton, std::move(name)) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }

  // A person presses the button: Click fires when the button is usable
  // (enabled and visible); otherwise nothing happens and false is returned.
  bool UserPress();

 private:
  std::string caption_;
  std::function<void()> on_click_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_BUTTON_H_
