// Control: one named element of a form (a label, a button, a tree view ...).
//
// A control is plain state plus the events form logic subscribes to. The
// form logic changes it through its setters; a person (or a user agent
// standing in for one) changes it through the User... members, which also
// fire the events a real toolkit fires for that gesture. A backend that puts
// the control on screen attaches a ControlView and is told of every change.
#ifndef ORVEX_PLATFORM_UI_CONTROL_H_
#define ORVEX_PLATFORM_UI_CONTROL_H_

#include <string>
#include <string_view>

namespace orvex::ui {

class Form;
class TreeNode;

enum class ControlKind {
  kLabel,
  kButton,
  kTextBox,
  kComboBox,
  kListBox,
  kListView,
  kTreeView,
  kTimer,
  kImageList,
};

// "label", "button", "textbox", "combobox", "listbox", "listview",
// "treeview", "timer", "imagelist": the names records and plans use.
std::string_view ControlKindName(ControlKind kind);

// What changed, so a view can update only that. kAll means "re-read the
// control"; the node kinds are sent by tree views only.
struct Change {
  enum Kind { kAll, kNodeAdded, kNodeRemoving, kNodeChanged, kCleared, kSelection };
  Kind kind = kAll;
  const TreeNode* node = nullptr;
};

class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual void Changed(const Change& change) = 0;
};

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  ControlKind kind() const { return kind_; }
  Form& form() const { return form_; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // True when a person could use the control now: enabled and visible.
  bool Usable() const { return enabled_ && visible_; }

  // Gives this control the input focus of its form.
  void SetFocus();

  // Backends only: the view mirroring this control (nullptr to detach).
  void AttachView(ControlView* view) { view_ = view; }

 protected:
  void Notify(Change change = {});

 private:
  Form& form_;
  ControlKind kind_;
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  ControlView* view_ = nullptr;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_CONTROL_H_
