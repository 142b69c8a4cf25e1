// The Qt 6 Widgets toolkit of the ui seam: real dialogs laid out from the
// form declarations, QMessageBox for message boxes, the window manager's
// stay-on-top hint for SetTopMost, PNG screenshots with QWidget::grab.
//
// Linking orvex_qt registers the toolkit as "qt" (through the interface
// target orvex_ui_toolkits, which links it whole). It is chosen
// automatically on a thread that owns a QApplication, or when DISPLAY or
// WAYLAND_DISPLAY is set; ui::UseToolkit("qt") chooses it explicitly (with
// QT_QPA_PLATFORM=offscreen it runs without any display).
//
// When no user agent is installed the person at the display answers; on
// the offscreen and minimal platforms, where there is no person, the
// SafeAgent does.
//
// This header has no Qt types, so callers need not see Qt.
#ifndef ORVEX_PLATFORM_QT_QT_BACKEND_H_
#define ORVEX_PLATFORM_QT_QT_BACKEND_H_

#include <memory>

#include "platform/ui/backend.h"

namespace orvex::qt {

// Whether the toolkit should be chosen on the calling thread.
bool QtWanted();
// Creates the process's QApplication unless one exists. It is kept for the
// life of the process.
void EnsureApplication();
std::unique_ptr<ui::Backend> MakeQtBackend();
// True on platforms without a person at a screen (offscreen, minimal).
bool NoPersonPresent();

}  // namespace orvex::qt

#endif  // ORVEX_PLATFORM_QT_QT_BACKEND_H_
