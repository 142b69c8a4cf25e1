// Toolkit choice: which backend shows the calling thread's forms.
//
// "headless" always exists. Other toolkits register themselves when their
// library is loaded (the Qt one does); a shared libqzorvex loads the Qt
// toolkit library beside it when ToolkitNames is asked, or when a thread
// that may want Qt (a display, or Qt already in the process) first shows a
// form, so Qt is loaded only when a dialog can use it. A thread that has not chosen gets,
// at first use, the first registered toolkit that wants to run there (Qt:
// a QApplication exists on this thread, or DISPLAY or WAYLAND_DISPLAY is
// set), else headless. Hosts and tests choose with UseToolkit.
#ifndef ORVEX_PLATFORM_UI_TOOLKIT_H_
#define ORVEX_PLATFORM_UI_TOOLKIT_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/backend.h"

namespace orvex::ui {

struct ToolkitEntry {
  std::string name;
  std::function<std::unique_ptr<Backend>()> make;
  // Whether the toolkit should be chosen automatically on the calling thread.
  std::function<bool()> wanted;
};

// Process-wide; safe to call from static initialisers.
void RegisterToolkit(ToolkitEntry entry);
std::vector<std::string> ToolkitNames();
bool HasToolkit(std::string_view name);

// Chooses the calling thread's toolkit. Forms of this thread that were
// already built for another toolkit are rebuilt for the new one when next
// used. Throws std::invalid_argument for an unknown name, std::logic_error
// while a form of this thread is shown.
void UseToolkit(std::string_view name);
// The calling thread's backend, chosen at first use.
Backend& CurrentBackend();
std::string_view CurrentToolkitName();

// For form logic that keeps the thread busy (an operation run behind the
// progress form): lets the thread's toolkit repaint its windows and answer
// the window system now. No person's input is taken, so nothing else of
// the forms runs. Nothing happens on a thread whose toolkit is not chosen
// yet, or on headless.
void ProcessWindowEvents();

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_TOOLKIT_H_
