#include "platform/ui/control.h"

#include "platform/ui/form.h"

namespace orvex::ui {

std::string_view ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel:
      return "label";
    case ControlKind::kButton:
      return "button";
    case ControlKind::kTextBox:
      return "textbox";
    case ControlKind::kComboBox:
      return "combobox";
    case ControlKind::kListBox:
      return "listbox";
    case ControlKind::kListView:
      return "listview";
    case ControlKind::kTreeView:
      return "treeview";
    case ControlKind::kTimer:
      return "timer";
    case ControlKind::kImageList:
      return "imagelist";
  }
  return "control";
}

Control::Control(Form& form, ControlKind kind, std::string name)
    : form_(form), kind_(kind), name_(std::move(name)) {}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Notify();
}

void Control::SetFocus() { form_.SetFocusedControl(this); }

void Control::Notify(Change change) {
  if (view_ != nullptr) view_->Changed(change);
}

}  // namespace orvex::ui
