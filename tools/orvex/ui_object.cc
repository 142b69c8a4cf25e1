#include "ui_object.h"

#include "interpreter.h"
#include "platform/text.h"
#include "platform/ui/action.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"

namespace orvex::console {
namespace {

enum Member : int32_t { kPlan = 1, kAnswer };

constexpr std::string_view kNames[] = {"Plan", "Answer"};

[[noreturn]] void InvalidArgument(const std::string& why) {
  throw AutomationError(kErrInvalidCall, "Invalid procedure call or argument: " + why);
}

}  // namespace

UiObject::UiObject() = default;

UiObject::~UiObject() {
  if (agent_) ui::SetUserAgent(nullptr);
}

ui::ScriptedAgent& UiObject::Agent() {
  if (!agent_) {
    agent_ = std::make_shared<ui::ScriptedAgent>();
    // Under a real display, forms the script does not plan stay with the
    // person; headless and offscreen toolkits ignore this.
    agent_->set_leave_unscripted_to_person(true);
    ui::SetUserAgent(agent_);
  }
  return *agent_;
}

std::span<const std::string_view> UiObject::MemberNames() { return kNames; }

std::optional<int32_t> UiObject::GetIdOfName(std::string_view name) const {
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kNames)); ++i)
    if (platform::CompareNoCase(name, kNames[i]) == 0) return i + 1;
  return std::nullopt;
}

Variant UiObject::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  if (kind == InvokeKind::kPropertyLet || kind == InvokeKind::kPropertyPutRef)
    throw AutomationError(kErrMemberNotFound);
  try {
    switch (dispid) {
      case kPlan:
        if (args.size() != 2) throw AutomationError(kErrWrongArgumentCount);
        Agent().Plan(args[0].ToString(), args[1].ToString());
        return {};
      case kAnswer:
        if (args.size() != 1) throw AutomationError(kErrWrongArgumentCount);
        Agent().Answer(args[0].ToString());
        return {};
      default:
        throw AutomationError(kErrMemberNotFound);
    }
  } catch (const ui::PlanError& e) {
    InvalidArgument(e.what());
  }
}

}  // namespace orvex::console
