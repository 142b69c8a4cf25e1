// The built-in Ui object: scripts the stand-in for the person who answers
// the library's dialogs.
//
//   Ui.Plan "FolderDlgA", "click Sales/Reports/2001; press OKButton"
//   Ui.Answer "yes"
//
// Plan(form, actions) scripts the next modal showing of that form; Answer
// queues the answer to a coming message box (the action words are those of
// the ui seam's scripted agent, listed in docs/console.md). The agent is
// installed on the calling thread at the first Plan or Answer, so a script
// that uses neither leaves every form to the toolkit's default: Cancel and
// safe answers when headless, the person at a real display under Qt.
// A plan with an unknown word raises error 5 and schedules nothing.
#ifndef ORVEX_TOOLS_ORVEX_UI_OBJECT_H_
#define ORVEX_TOOLS_ORVEX_UI_OBJECT_H_

#include <memory>
#include <span>
#include <string_view>

#include "platform/dispatch.h"

namespace orvex::ui {
class ScriptedAgent;
}

namespace orvex::console {

class UiObject : public Dispatch {
 public:
  UiObject();
  ~UiObject() override;

  // Plan and Answer.
  static std::span<const std::string_view> MemberNames();

  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

 private:
  ui::ScriptedAgent& Agent();

  std::shared_ptr<ui::ScriptedAgent> agent_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_UI_OBJECT_H_
