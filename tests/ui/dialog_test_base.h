// DialogTest: a fixture for the selection dialogs driven through the
// automation object on the headless toolkit (what each toolkit shows of a
// control is the toolkit tests'), against the recording fake of the server. A scripted
// person notes each form's tree before acting; the forms shown, message boxes
// and ui problems are recorded; all of it, and the thread language, is reset
// after each test.
#ifndef ORVEX_TESTS_UI_DIALOG_TEST_BASE_H_
#define ORVEX_TESTS_UI_DIALOG_TEST_BASE_H_

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/connect_orvex.h"
#include "fakes/fake_backend.h"
#include "platform/language.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/tree_view.h"
#include "ui/form_test_base.h"

namespace orvex::testing {

class DialogTest : public ::testing::Test {
 protected:
  using json = nlohmann::json;

  // A scripted person who also notes how each form's tree looked the last
  // time it was about to act, so a test can see the tree as it was just
  // before the form closed (closing clears it).
  class WatchingAgent : public ui::ScriptedAgent {
   public:
    std::optional<ui::Action> NextAction(const ui::Form& form) override {
      if (const ui::Control* c = form.FindControl("TreeView1")) {
        std::vector<std::string> nodes;
        for (const auto& n : static_cast<const ui::TreeView&>(*c).Nodes())
          nodes.push_back(
              Describe(n->Key(), n->Image(), n->Parent() ? n->Parent()->Key() : "", n->Expanded()));
        last_tree[form.name()] = nodes;
      }
      return ScriptedAgent::NextAction(form);
    }
    std::map<std::string, std::vector<std::string>> last_tree;
  };

  DialogTest() : backend_(std::make_shared<FakeBackend>()) {}

  void SetUp() override {
    ui::UseToolkit("headless");
    agent_ = std::make_shared<WatchingAgent>();
    ui::SetUserAgent(agent_);
    ui::SetObserver([this](const json& r) {
      if (r.contains("form")) forms_.push_back(r["form"]);
      if (r.contains("msgbox")) boxes_.push_back(r["msgbox"]);
      if (r.contains("ui_problem")) problems_.push_back(r["ui_problem"]["problem"]);
    });
  }
  void TearDown() override {
    ui::SetObserver(nullptr);
    ui::SetUserAgent(nullptr);
    platform::SetThreadLanguage(std::nullopt);
  }

  // A connected object; `workspace` made current unless empty. The calls
  // made so far are dropped from the log.
  void Open(const std::string& workspace = "Sales") {
    obj_ = std::make_unique<automation::ConnectOrvex>(backend_);
    obj_->Properties().ShowDialog = false;
    ASSERT_TRUE(obj_->ConnectOpen("docs", "jones", "CORP", "secret"));
    if (!workspace.empty()) {
      ASSERT_TRUE(Call("SetWorkspace", {Variant(workspace)}).ToBool());
    }
    backend_->calls.clear();
  }

  Variant Call(const std::string& name, std::vector<Variant> args = {}) {
    return obj_->Invoke(*obj_->GetIdOfName(name), InvokeKind::kMethod, args);
  }
  int32_t LastError() { return Call("GetLastError").ToInt32(); }

  // "key image <parent>" per node in insertion order, "+" when the node is open.
  static std::string Describe(const std::string& key, const std::string& image,
                              const std::string& parent, bool expanded) {
    return key + " " + image + " <" + parent + ">" + (expanded ? " +" : "");
  }
  // The tree of a recorded form, described as above.
  static std::vector<std::string> Nodes(const json& form) {
    std::vector<std::string> out;
    for (const auto& c : form["controls"]) {
      if (c["kind"] != "treeview") continue;
      for (const auto& n : c["nodes"])
        out.push_back(Describe(n["key"], n["image"], n["parent"].is_null() ? "" : n["parent"],
                               n["expanded"]));
    }
    return out;
  }
  // "title: text (style answer)" per message box shown, in order.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& b : boxes_)
      out.push_back(std::string(b["title"]) + ": " + std::string(b["text"]) + " (" +
                    std::to_string(int(b["style"])) + " " + std::string(b["answer"]) + ")");
    return out;
  }

  std::shared_ptr<FakeBackend> backend_;
  std::unique_ptr<automation::ConnectOrvex> obj_;
  std::shared_ptr<WatchingAgent> agent_;
  std::vector<json> forms_;
  std::vector<json> boxes_;
  std::vector<std::string> problems_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_UI_DIALOG_TEST_BASE_H_
