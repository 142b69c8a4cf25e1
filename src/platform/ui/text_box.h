// TextBox: a one-line or multi-line text entry (see EditableText for its
// events and the typing a person does).
#ifndef ORVEX_PLATFORM_UI_TEXT_BOX_H_
#define ORVEX_PLATFORM_UI_TEXT_BOX_H_

#include <string>

#include "platform/ui/editable_text.h"

namespace orvex::ui {

class TextBox : public EditableText {
 public:
  TextBox(Form& form, std::string name, bool multiline)
      : EditableText(form, ControlKind::kTextBox, std::move(name), multiline) {}
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_TEXT_BOX_H_
