#include "platform/ui/form.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/text.h"
#include "platform/ui/backend.h"
#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/errors.h"
#include "platform/ui/image_list.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/record.h"
#include "platform/ui/session.h"
#include "platform/ui/text_box.h"
#include "platform/ui/timer.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/tree_view.h"
#include "platform/ui/user_agent.h"

namespace orvex::ui {
namespace {

// The thread's forms. Forms held in thread_local slots may be destroyed
// after this list at thread exit (destruction runs in reverse order of
// construction, and a slot is registered before the form it later holds),
// so the list marks itself gone and a late form leaves it alone.
thread_local bool t_forms_gone = false;
struct FormList : std::vector<Form*> {
  ~FormList() { t_forms_gone = true; }
};
thread_local FormList t_forms;
std::atomic<NativeHandle> g_next_handle{0x1001};

std::unique_ptr<Control> Build(Form& form, const ControlDeclaration& d) {
  switch (d.kind) {
    case ControlKind::kLabel:
      return std::make_unique<Label>(form, d.name);
    case ControlKind::kButton:
      return std::make_unique<Button>(form, d.name);
    case ControlKind::kTextBox:
      return std::make_unique<TextBox>(form, d.name, d.multiline);
    case ControlKind::kComboBox:
      return std::make_unique<ComboBox>(form, d.name, d.pick_only);
    case ControlKind::kListBox:
      return std::make_unique<ListBox>(form, d.name);
    case ControlKind::kListView:
      return std::make_unique<ListView>(form, d.name, d.strings);
    case ControlKind::kTreeView:
      return std::make_unique<TreeView>(form, d.name);
    case ControlKind::kTimer:
      return std::make_unique<Timer>(form, d.name, d.interval_ms);
    case ControlKind::kImageList:
      return std::make_unique<ImageList>(form, d.name, d.strings);
  }
  throw std::logic_error("unknown control kind");
}

}  // namespace

Form::Form(FormDeclaration declaration)
    : declaration_(std::move(declaration)), handle_(g_next_handle.fetch_add(1)) {
  for (const auto& d : declaration_.controls) {
    if (FindControl(d.name) != nullptr)
      throw std::logic_error("form " + declaration_.name + " declares " + d.name + " twice");
    controls_.push_back(Build(*this, d));
  }
  t_forms.push_back(this);
}

Form::~Form() {
  view_.reset();
  if (!t_forms_gone) std::erase(t_forms, this);
}

void Form::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  if (view_) view_->CaptionChanged();
}

Control* Form::FindControl(std::string_view control_name) const {
  for (const auto& c : controls_) {
    if (platform::CompareNoCase(c->name(), control_name) == 0) return c.get();
  }
  return nullptr;
}

template <class T>
T& Form::Typed(std::string_view control_name, ControlKind kind) const {
  Control* c = FindControl(control_name);
  if (c == nullptr || c->kind() != kind) {
    throw std::logic_error("form " + name() + " has no " + std::string(ControlKindName(kind)) +
                           " " + std::string(control_name));
  }
  return static_cast<T&>(*c);
}

Label& Form::label(std::string_view n) const { return Typed<Label>(n, ControlKind::kLabel); }
Button& Form::button(std::string_view n) const { return Typed<Button>(n, ControlKind::kButton); }
TextBox& Form::text_box(std::string_view n) const {
  return Typed<TextBox>(n, ControlKind::kTextBox);
}
ComboBox& Form::combo_box(std::string_view n) const {
  return Typed<ComboBox>(n, ControlKind::kComboBox);
}
ListBox& Form::list_box(std::string_view n) const {
  return Typed<ListBox>(n, ControlKind::kListBox);
}
ListView& Form::list_view(std::string_view n) const {
  return Typed<ListView>(n, ControlKind::kListView);
}
TreeView& Form::tree_view(std::string_view n) const {
  return Typed<TreeView>(n, ControlKind::kTreeView);
}
Timer& Form::timer(std::string_view n) const { return Typed<Timer>(n, ControlKind::kTimer); }
ImageList& Form::image_list(std::string_view n) const {
  return Typed<ImageList>(n, ControlKind::kImageList);
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  if (on_load_) on_load_();
}

void Form::ShowModal() {
  if (shown_) ThrowUiError(kErrAlreadyDisplayed, name());
  Load();
  FormView& v = view();
  shown_ = true;
  ++show_count_;
  PushModal(this);
  // However the loop ends, the form leaves the modal stack; when form logic
  // threw, the form is also taken off screen.
  struct Unwind {
    Form& form;
    ~Unwind() {
      PopModal(&form);
      if (form.shown_) {
        form.shown_ = false;
        if (form.view_) form.view_->Hide();
      }
    }
  } unwind{*this};

  v.Show();
  const std::string shot = NextScreenshotPath(name());
  const bool saved = !shot.empty() && v.SaveScreenshot(shot);
  // The record lists every control and item (a tree of a thousand folders
  // is a thousand entries): made only for an observer.
  if (Observed()) {
    nlohmann::json record = FormRecord(*this);
    if (saved) record["screenshot"] = shot;
    EmitRecord({{"form", record}});
  }
  if (UserAgent* agent = CurrentUserAgent()) agent->FormShown(*this);
  if (shown_) v.RunModal();
}

void Form::Hide() {
  if (!shown_) return;
  shown_ = false;
  if (view_) view_->Hide();
}

void Form::Refresh() {
  if (view_) view_->Refresh();
}

void Form::SetTopMost(bool top_most) {
  if (top_most_ == top_most) return;
  top_most_ = top_most;
  if (view_) view_->TopMostChanged();
}

void Form::SetFocusedControl(Control* control) {
  focused_ = control;
  if (view_) view_->FocusChanged();
}

Button* Form::DefaultButton() const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (declaration_.controls[i].is_default) return static_cast<Button*>(controls_[i].get());
  }
  return nullptr;
}

bool Form::UserEnter() {
  Button* button = DefaultButton();
  return shown_ && button != nullptr && button->UserPress();
}

bool Form::UserCloseFrame() {
  if (!shown_ || !declaration_.closable) return false;
  if (on_frame_close_) on_frame_close_();
  Hide();
  return true;
}

FormView& Form::view() {
  if (!view_) view_ = CurrentBackend().CreateView(*this);
  return *view_;
}

void Form::DropView() {
  if (shown_) throw std::logic_error("form " + name() + " is shown");
  for (auto& c : controls_) c->AttachView(nullptr);
  view_.reset();
}

std::vector<Form*> Form::AllOnThisThread() { return t_forms; }

Form* Form::FromHandle(NativeHandle handle) {
  for (Form* f : t_forms) {
    if (f->handle_ == handle) return f;
  }
  return nullptr;
}

Form* Form::Find(std::string_view form_name) {
  for (Form* f : t_forms) {
    if (platform::CompareNoCase(f->name(), form_name) == 0) return f;
  }
  return nullptr;
}

}  // namespace orvex::ui
