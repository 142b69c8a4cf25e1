#include "platform/ui/editable_text.h"

#include "platform/ui/form.h"

namespace orvex::ui {

void AppendCodePoint(std::string& text, int cp) {
  const auto c = static_cast<uint32_t>(cp);
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void EraseLastCodePoint(std::string& text) {
  if (text.empty()) return;
  size_t end = text.size() - 1;
  // Step back over continuation bytes to the lead byte of the last character.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.erase(end);
}

std::u32string CodePoints(std::string_view text) {
  std::u32string out;
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (i + extra >= text.size()) extra = 0;  // truncated sequence: take the byte as it is
    char32_t c = extra == 0 ? b : b & (0x3Fu >> extra);
    for (size_t k = 1; k <= extra; ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += c;
    i += 1 + extra;
  }
  return out;
}

void EditableText::SetText(std::string text) { ApplyText(std::move(text), true); }

void EditableText::ApplyText(std::string text, bool echo_to_view) {
  if (text_ == text) return;
  text_ = std::move(text);
  TextChanged();
  if (echo_to_view) Notify();
  if (on_change_) on_change_();
}

int EditableText::FilterKey(int key_code) {
  if (on_key_press_) on_key_press_(key_code);
  return key_code;
}

void EditableText::ViewEdited(std::string text) { ApplyText(std::move(text), false); }

bool EditableText::UserKey(int key_code) {
  if (!Usable() || !TakesTyping()) return false;
  const int code = FilterKey(key_code);
  if (code == 0) return true;
  std::string text = text_;
  if (code == kKeyBackspace) {
    EraseLastCodePoint(text);
  } else if (code == kKeyEnter) {
    if (!multiline_) {
      form().UserEnter();
      return true;
    }
    text += "\n";
  } else if (code == kKeyEscape) {
    form().UserCloseFrame();
    return true;
  } else {
    AppendCodePoint(text, code);
  }
  ApplyText(std::move(text), true);
  return true;
}

bool EditableText::UserType(std::string_view text) {
  if (!Usable() || !TakesTyping()) return false;
  for (char32_t c : CodePoints(text)) {
    if (!UserKey(static_cast<int>(c))) return false;
  }
  return true;
}

bool EditableText::UserClear() {
  if (!Usable() || !TakesTyping()) return false;
  if (FilterKey(kKeyBackspace) == 0) return true;
  ApplyText("", true);
  return true;
}

}  // namespace orvex::ui
