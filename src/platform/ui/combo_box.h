// ComboBox: a text part (typing as in a text box) over a list of items.
// A pick-only combo box takes no typing: its text changes by picks and by
// form logic only.
//
// Picking an item sets the text and fires Click; so does setting ListIndex
// from form logic. Clear empties the list and the text.
#ifndef ORVEX_PLATFORM_UI_COMBO_BOX_H_
#define ORVEX_PLATFORM_UI_COMBO_BOX_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/editable_text.h"

namespace orvex::ui {

class ComboBox : public EditableText {
 public:
  ComboBox(Form& form, std::string name, bool pick_only = false)
      : EditableText(form, ControlKind::kComboBox, std::move(name), false), pick_only_(pick_only) {}

  bool pick_only() const { return pick_only_; }

  void AddItem(std::string item);
  // Empties the list and the text.
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  // Item `index` (0-based); error 381 outside the list.
  const std::string& List(int index) const;
  const std::vector<std::string>& Items() const { return items_; }

  // The index of the item the text shows, -1 when the text is no item.
  int ListIndex() const { return list_index_; }
  // Shows item `index` (or, for -1, nothing) and fires Click; error 380
  // outside -1 .. ListCount-1.
  void SetListIndex(int index);

  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }

  // A person picks item `index` from the list. False when not usable.
  bool UserChoose(int index);
  // The first item equal to `text`, or -1.
  int FindItem(const std::string& text) const;

 private:
  void TextChanged() override;
  bool TakesTyping() const override { return !pick_only_; }

  bool pick_only_;
  std::vector<std::string> items_;
  int list_index_ = -1;
  std::function<void()> on_click_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_COMBO_BOX_H_
