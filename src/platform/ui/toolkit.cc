#include "platform/ui/toolkit.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>
#include <stdexcept>

#include "platform/ui/form.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/session.h"

namespace orvex::ui {
namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<ToolkitEntry>& Registry() {
  static std::vector<ToolkitEntry> entries;
  return entries;
}

struct ThreadToolkit {
  std::string name;
  std::unique_ptr<Backend> backend;
};

ThreadToolkit& ThisThread() {
  thread_local ThreadToolkit toolkit;
  return toolkit;
}

// The Qt toolkit library, when it sits beside the shared library this code
// is part of (installed, in the build tree, or in the Python package), is
// loaded the first time a toolkit is asked for, so a host that links it the
// ordinary way keeps it even when the linker dropped it (--as-needed), and a
// host that never shows a dialog never loads Qt. It registers itself as it
// loads. Code linked statically (the console, the tests) has its toolkits
// linked in and loads nothing: a second copy of the library would not share
// this registry.
constexpr char kSharedLibraryName[] = "libqzorvex.so";
constexpr char kQtToolkitLibrary[] = "libqzorvex_qt.so.0";

void LoadToolkitLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&LoadToolkitLibraries), &self) == 0 ||
        self.dli_fname == nullptr)
      return;
    const std::string path = self.dli_fname;
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    if (file.rfind(kSharedLibraryName, 0) != 0) return;
    // Held for the life of the process: its registration stays in use.
    dlopen((dir + "/" + kQtToolkitLibrary).c_str(), RTLD_NOW | RTLD_GLOBAL);
  });
}

bool Registered(std::string_view name) {
  std::lock_guard lock(RegistryMutex());
  for (const auto& e : Registry())
    if (e.name == name) return true;
  return false;
}

// Whether the thread may want a toolkit that is not loaded yet: a display
// is there, or Qt is in the process already (the host's own application).
bool MayWantUnloadedToolkit() {
  if (Registered("qt")) return false;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return dlsym(RTLD_DEFAULT, "_ZN16QCoreApplication4selfE") != nullptr;
}

std::unique_ptr<Backend> Make(std::string_view name) {
  if (name == "headless") return std::make_unique<HeadlessBackend>();
  std::function<std::unique_ptr<Backend>()> make;
  {
    std::lock_guard lock(RegistryMutex());
    for (const auto& e : Registry()) {
      if (e.name == name) make = e.make;
    }
  }
  if (!make) throw std::invalid_argument("no toolkit \"" + std::string(name) + "\"");
  return make();
}

void Choose(std::string_view name) {
  ThreadToolkit& t = ThisThread();
  std::unique_ptr<Backend> backend = Make(name);
  for (Form* form : Form::AllOnThisThread()) form->DropView();
  t.backend = std::move(backend);
  t.name = std::string(name);
}

}  // namespace

void RegisterToolkit(ToolkitEntry entry) {
  std::lock_guard lock(RegistryMutex());
  Registry().push_back(std::move(entry));
}

std::vector<std::string> ToolkitNames() {
  LoadToolkitLibraries();
  std::vector<std::string> names{"headless"};
  std::lock_guard lock(RegistryMutex());
  for (const auto& e : Registry()) names.push_back(e.name);
  return names;
}

bool HasToolkit(std::string_view name) {
  for (const auto& n : ToolkitNames()) {
    if (n == name) return true;
  }
  return false;
}

void UseToolkit(std::string_view name) {
  if (!HasToolkit(name)) throw std::invalid_argument("no toolkit \"" + std::string(name) + "\"");
  if (AnyModal()) throw std::logic_error("cannot change the toolkit while a form is shown");
  if (ThisThread().backend && ThisThread().name == name) return;
  Choose(name);
}

Backend& CurrentBackend() {
  ThreadToolkit& t = ThisThread();
  if (!t.backend) {
    if (MayWantUnloadedToolkit()) LoadToolkitLibraries();
    std::string chosen = "headless";
    std::vector<ToolkitEntry> entries;
    {
      std::lock_guard lock(RegistryMutex());
      entries = Registry();
    }
    for (const auto& e : entries) {
      if (e.wanted && e.wanted()) {
        chosen = e.name;
        break;
      }
    }
    Choose(chosen);
  }
  return *t.backend;
}

std::string_view CurrentToolkitName() {
  CurrentBackend();
  return ThisThread().name;
}

void ProcessWindowEvents() {
  if (Backend* backend = ThisThread().backend.get()) backend->ProcessWindowEvents();
}

}  // namespace orvex::ui
