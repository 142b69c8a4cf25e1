#include "platform/ui/combo_box.h"

#include "platform/ui/errors.h"

namespace orvex::ui {

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Notify();
}

void ComboBox::Clear() {
  items_.clear();
  list_index_ = -1;
  Notify();
  SetText("");
}

const std::string& ComboBox::List(int index) const {
  if (index < 0 || index >= ListCount()) ThrowUiError(kErrInvalidArrayIndex, std::to_string(index));
  return items_[static_cast<size_t>(index)];
}

int ComboBox::FindItem(const std::string& text) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == text) return static_cast<int>(i);
  }
  return -1;
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount())
    ThrowUiError(kErrInvalidPropertyValue, std::to_string(index));
  list_index_ = index;
  SetText(index < 0 ? std::string() : items_[static_cast<size_t>(index)]);
  list_index_ = index;
  Notify();
  if (on_click_) on_click_();
}

bool ComboBox::UserChoose(int index) {
  if (!Usable() || index < 0 || index >= ListCount()) return false;
  SetListIndex(index);
  return true;
}

void ComboBox::TextChanged() {
  // Typing or setting the text selects the item it names, if any.
  list_index_ = FindItem(Text());
}

}  // namespace orvex::ui
