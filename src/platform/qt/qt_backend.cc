#include "platform/qt/qt_backend.h"

#include <QApplication>
#include <QGuiApplication>
#include <QThread>
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
};

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
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
  static int argc = 1;
  static char name[] = "orvex";
  static char* argv[] = {name, nullptr};
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
