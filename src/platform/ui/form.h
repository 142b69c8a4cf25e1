// Form: a window of named controls, built from its declaration, shown
// modally and hidden again.
//
// A form is created once and then reused: its Load handler runs on the
// first Load() (or the first showing), never again; Hide() only takes it
// off screen, so the controls keep their state for the next showing.
// ShowModal() runs a nested loop on the calling thread and returns when the
// form is hidden (by form logic, or by a person closing it from its frame,
// which runs the FrameClose handler first, the way Cancel would).
//
// Each form has a native handle, the value SetTopMost (top_most.h) takes.
#ifndef ORVEX_PLATFORM_UI_FORM_H_
#define ORVEX_PLATFORM_UI_FORM_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/form_declaration.h"

namespace orvex::ui {

class Button;
class ComboBox;
class FormView;
class ImageList;
class Label;
class ListBox;
class ListView;
class TextBox;
class Timer;
class TreeView;

using NativeHandle = int32_t;

class Form {
 public:
  explicit Form(FormDeclaration declaration);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return declaration_.name; }
  const FormDeclaration& declaration() const { return declaration_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

  // Controls in declaration order, and by name (case-insensitive). The
  // typed accessors throw std::logic_error when the form has no control of
  // that name and kind: a mistake in the form's code, not a user error.
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  Control* FindControl(std::string_view control_name) const;
  Label& label(std::string_view control_name) const;
  Button& button(std::string_view control_name) const;
  TextBox& text_box(std::string_view control_name) const;
  ComboBox& combo_box(std::string_view control_name) const;
  ListBox& list_box(std::string_view control_name) const;
  ListView& list_view(std::string_view control_name) const;
  TreeView& tree_view(std::string_view control_name) const;
  Timer& timer(std::string_view control_name) const;
  ImageList& image_list(std::string_view control_name) const;

  void OnLoad(std::function<void()> handler) { on_load_ = std::move(handler); }
  void OnFrameClose(std::function<void()> handler) { on_frame_close_ = std::move(handler); }
  // Runs the Load handler the first time; later calls do nothing.
  void Load();
  bool loaded() const { return loaded_; }

  // Shows the form modally and returns once it is hidden. Error 400 when
  // it is already shown.
  void ShowModal();
  void Hide();
  bool IsShown() const { return shown_; }
  // How many times the form has been shown.
  int show_count() const { return show_count_; }
  // Repaints the shown form now.
  void Refresh();

  NativeHandle hWnd() const { return handle_; }
  bool TopMost() const { return top_most_; }
  void SetTopMost(bool top_most);

  Control* FocusedControl() const { return focused_; }
  void SetFocusedControl(Control* control);

  // The button declared Default(), or nullptr.
  Button* DefaultButton() const;
  // A person presses Enter where no control takes it (a one-line entry
  // whose KeyPress left the key, a tree, a closed pick list): the default
  // button is pressed when the form is shown and the button usable. False
  // when nothing happened.
  bool UserEnter();

  // A person closes the form from its frame: the FrameClose handler runs
  // and the form is hidden. False (and nothing happens) when the form is
  // not shown or has no close box.
  bool UserCloseFrame();

  // Backends: this form's view on the thread's toolkit, created on demand.
  FormView& view();
  FormView* existing_view() const { return view_.get(); }
  // Drops the view (the toolkit changed); the next view() builds a new one.
  void DropView();

  // Forms alive on the calling thread, in creation order.
  static std::vector<Form*> AllOnThisThread();
  // The form of the calling thread with `handle`, or nullptr.
  static Form* FromHandle(NativeHandle handle);
  // The calling thread's form named `form_name` (case-insensitive), or
  // nullptr when none has been created. Lets code below the forms (an
  // operation that reports progress) reach a form it cannot name by type.
  static Form* Find(std::string_view form_name);

 private:
  template <class T>
  T& Typed(std::string_view control_name, ControlKind kind) const;

  FormDeclaration declaration_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::string caption_;
  std::function<void()> on_load_;
  std::function<void()> on_frame_close_;
  std::unique_ptr<FormView> view_;
  NativeHandle handle_;
  Control* focused_ = nullptr;
  bool loaded_ = false;
  bool shown_ = false;
  bool top_most_ = false;
  int show_count_ = 0;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_FORM_H_
