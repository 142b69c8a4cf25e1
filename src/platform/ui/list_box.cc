#include "platform/ui/list_box.h"

#include "platform/ui/errors.h"

namespace orvex::ui {

void ListBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  selected_.push_back(false);
  Notify();
}

void ListBox::Clear() {
  items_.clear();
  selected_.clear();
  list_index_ = -1;
  Notify();
}

void ListBox::CheckIndex(int index) const {
  if (index < 0 || index >= ListCount()) ThrowUiError(kErrInvalidArrayIndex, std::to_string(index));
}

const std::string& ListBox::List(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)];
}

bool ListBox::Selected(int index) const {
  CheckIndex(index);
  return selected_[static_cast<size_t>(index)];
}

void ListBox::SetSelected(int index, bool selected) {
  CheckIndex(index);
  list_index_ = index;
  if (selected_[static_cast<size_t>(index)] == selected) return;
  selected_[static_cast<size_t>(index)] = selected;
  Notify();
  if (on_click_) on_click_();
}

bool ListBox::UserToggle(int index) {
  if (!Usable() || index < 0 || index >= ListCount()) return false;
  SetSelected(index, !selected_[static_cast<size_t>(index)]);
  return true;
}

void ListBox::ViewSelectionChanged(const std::vector<bool>& selected) {
  bool changed = false;
  for (size_t i = 0; i < selected_.size() && i < selected.size(); ++i) {
    if (selected_[i] != selected[i]) {
      selected_[i] = selected[i];
      list_index_ = static_cast<int>(i);
      changed = true;
    }
  }
  if (changed && on_click_) on_click_();
}

}  // namespace orvex::ui
