// QtFormView: a form on screen as a QDialog, laid out from its declaration.
//
// Each control gets a widget (QLabel, QPushButton, QLineEdit or
// QPlainTextEdit, an editable QComboBox, a multi-selection QListWidget, a
// QTreeWidget in report view for a list view, a QTreeWidget for a tree
// view) and a QTimer for a timer, kept in step by its mirror
// (control_sync.h). Changes made by form logic are copied to the widgets
// without echo; what the person does in a widget becomes the control's
// User/View calls, which fire the control's events. Tree node
// pictures come from the attached image list: key K is the picture
// ":/orvex/images/K.png".
//
// An exception raised by form logic inside a widget's signal ends the
// modal loop (the form is hidden) and is rethrown from RunModal.
#ifndef ORVEX_PLATFORM_QT_QT_FORM_VIEW_H_
#define ORVEX_PLATFORM_QT_QT_FORM_VIEW_H_

#include <QDialog>
#include <QPointer>
#include <exception>
#include <memory>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/control.h"

class QEventLoop;
class QWidget;

namespace orvex::ui {
class Form;
}

namespace orvex::qt {

class ControlSync;

class QtFormView : public ui::FormView {
 public:
  explicit QtFormView(ui::Form& form);
  ~QtFormView() override;

  void Show() override;
  void RunModal() override;
  void Hide() override;
  void CaptionChanged() override;
  void TopMostChanged() override;
  void FocusChanged() override;
  void Refresh() override;
  bool SaveScreenshot(const std::string& path) override;
  std::string Perform(const ui::Action& action) override;

  // For the widgets' signal handlers: runs form logic, keeping an exception
  // for RunModal and ending the showing when one is thrown.
  // While it runs, the form's scripted person waits (the logic may let the
  // toolkit handle window events, ui::ProcessWindowEvents).
  template <class F>
  void Guard(F&& logic) {
    ++logic_depth_;
    try {
      logic();
    } catch (...) {
      Fail(std::current_exception());
    }
    --logic_depth_;
  }

  // The person closes the window from its frame (or presses Escape).
  void FrameClose();
  QDialog* dialog() const { return dialog_; }
  QWidget* WidgetOf(const ui::Control& control) const;
  ui::Form& form() const { return form_; }

  // Whether the window has been painted since it was last shown. The
  // form's timers wait for it, so work a timer starts (the operation behind
  // the progress form) finds the window already on screen.
  bool painted() const { return painted_; }
  // The dialog painted itself.
  void Painted();

 private:
  void Build();
  void ApplyWindowFlags();
  void SyncTimers();
  void ScheduleAgentStep(int delay_ms);
  void AgentStep();
  bool TimersWaiting() const;
  void Fail(std::exception_ptr error);

  ui::Form& form_;
  QPointer<QDialog> dialog_;
  std::vector<std::unique_ptr<ControlSync>> syncs_;
  QEventLoop* loop_ = nullptr;
  std::exception_ptr pending_;
  int timer_waits_ = 0;
  int logic_depth_ = 0;
  bool painted_ = false;
};

}  // namespace orvex::qt

#endif  // ORVEX_PLATFORM_QT_QT_FORM_VIEW_H_
