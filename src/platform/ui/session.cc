#include "platform/ui/session.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/ui/action.h"
#include "platform/ui/form.h"
#include "platform/ui/user_agent.h"

namespace orvex::ui {
namespace {

struct Session {
  std::shared_ptr<UserAgent> agent;
  Observer observer;
  std::string screenshot_directory;
  std::vector<const void*> modal;
};

Session& ThisThread() {
  thread_local Session session;
  return session;
}

std::atomic<int> g_screenshot_number{0};

}  // namespace

void SetUserAgent(std::shared_ptr<UserAgent> agent) { ThisThread().agent = std::move(agent); }

UserAgent* CurrentUserAgent() { return ThisThread().agent.get(); }

void SetObserver(Observer observer) { ThisThread().observer = std::move(observer); }

bool Observed() { return static_cast<bool>(ThisThread().observer); }

void EmitRecord(const nlohmann::json& record) {
  if (ThisThread().observer) ThisThread().observer(record);
}

void SetScreenshotDirectory(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  ThisThread().screenshot_directory = std::move(directory);
}

std::string NextScreenshotPath(std::string_view name) {
  const std::string& dir = ThisThread().screenshot_directory;
  if (dir.empty()) return "";
  char number[16];
  std::snprintf(number, sizeof number, "%03d", ++g_screenshot_number);
  return dir + "/" + number + "-" + std::string(name) + ".png";
}

void ReportProblem(const Form& form, const Action& action, const std::string& problem) {
  if (UserAgent* agent = CurrentUserAgent()) agent->ActionFailed(form, action, problem);
  EmitRecord(
      {{"ui_problem", {{"form", form.name()}, {"action", action.text}, {"problem", problem}}}});
}

void PushModal(const void* window) { ThisThread().modal.push_back(window); }

void PopModal(const void* window) {
  auto& modal = ThisThread().modal;
  auto it = std::find(modal.rbegin(), modal.rend(), window);
  if (it != modal.rend()) modal.erase(std::next(it).base());
}

bool IsInnermostModal(const void* window) {
  const auto& modal = ThisThread().modal;
  return !modal.empty() && modal.back() == window;
}

bool AnyModal() { return !ThisThread().modal.empty(); }

}  // namespace orvex::ui
