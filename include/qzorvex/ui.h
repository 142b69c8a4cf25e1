// The dialogs' toolkit and who answers them.
//
// The library's modal dialogs (progress, selection trees, profile entry,
// message boxes) run on the calling thread with one of these toolkits:
//   "headless"  always present: forms are plain state, acted on by the
//               thread's user (a ScriptedUser, or by default nobody: forms
//               close as if cancelled, OK boxes are acknowledged and Yes/No
//               questions get No);
//   "qt"        Qt 6 Widgets, present when the host links libqzorvex_qt
//               (QzOrvex::qt).
// A thread that has not chosen gets Qt when it owns a QApplication or a
// display is set (DISPLAY, WAYLAND_DISPLAY), and headless otherwise.
//
// Thread safety: the toolkit and the user are chosen per thread, and a
// thread's dialogs are shown on that thread; the functions may be called
// from any thread and act on the calling one. A ScriptedUser (with its
// copies) is planned and installed by one thread at a time; it may be
// installed on several threads, which then share its plans.
#ifndef QZORVEX_UI_H_
#define QZORVEX_UI_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qzorvex {

// The toolkits this process has.
std::vector<std::string> ToolkitNames();
// Chooses the calling thread's toolkit. Throws std::invalid_argument for a
// name not in ToolkitNames(), std::logic_error while a dialog is shown.
void UseToolkit(std::string_view name);
// The calling thread's toolkit (choosing it if it has not been chosen).
std::string CurrentToolkitName();

// A user that follows written plans, for tests and unattended hosts:
//
//   qzorvex::ScriptedUser user;
//   user.Plan("FolderDlgA", "click Sales/Reports; press OKButton");
//   user.Answer("yes");
//   user.Install();
//
// Plan(form, text) scripts the next showing of the form with that name;
// Answer(text) queues "yes", "no" or "ok" for a coming message box. The
// words of a plan are listed in docs/ui.md. Both throw std::invalid_argument
// for text they do not understand. Copies share one user.
class ScriptedUser {
 public:
  ScriptedUser();

  void Plan(std::string form_name, std::string_view plan_text);
  void Answer(std::string_view answer_text);

  // Plans no showing has taken yet, answers no box has used yet.
  int pending_plans() const;
  int pending_answers() const;
  // Actions that could not be done, each with the reason.
  std::vector<std::string> problems() const;

  // Makes this the calling thread's user from now on.
  void Install() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Removes the calling thread's user: every toolkit falls back to its
// default (headless: nobody acts; Qt: the person at the display).
void UninstallUser();

}  // namespace qzorvex

#endif  // QZORVEX_UI_H_
