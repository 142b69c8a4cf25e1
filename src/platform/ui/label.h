// Label: a line of text on a form.
#ifndef ORVEX_PLATFORM_UI_LABEL_H_
#define ORVEX_PLATFORM_UI_LABEL_H_

#include <string>

#include "platform/ui/control.h"

namespace orvex::ui {

class Label : public Control {
 public:
  Label(Form& form, std::string name) : Control(form, ControlKind::kLabel, std::move(name)) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

 private:
  std::string caption_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_LABEL_H_
