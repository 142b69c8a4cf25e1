#include "completion.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console.h"
#include "fake_object.h"
#include "interpreter.h"

namespace orvex::console {
namespace {

using Names = std::vector<std::string>;

TEST(CompletionTest, OffersMembersOfTheObjectBeforeTheDotAndKnownNames) {
  std::ostringstream out;
  Reporter reporter(out, out, false);
  auto object = std::make_shared<FakeObject>();
  for (const char* name : {"Fill", "fail", "Title"})
    object->Add(name, [](InvokeKind, std::span<Variant>) { return Variant(); });
  Interpreter interpreter(reporter, [&](std::string_view) { return object; });
  ASSERT_EQ(RunScript("Set o = CreateObject(\"x\"): myCount = 1", interpreter, reporter), kExitOk);
  // Names the object does not answer to are not offered; one that names two
  // members is offered once.
  const std::vector<std::string_view> members = {"Fill", "Fail", "Title", "Missing", "FILL"};
  auto complete = [&](std::string_view text) { return Complete(text, interpreter, members); };

  Completion after_dot = complete("? o.f");
  EXPECT_EQ(after_dot.start, 4u);
  EXPECT_EQ(after_dot.candidates, (Names{"Fail", "Fill"}));
  EXPECT_EQ(complete("o.").candidates, (Names{"Fail", "Fill", "Title"}));
  EXPECT_EQ(complete("x = O.TI").candidates, Names{"Title"});
  EXPECT_EQ(complete("n = myc").candidates, Names{"myCount"});
  EXPECT_EQ(complete("cre").candidates, Names{"CreateObject"});
  EXPECT_EQ(complete("On Error Res").candidates, Names{"Resume"});
  EXPECT_EQ(complete("e").candidates,
            (Names{"Else", "ElseIf", "Empty", "End", "Err", "Error", "exit"}));
  // Nothing inside a string or comment, after a value that holds no object,
  // or after a chain that would have to run to be known.
  for (std::string_view text : {"Print \"o.f", "n = 1 ' o.f", "myCount.f", "o.Self.f", "1"})
    EXPECT_TRUE(complete(text).candidates.empty()) << text;

  EXPECT_EQ(SharedBeginning({"GetWorkspace", "getworkspaceEx", "GetWorkspaceInfo"}),
            "GetWorkspace");
  EXPECT_EQ(SharedBeginning({"Fail", "Title"}), "");
}

}  // namespace
}  // namespace orvex::console
