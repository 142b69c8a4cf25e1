// Backend: a window toolkit that puts forms and message boxes on screen
// (or, for the headless one, nowhere). Form logic never sees it; forms and
// MessageBox() reach the calling thread's backend through toolkit.h.
#ifndef ORVEX_PLATFORM_UI_BACKEND_H_
#define ORVEX_PLATFORM_UI_BACKEND_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/action.h"
#include "platform/ui/message_box.h"

namespace orvex::ui {

class Form;
class UserAgent;

// A backend's window for one form. It attaches a ControlView to each
// control it shows and keeps them in step.
class FormView {
 public:
  virtual ~FormView() = default;

  // The form is being shown modally: put it on screen.
  virtual void Show() = 0;
  // Runs the modal loop on the calling thread until the form is hidden. An
  // exception raised by form logic inside the loop ends the loop and is
  // rethrown here.
  virtual void RunModal() = 0;
  // The form was hidden: take it off screen and end its modal loop.
  virtual void Hide() = 0;

  virtual void CaptionChanged() = 0;
  virtual void TopMostChanged() = 0;
  virtual void FocusChanged() = 0;
  // Repaints now (form logic calls it while it keeps the thread busy).
  virtual void Refresh() = 0;
  // Saves a picture of the form as PNG; false when the backend has none.
  virtual bool SaveScreenshot(const std::string& path) = 0;
  // Does `action` the way a person would on this backend; returns "" or
  // what went wrong.
  virtual std::string Perform(const Action& action) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::string_view name() const = 0;
  virtual std::unique_ptr<FormView> CreateView(Form& form) = 0;
  // Shows a message box modally and returns the answer. `agent` is the
  // thread's installed agent (nullptr: none); `screenshot_path` is where to
  // save a picture of the box ("" for none).
  virtual int32_t ShowMessageBox(const MessageBoxRequest& request, UserAgent* agent,
                                 const std::string& screenshot_path) = 0;
  // Handles what the window system has sent meanwhile (exposures to
  // repaint, a window manager's pings), taking no input from the person.
  // A backend without windows has nothing to do.
  virtual void ProcessWindowEvents() {}
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_BACKEND_H_
