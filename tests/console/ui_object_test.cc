#include "ui_object.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console.h"
#include "fake_object.h"
#include "interpreter.h"
#include "platform/ui/message_box.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"

namespace orvex::console {
namespace {

// A console with the Ui built-in, the ui records routed into its JSON
// output, and an object whose Ask member shows a Yes/No message box.
class UiSession {
 public:
  UiSession() {
    ui::UseToolkit("headless");
    ui::SetObserver([this](const nlohmann::json& record) { reporter.Record(record); });
    object->Add("Ask", [](InvokeKind, std::span<Variant> args) {
      return Variant(ui::MessageBox(args[0].ToString(), 36, "Question"));
    });
    interpreter = std::make_unique<Interpreter>(
        reporter, [this](std::string_view) -> std::shared_ptr<Dispatch> { return object; });
    interpreter->AddBuiltin("Ui", std::make_shared<UiObject>());
  }
  ~UiSession() {
    interpreter.reset();
    ui::SetObserver(nullptr);
  }

  int Run(std::string_view script) { return RunScript(script, *interpreter, reporter); }

  // The JSON lines written so far.
  std::vector<nlohmann::json> Lines() const {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  std::ostringstream out;
  std::ostringstream err;
  Reporter reporter{out, err, /*json=*/true};
  std::shared_ptr<FakeObject> object = std::make_shared<FakeObject>();
  std::unique_ptr<Interpreter> interpreter;
};

TEST(UiObjectTest, AnswersReachMessageBoxesAndAreRecordedBeforeTheCall) {
  UiSession s;
  ASSERT_EQ(s.Run("Set o = CreateObject(\"Test.Object\")\n"
                  "a = o.Ask(\"Replace it?\")\n"
                  "Ui.Answer \"YES\"\n"
                  "b = o.Ask(\"Really?\")\n"
                  "c = o.Ask(\"Once more?\")\n"
                  "Print a, b, c\n"),
            kExitOk)
      << s.err.str();
  std::vector<nlohmann::json> lines = s.Lines();
  ASSERT_EQ(lines.size(), 7u) << s.out.str();
  // No answer planned: the safe No. Then the planned Yes, then No again.
  EXPECT_EQ(lines[0]["msgbox"]["text"], "Replace it?");
  EXPECT_EQ(lines[0]["msgbox"]["style"], 36);
  EXPECT_EQ(lines[1]["member"], "Ask");
  EXPECT_EQ(lines[1]["result"], ui::kAnswerNo);
  EXPECT_EQ(lines[2]["msgbox"]["text"], "Really?");
  EXPECT_EQ(lines[3]["result"], ui::kAnswerYes);
  EXPECT_EQ(lines[5]["result"], ui::kAnswerNo);
  EXPECT_EQ(lines[6]["print"], "7 6 7");
}

TEST(UiObjectTest, RejectsUnknownWordsWithoutSchedulingAnything) {
  UiSession s;
  EXPECT_EQ(s.Run("On Error Resume Next\n"
                  "Ui.Plan \"FolderDlgA\", \"click Sales; dance\"\n"
                  "Print Err.Number\n"
                  "Err.Clear\n"
                  "Ui.Answer \"maybe\"\n"
                  "Print Err.Number\n"
                  "Err.Clear\n"
                  "Ui.Plan \"FolderDlgA\"\n"
                  "Print Err.Number\n"
                  "Ui.Title = 1\n"
                  "Print Err.Number\n"
                  "On Error GoTo 0\n"
                  "Ui.Answer \"perhaps\"\n"),
            kExitRuntimeError);
  std::vector<nlohmann::json> lines = s.Lines();
  ASSERT_EQ(lines.size(), 4u) << s.out.str();
  EXPECT_EQ(lines[0]["print"], "5");
  EXPECT_EQ(lines[1]["print"], "5");
  EXPECT_EQ(lines[2]["print"], "450");
  EXPECT_EQ(lines[3]["print"], "438");
  EXPECT_EQ(s.err.str().rfind("line 13: error 5: Invalid procedure call or argument: ", 0), 0u)
      << s.err.str();
}

TEST(UiObjectTest, AgentLeavesWithTheObject) {
  {
    UiSession s;
    ASSERT_EQ(s.Run("Ui.Answer \"yes\"\n"), kExitOk);
    EXPECT_NE(ui::CurrentUserAgent(), nullptr);
  }
  // The queued Yes went with the console: the next box gets the safe No.
  EXPECT_EQ(ui::CurrentUserAgent(), nullptr);
  EXPECT_EQ(ui::MessageBox("Delete it?", 292, "Question"), ui::kAnswerNo);
}

}  // namespace
}  // namespace orvex::console
