#include "platform/ui/toolkit.h"

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
