// ListBox: a list of text entries, several of which can be selected at once.
#ifndef ORVEX_PLATFORM_UI_LIST_BOX_H_
#define ORVEX_PLATFORM_UI_LIST_BOX_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace orvex::ui {

class ListBox : public Control {
 public:
  ListBox(Form& form, std::string name) : Control(form, ControlKind::kListBox, std::move(name)) {}

  void AddItem(std::string item);
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  // Entry `index` (0-based); error 381 outside the list.
  const std::string& List(int index) const;
  bool Selected(int index) const;
  // Selects or deselects entry `index`; Click fires when that changes it.
  void SetSelected(int index, bool selected);
  // The entry that has the focus (the last one clicked or selected), -1 for none.
  int ListIndex() const { return list_index_; }

  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }

  // A person clicks entry `index`, which flips its selection. False when
  // the list is not usable or has no such entry.
  bool UserToggle(int index);
  // Views: the person changed the selection in the widget to `selected`
  // (one flag per entry). Fires Click once when anything changed.
  void ViewSelectionChanged(const std::vector<bool>& selected);

 private:
  void CheckIndex(int index) const;

  std::vector<std::string> items_;
  std::vector<bool> selected_;
  int list_index_ = -1;
  std::function<void()> on_click_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_LIST_BOX_H_
