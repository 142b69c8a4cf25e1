// The calling thread's user-interface session: the user agent standing in
// for a person, the observer that receives a record of every shown form and
// message box, the folder screenshots go to, and the stack of modal forms.
#ifndef ORVEX_PLATFORM_UI_SESSION_H_
#define ORVEX_PLATFORM_UI_SESSION_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace orvex::ui {

class Form;
class UserAgent;
struct Action;

// Installs the thread's agent (nullptr: none; each backend then uses its
// default: headless the SafeAgent, Qt the person at the display).
void SetUserAgent(std::shared_ptr<UserAgent> agent);
UserAgent* CurrentUserAgent();

// Receives {"form":{...}} when a form is shown modally, {"msgbox":{...}}
// when a message box is answered, {"ui_problem":{...}} when an agent's
// action could not be done. See record.h for the fields.
using Observer = std::function<void(const nlohmann::json& record)>;
void SetObserver(Observer observer);
// Is an observer installed? Records are made only when one is.
bool Observed();
void EmitRecord(const nlohmann::json& record);

// Folder for screenshots ("" turns them off). Each shown form and message
// box is saved as NNN-Name.png, numbered in showing order.
void SetScreenshotDirectory(std::string directory);
// The path for the next screenshot of `name`, or "" when they are off.
std::string NextScreenshotPath(std::string_view name);

// An agent's action could not be done: tells the agent and the observer.
void ReportProblem(const Form& form, const Action& action, const std::string& problem);

// Modal forms and boxes of this thread, innermost last.
void PushModal(const void* window);
void PopModal(const void* window);
bool IsInnermostModal(const void* window);
bool AnyModal();

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_SESSION_H_
