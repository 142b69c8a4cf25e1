// EditableText: the text part shared by text boxes and combo boxes, with
// the Change and KeyPress events.
//
// Key codes are those of a KeyPress event: a character's code point, 8 for
// Backspace, 13 for Enter, 27 for Escape. A KeyPress handler receives the
// code by reference and cancels the key by setting it to 0.
#ifndef ORVEX_PLATFORM_UI_EDITABLE_TEXT_H_
#define ORVEX_PLATFORM_UI_EDITABLE_TEXT_H_

#include <functional>
#include <string>
#include <string_view>

#include "platform/ui/control.h"

namespace orvex::ui {

inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;

class EditableText : public Control {
 public:
  EditableText(Form& form, ControlKind kind, std::string name, bool multiline)
      : Control(form, kind, std::move(name)), multiline_(multiline) {}

  const std::string& Text() const { return text_; }
  // Replaces the text; Change fires when it differs from the old one.
  void SetText(std::string text);
  bool multiline() const { return multiline_; }

  void OnChange(std::function<void()> handler) { on_change_ = std::move(handler); }
  void OnKeyPress(std::function<void(int& key_code)> handler) {
    on_key_press_ = std::move(handler);
  }

  // A person types one key. KeyPress fires; unless a handler cancels it the
  // key edits the text: a character is appended, Backspace erases the last
  // character, Enter starts a new line in a multi-line box; in a one-line
  // box Enter presses the form's default button (Form::UserEnter) and
  // Escape closes the form from its frame, as on a desktop. False when the
  // control is not usable or takes no typing (nothing fires then).
  bool UserKey(int key_code);
  // Every character of `text` (UTF-8), in order, through UserKey.
  bool UserType(std::string_view text);
  // A person selects the whole text and presses Backspace: one KeyPress(8),
  // then, unless cancelled, the text becomes empty.
  bool UserClear();

  // Views: fires KeyPress for a key the widget received and returns the
  // code the handlers left (0 when they cancelled the key).
  int FilterKey(int key_code);
  // Views: the widget's text was edited by the person; fires Change.
  void ViewEdited(std::string text);

 protected:
  // Called after every change of the text, before Change fires.
  virtual void TextChanged() {}
  // False for a control whose text a person cannot type (a pick list).
  virtual bool TakesTyping() const { return true; }

 private:
  void ApplyText(std::string text, bool echo_to_view);

  bool multiline_;
  std::string text_;
  std::function<void()> on_change_;
  std::function<void(int&)> on_key_press_;
};

// UTF-8 helpers shared with the backends.
void AppendCodePoint(std::string& text, int code_point);
void EraseLastCodePoint(std::string& text);
// The code points of `text`, decoding UTF-8 (a stray byte stands for itself).
std::u32string CodePoints(std::string_view text);

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_EDITABLE_TEXT_H_
