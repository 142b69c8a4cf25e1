#include "platform/qt/qt_form_view.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/qt/control_sync.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/window_picture.h"
#include "platform/ui/editable_text.h"
#include "platform/ui/form.h"
#include "platform/ui/session.h"
#include "platform/ui/user_agent.h"

namespace orvex::qt {

namespace {

void SendKey(QWidget* target, int code) {
  int key = Qt::Key_unknown;
  QString text;
  if (code == ui::kKeyEnter) {
    key = Qt::Key_Return;
    text = "\r";
  } else if (code == ui::kKeyBackspace) {
    key = Qt::Key_Backspace;
    text = "\b";
  } else if (code == ui::kKeyEscape) {
    key = Qt::Key_Escape;
    text = QString(QChar(0x1b));
  } else {
    const char32_t c = static_cast<char32_t>(code);
    text = QString::fromUcs4(&c, 1);
    if (code == ' ') key = Qt::Key_Space;
  }
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &release);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, buttons,
                Qt::NoModifier);
  QCoreApplication::sendEvent(target, &e);
}

void ClickAt(QWidget* target, QPoint at) {
  SendMouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void DoubleClickAt(QWidget* target, QPoint at) {
  ClickAt(target, at);
  SendMouse(target, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

// The dialog window: its frame's close box and Escape go to the form as a
// close from the frame. Enter that no control took presses the focused
// button, or else the form's default button (Form::UserEnter), through the
// form's own Click handlers.
class FormDialog : public QDialog {
 public:
  explicit FormDialog(QtFormView& view) : view_(view) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    view_.FrameClose();
  }
  void reject() override { view_.FrameClose(); }
  void keyPressEvent(QKeyEvent* e) override {
    if (IsEnterKey(*e)) {
      e->accept();
      auto* focused = qobject_cast<QPushButton*>(focusWidget());
      if (focused != nullptr && focused->isEnabled() && focused->isVisible()) {
        focused->click();
      } else {
        view_.Guard([this] { view_.form().UserEnter(); });
      }
      return;
    }
    QDialog::keyPressEvent(e);
  }
  void paintEvent(QPaintEvent* e) override {
    QDialog::paintEvent(e);
    view_.Painted();
  }

 private:
  QtFormView& view_;
};

bool IsListKind(ui::ControlKind kind) {
  return kind == ui::ControlKind::kTreeView || kind == ui::ControlKind::kListView ||
         kind == ui::ControlKind::kListBox;
}

}  // namespace

QtFormView::QtFormView(ui::Form& form) : form_(form) {
  dialog_ = new FormDialog(*this);
  Build();
}

QtFormView::~QtFormView() {
  syncs_.clear();
  // A QApplication that is already gone cannot delete widgets any more.
  if (QCoreApplication::instance() != nullptr && dialog_) delete dialog_;
}

void QtFormView::Build() {
  QDialog* d = dialog_;
  bool side_buttons = false;
  for (const auto& c : form_.controls()) side_buttons |= IsListKind(c->kind());

  auto* content = new QVBoxLayout;
  QBoxLayout* buttons = side_buttons ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                     : static_cast<QBoxLayout*>(new QHBoxLayout);
  if (!side_buttons) buttons->addStretch(1);
  QHBoxLayout* row = nullptr;
  bool any_button = false;
  // Tab goes through the content in layout order, then the button area.
  std::vector<QWidget*> content_order, button_order;

  for (size_t i = 0; i < form_.controls().size(); ++i) {
    ui::Control& c = *form_.controls()[i];
    const ui::ControlDeclaration& decl = form_.declaration().controls[i];
    std::unique_ptr<ControlSync> sync = MakeControlSync(*this, c);
    if (QWidget* w = sync->widget()) {
      w->setObjectName(QString::fromStdString(c.name()));
      if (decl.width > 0 || decl.height > 0) {
        w->setMinimumSize(decl.width > 0 ? decl.width : w->minimumWidth(),
                          decl.height > 0 ? decl.height : w->minimumHeight());
      }
      if (decl.is_default) static_cast<QPushButton*>(w)->setDefault(true);
      if (c.kind() == ui::ControlKind::kButton && !decl.beside_previous) {
        buttons->addWidget(w);
        button_order.push_back(w);
        any_button = true;
      } else if (decl.beside_previous && row != nullptr) {
        row->addWidget(w);
        content_order.push_back(w);
      } else {
        content_order.push_back(w);
        row = new QHBoxLayout;
        row->addWidget(w, 1);
        content->addLayout(row, IsListKind(c.kind()) ? 1 : 0);
      }
    }
    sync->Changed({});
    syncs_.push_back(std::move(sync));
  }

  QBoxLayout* main = nullptr;
  if (side_buttons) {
    buttons->addStretch(1);
    main = new QHBoxLayout(d);
    main->addLayout(content, 1);
    main->addLayout(buttons);
  } else {
    main = new QVBoxLayout(d);
    main->addLayout(content, 1);
    if (any_button) {
      main->addLayout(buttons);
    } else {
      delete buttons;
    }
  }
  main->setSizeConstraint(QLayout::SetMinimumSize);
  content_order.insert(content_order.end(), button_order.begin(), button_order.end());
  for (size_t i = 1; i < content_order.size(); ++i)
    QWidget::setTabOrder(content_order[i - 1], content_order[i]);
  if (!any_button && !side_buttons) d->setMinimumWidth(380);
  d->setObjectName(QString::fromStdString(form_.name()));
  CaptionChanged();
  ApplyWindowFlags();
}

void QtFormView::ApplyWindowFlags() {
  Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
  if (form_.declaration().closable) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  if (form_.TopMost()) flags |= Qt::WindowStaysOnTopHint;
  if (dialog_->windowFlags() != flags) {
    const bool visible = dialog_->isVisible();
    dialog_->setWindowFlags(flags);
    if (visible) dialog_->show();
  }
}

QWidget* QtFormView::WidgetOf(const ui::Control& control) const {
  for (const auto& s : syncs_) {
    if (&s->control() == &control) return s->widget();
  }
  return nullptr;
}

void QtFormView::Show() {
  pending_ = nullptr;
  timer_waits_ = 0;
  painted_ = false;
  ApplyWindowFlags();
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->adjustSize();
  // Wide enough for the whole caption in the title bar, as far as the
  // screen allows.
  const int title_width =
      std::min(TitleBarWidth(*dialog_), dialog_->screen()->availableGeometry().width());
  if (dialog_->width() < title_width) dialog_->resize(title_width, dialog_->height());
  dialog_->show();
  if (!NoPersonPresent()) {
    dialog_->raise();
    dialog_->activateWindow();
    // Shown again before the toolkit heard that it lost the keyboard, the
    // window is still the toolkit's focus window, so the window system's
    // focus coming back is no change and the dialog would stay drawn and
    // treated as inactive.
    if (QGuiApplication::focusWindow() == dialog_->windowHandle() &&
        QApplication::activeWindow() != dialog_) {
      QT_WARNING_PUSH
      QT_WARNING_DISABLE_DEPRECATED
      QApplication::setActiveWindow(dialog_);
      QT_WARNING_POP
    }
  }
  FocusChanged();
  SyncTimers();
  // A window system that never shows the window must not hold the timers
  // for ever.
  QTimer::singleShot(500, dialog_, [this] {
    if (!painted_ && form_.IsShown()) Painted();
  });
}

void QtFormView::Painted() {
  if (painted_) return;
  painted_ = true;
  // Once this painting has reached the screen.
  QTimer::singleShot(0, dialog_, [this] { SyncTimers(); });
}

void QtFormView::SyncTimers() {
  for (const auto& s : syncs_) {
    if (s->control().kind() == ui::ControlKind::kTimer) s->Changed({});
  }
}

void QtFormView::RunModal() {
  QEventLoop loop;
  QEventLoop* outer = loop_;
  loop_ = &loop;
  ScheduleAgentStep(0);
  if (form_.IsShown()) loop.exec(QEventLoop::DialogExec);
  loop_ = outer;
  if (pending_) {
    std::exception_ptr error = pending_;
    pending_ = nullptr;
    std::rethrow_exception(error);
  }
}

void QtFormView::Hide() {
  if (dialog_) dialog_->hide();
  if (loop_ != nullptr) loop_->quit();
}

void QtFormView::CaptionChanged() {
  dialog_->setWindowTitle(QString::fromStdString(form_.Caption()));
}

void QtFormView::TopMostChanged() { ApplyWindowFlags(); }

void QtFormView::FocusChanged() {
  if (const ui::Control* c = form_.FocusedControl()) {
    if (QWidget* w = WidgetOf(*c)) w->setFocus(Qt::OtherFocusReason);
  }
}

void QtFormView::Refresh() {
  if (dialog_ && dialog_->isVisible()) dialog_->repaint();
}

bool QtFormView::SaveScreenshot(const std::string& path) {
  return SaveWindowPicture(*dialog_, path);
}

void QtFormView::FrameClose() {
  Guard([this] { form_.UserCloseFrame(); });
}

void QtFormView::Fail(std::exception_ptr error) {
  if (!pending_) pending_ = error;
  form_.Hide();
}

bool QtFormView::TimersWaiting() const {
  for (ui::Form* f : ui::Form::AllOnThisThread()) {
    for (const auto& c : f->controls()) {
      if (c->kind() == ui::ControlKind::kTimer && c->Enabled()) return true;
    }
  }
  return false;
}

void QtFormView::ScheduleAgentStep(int delay_ms) {
  QTimer::singleShot(delay_ms, dialog_, [this] { AgentStep(); });
}

void QtFormView::AgentStep() {
  if (!form_.IsShown() || loop_ == nullptr) return;
  static ui::SafeAgent safe;
  ui::UserAgent* agent = ui::CurrentUserAgent();
  if (agent == nullptr && NoPersonPresent()) agent = &safe;
  if (agent == nullptr) return;  // the person at the display acts
  // A form or box shown above this one is being dealt with first; timers
  // that are about to fire get their turn before the agent acts.
  if (!ui::IsInnermostModal(&form_) || logic_depth_ > 0) return ScheduleAgentStep(10);
  if (TimersWaiting() && ++timer_waits_ < 1000) return ScheduleAgentStep(2);
  timer_waits_ = 0;

  std::optional<ui::Action> action = agent->NextAction(form_);
  const bool unscripted = !action;
  if (unscripted) {
    if (agent->LeavesUnscriptedToPerson() && !NoPersonPresent()) return;
    action = ui::Action::Close();
  }
  const std::string problem = Perform(*action);
  if (!problem.empty()) {
    ui::ReportProblem(form_, *action, problem);
    if (unscripted) {
      ui::ReportProblem(form_, ui::Action::Close(),
                        "nobody can close the form; the showing was ended");
      form_.Hide();
    }
  }
  if (form_.IsShown()) ScheduleAgentStep(0);
}

std::string QtFormView::Perform(const ui::Action& action) {
  using Verb = ui::Action::Verb;
  if (action.verb == Verb::kClose) {
    if (!form_.declaration().closable) return form_.name() + " cannot be closed from its frame";
    dialog_->close();
    return "";
  }
  ui::Target t = ui::Resolve(form_, action);
  if (!t.problem.empty()) return t.problem;
  ControlSync* sync = nullptr;
  for (const auto& s : syncs_) {
    if (&s->control() == t.control) sync = s.get();
  }
  if (sync == nullptr) return "the control is not on screen";

  switch (action.verb) {
    case Verb::kClick:
    case Verb::kSelect:
    case Verb::kDoubleClick:
    case Verb::kToggle: {
      const std::optional<ControlSync::Spot> spot = sync->Reach(t);
      if (!spot)
        return action.verb == Verb::kClick ? "the node is not on screen"
                                           : "the row is not on screen";
      if (action.verb == Verb::kDoubleClick) {
        DoubleClickAt(spot->viewport, spot->at);
      } else {
        ClickAt(spot->viewport, spot->at);
      }
      break;
    }
    case Verb::kChoose: {
      auto* combo = static_cast<QComboBox*>(sync->widget());
      combo->setCurrentIndex(t.index);
      emit combo->activated(t.index);
      break;
    }
    case Verb::kType:
    case Verb::kClear:
    case Verb::kKey: {
      QWidget* editor = sync->widget();
      if (auto* combo = qobject_cast<QComboBox*>(editor)) editor = combo->lineEdit();
      editor->setFocus(Qt::OtherFocusReason);
      if (action.verb == Verb::kType) {
        for (char32_t c : ui::CodePoints(t.text)) {
          if (!form_.IsShown()) break;
          SendKey(editor, static_cast<int>(c));
        }
      } else if (action.verb == Verb::kClear) {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) plain->selectAll();
        SendKey(editor, ui::kKeyBackspace);
      } else {
        SendKey(editor, t.key_code);
      }
      break;
    }
    case Verb::kPress:
      static_cast<QPushButton*>(sync->widget())->click();
      break;
    default:
      return "\"" + action.text + "\" is not an action on a form";
  }
  return "";
}

}  // namespace orvex::qt
