#include "platform/qt/qt_backend.h"

#include <errno.h>

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_message_box.h"
#include "platform/ui/toolkit.h"

namespace orvex::qt {
namespace {

class QtBackend : public ui::Backend {
 public:
  QtBackend() { EnsureApplication(); }
  std::string_view name() const override { return "qt"; }
  std::unique_ptr<ui::FormView> CreateView(ui::Form& form) override {
    return std::make_unique<QtFormView>(form);
  }
  int32_t ShowMessageBox(const ui::MessageBoxRequest& request, ui::UserAgent* agent,
                         const std::string& screenshot_path) override {
    return ShowQtMessageBox(request, agent, screenshot_path);
  }
  void ProcessWindowEvents() override {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
};

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

QtMessageHandler g_previous_handler = nullptr;

// The application we create passes Qt's messages on, except the notes the
// offscreen platform and a bare environment give about what they lack.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && (message.startsWith("This plugin does not support") ||
                               message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
    return;
  }
  if (g_previous_handler != nullptr) {
    g_previous_handler(type, context, message);
  } else {
    fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

const bool kRegistered = [] {
  ui::RegisterToolkit({"qt", &MakeQtBackend, &QtWanted});
  return true;
}();

}  // namespace

bool QtWanted() {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    return qobject_cast<QApplication*>(app) != nullptr && app->thread() == QThread::currentThread();
  }
  return HasDisplay();
}

void EnsureApplication() {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    if (qobject_cast<QApplication*>(app) == nullptr)
      throw std::runtime_error("the process's Qt application has no widgets");
    return;
  }
  // Without a display, Qt still draws (for screenshots) on its offscreen
  // platform instead of failing to start.
  if (!HasDisplay()) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The windows are the host program's: Qt names the X window class and
  // the application after argv[0], so it is the host's own name.
  static int argc = 1;
  static char* argv[] = {program_invocation_short_name, nullptr};
  g_previous_handler = qInstallMessageHandler(&FilterMessages);
  new QApplication(argc, argv);
}

std::unique_ptr<ui::Backend> MakeQtBackend() {
  (void)kRegistered;
  return std::make_unique<QtBackend>();
}

bool NoPersonPresent() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

}  // namespace orvex::qt
