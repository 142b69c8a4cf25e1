#include "interpreter.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console.h"
#include "fake_object.h"
#include "interrupt.h"

namespace orvex::console {
namespace {

const Variant& Arg(std::span<Variant> args, size_t i) {
  if (i >= args.size()) throw AutomationError(kErrWrongArgumentCount);
  return args[i];
}

// A console session against one fake object, created as "Test.Object".
class Session {
 public:
  explicit Session(bool json = false)
      : reporter(out, err, json), interpreter(reporter, [this](std::string_view name) {
          if (name != "Test.Object") throw AutomationError(kErrCannotCreateObject);
          ++created;
          return object;
        }) {
    // Fill(a, b, c): writes "filled" into a and 7 into c, returns True.
    object->Add("Fill", [](InvokeKind, std::span<Variant> args) {
      if (args.size() != 3) throw AutomationError(kErrWrongArgumentCount);
      args[0] = Variant("filled");
      args[2] = Variant(int16_t{7});
      return Variant(true);
    });
    // Fail(n): raises error n with a description.
    object->Add("Fail", [](InvokeKind, std::span<Variant> args) -> Variant {
      throw AutomationError(Arg(args, 0).ToInt32(), "failure " + Arg(args, 0).ToString());
    });
    object->Add("Crash", [](InvokeKind, std::span<Variant>) -> Variant {
      throw std::logic_error("invariant broken");
    });
    // Echo(v): returns its argument unchanged.
    object->Add("Echo", [](InvokeKind, std::span<Variant> args) { return Arg(args, 0); });
    // Title: a read/write property.
    object->Add("Title", [this](InvokeKind kind, std::span<Variant> args) {
      if (kind == InvokeKind::kPropertyLet) {
        title_ = args.back();
        return Variant();
      }
      return title_;
    });
    object->Add("Self", [this](InvokeKind, std::span<Variant>) {
      return Variant(std::shared_ptr<Dispatch>(object));
    });
  }

  int Run(std::string_view script) { return RunScript(script, interpreter, reporter); }

  std::ostringstream out;
  std::ostringstream err;
  std::shared_ptr<FakeObject> object = std::make_shared<FakeObject>();
  int created = 0;

  Reporter reporter;

 private:
  Variant title_{"untitled"};

 public:
  Interpreter interpreter;
};

constexpr std::string_view kCreate = "Set o = CreateObject(\"Test.Object\")\n";

TEST(InterpreterTest, OnlyBareVariablesReceiveOutputs) {
  Session s;
  ASSERT_EQ(s.Run(std::string(kCreate) + "a = \"a0\": b = \"b0\": c = \"c0\"\n"
                                         "o.Fill a, b, c\n"
                                         "Print a, b, c\n"
                                         "a = \"a0\": c = \"c0\"\n"
                                         "Call o.Fill((a), b, c & \"\")\n"
                                         "Print a, b, c\n"
                                         "o.Fill (a), b, c\n"
                                         "Print a, b, c\n"
                                         "a = \"a0\": c = \"c0\"\n"
                                         "r = o.Fill(a, o.Title, new)\n"
                                         "Print r, a, new, o.Title\n"),
            kExitOk)
      << s.err.str();
  EXPECT_EQ(s.out.str(),
            "filled b0 7\n"
            "a0 b0 c0\n"
            "a0 b0 7\n"
            "True filled 7 untitled\n");
  // The member saw the variables' values going in.
  ASSERT_EQ(s.object->calls.size(), 6u);
  EXPECT_EQ(s.object->calls[0].args,
            (std::vector<Variant>{Variant("a0"), Variant("b0"), Variant("c0")}));
  EXPECT_EQ(s.object->calls[0].kind, InvokeKind::kMethod);
  EXPECT_EQ(s.object->calls[3].member, "Title");     // read for Fill's second argument
  EXPECT_EQ(s.object->calls[4].args[2], Variant());  // `new` was Empty
}

TEST(InterpreterTest, PassesIntegersBooleansAndPropertyAssignments) {
  Session s;
  ASSERT_EQ(s.Run(std::string(kCreate) + "o.Echo 5\n"
                                         "o.Echo -70000\n"
                                         "o.Echo True\n"
                                         "x = 40000: y = -x\n"
                                         "o.Echo y\n"
                                         "o.Title = \"Plan\" & 2001\n"
                                         "Print o.title, -o.Echo(False), -Empty\n"),
            kExitOk)
      << s.err.str();
  const auto& calls = s.object->calls;
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].args[0], Variant(int16_t{5}));
  EXPECT_EQ(calls[1].args[0], Variant(int32_t{-70000}));
  EXPECT_EQ(calls[2].args[0], Variant(true));
  EXPECT_EQ(calls[3].args[0], Variant(int32_t{-40000}));
  EXPECT_EQ(calls[4].kind, InvokeKind::kPropertyLet);
  EXPECT_EQ(calls[4].args, (std::vector<Variant>{Variant("Plan2001")}));
  EXPECT_EQ(calls[5].kind, InvokeKind::kPropertyGet);
  EXPECT_EQ(s.out.str(), "Plan2001 0 0\n");
}

// Each line printed as a script host prints it.
TEST(InterpreterTest, PrintAndOperatorsFollowScriptHostRules) {
  const struct {
    const char* script;
    const char* out;
  } cases[] = {
      {"Print True, False, 12, -3, \"text\", Empty, \"end\"", "True False 12 -3 text  end"},
      {"Print", ""},
      {"Print Null, \"a\" & Null & \"b\", Empty & Empty", "Null ab "},
      {"n = Null & Null: Print n", "Null"},
      {"Print 1 + 2, 30000 + 30000, \"a\" + \"b\", \"4\" + 1, 5 - 7, 2 & 3 + 4",
       "3 60000 ab 5 -2 27"},
      {"Print 1 = 1, 2 <> 2, \"abc\" < \"abd\", \"B\" > \"a\", 10 >= \"9\", 3 <= 2",
       "True False True False True False"},
      {"Print True And False, True Or False, Not True, Not 0, 6 And 3, 6 Or 3",
       "False True False -1 2 7"},
      {"Print Null = 1, Null + 1, Empty = 0, Empty = \"\", \"x\" = 1", "Null Null True True False"},
  };
  for (const auto& c : cases) {
    Session s;
    EXPECT_EQ(s.Run(std::string(c.script) + "\n"), kExitOk) << c.script << ": " << s.err.str();
    EXPECT_EQ(s.out.str(), std::string(c.out) + "\n") << c.script;
  }
}

TEST(InterpreterTest, SetOnAPropertyPassesTheObjectByReference) {
  Session s;
  ASSERT_EQ(s.Run(std::string(kCreate) + "Set o.Title = o\n"
                                         "Set o.Self.Title = Nothing\n"
                                         "On Error Resume Next\n"
                                         "Set o.Title = \"text\"\n"
                                         "Print Err.Number\n"),
            kExitOk)
      << s.err.str();
  const auto& calls = s.object->calls;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].member, "Title");
  EXPECT_EQ(calls[0].kind, InvokeKind::kPropertyPutRef);
  ASSERT_EQ(calls[0].args.size(), 1u);
  EXPECT_EQ(calls[0].args[0].object().get(), s.object.get());
  EXPECT_EQ(calls[1].member, "Self");
  EXPECT_EQ(calls[2].kind, InvokeKind::kPropertyPutRef);
  EXPECT_TRUE(calls[2].args[0].IsObject());
  EXPECT_FALSE(calls[2].args[0].object());
  // A value that is no object is refused before the member is called.
  EXPECT_EQ(s.out.str(), "424\n");
  // The recorded arguments hold the object itself: drop them so the object
  // can go.
  s.object->calls.clear();
}

TEST(InterpreterTest, UnhandledErrorStopsTheScriptWithItsLine) {
  Session s;
  EXPECT_EQ(s.Run(std::string(kCreate) + "Print \"before\"\n"
                                         "o.Fail 1004\n"
                                         "Print \"after\"\n"),
            kExitRuntimeError);
  EXPECT_EQ(s.out.str(), "before\n");
  EXPECT_EQ(s.err.str(), "line 3: error 1004: failure 1004\n");

  // Errors of the language itself are reported the same way; every script
  // below runs after `Set o = CreateObject(...)` on line 1.
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"x.Foo\n", "line 2: error 424: Object required: 'x'\n"},
      {"o.Nope 1\n", "line 2: error 438: Object doesn't support this property or method: 'Nope'\n"},
      {"Set y = 5\n", "line 2: error 424: Object required: Set needs an object or Nothing\n"},
      {"y = o\n",
       "line 2: error 438: Object doesn't support this property or method: use Set to assign an "
       "object to 'y'\n"},
      {"Err = 1\n", "line 2: error 501: Illegal assignment: 'Err'\n"},
      {"Set x = CreateObject(\"No.Such\")\n",
       "line 2: error 429: ActiveX component can't create object: 'No.Such'\n"},
      {"x = Missing(1)\n", "line 2: error 13: Type mismatch: 'Missing'\n"},
      {"x = CreateObject()\n",
       "line 2: error 450: Wrong number of arguments or invalid property assignment\n"},
      {"o.Crash\n", "line 2: error 51: Internal error: invariant broken\n"},
      {"Set o = Nothing\no.Echo 1\n", "line 3: error 424: Object required: 'o'\n"},
      {"x = \"12x\": y = -x\n", "line 2: error 13: Type mismatch\n"},
      {"x = -32768: x = -x: x = -2147483647: x = -x\n", ""},
      {"x = -2147483648: y = -x\n", "line 2: error 6: Overflow\n"},
      {"o.Fill 1, 2\n",
       "line 2: error 450: Wrong number of arguments or invalid property "
       "assignment\n"},
      {"Print o\n", "line 2: error 13: Type mismatch\n"},
      {"x = 2147483647 + 1\n", "line 2: error 6: Overflow\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Session t;
    bool fails = *c.error != 0;
    EXPECT_EQ(t.Run(std::string(kCreate) + c.script), fails ? kExitRuntimeError : kExitOk);
    EXPECT_EQ(t.err.str(), c.error);
  }
}

TEST(InterpreterTest, JsonLinesNeverShowAPassword) {
  Session s(/*json=*/true);
  for (const char* name : {"ConnectOpen", "ConnectOpenEx"}) {
    s.object->Add(name, [](InvokeKind, std::span<Variant> args) {
      if (args.size() != 4) throw AutomationError(kErrWrongArgumentCount);
      return Variant(args[3].ToString() == "secret");
    });
  }
  // The member still gets the password, by value or in a variable, and the
  // variable keeps it; only the report hides it, whatever the spelling of
  // the member name and also when the call fails.
  ASSERT_EQ(
      s.Run(std::string(kCreate) + "pw = \"secret\"\n"
                                   "ok = o.connectopen(\"docs\", \"jones\", \"CORP\", pw)\n"
                                   "Print ok, pw\n"
                                   "o.ConnectOpenEx \"docs\", \"jones\", \"CORP\", \"secret\"\n"
                                   "On Error Resume Next\n"
                                   "o.ConnectOpen \"docs\", \"jones\", \"CORP\"\n"
                                   "o.Echo \"secret\"\n"),
      kExitOk)
      << s.err.str();
  EXPECT_EQ(s.out.str().find("\"secret\"]"), s.out.str().rfind("\"secret\"]")) << s.out.str();
  EXPECT_NE(s.out.str().find("\"member\":\"connectopen\",\"args\":[\"docs\",\"jones\",\"CORP\","
                             "\"***\"],\"result\":true"),
            std::string::npos)
      << s.out.str();
  EXPECT_NE(s.out.str().find("{\"line\":4,\"print\":\"True secret\"}"), std::string::npos);
  EXPECT_NE(s.out.str().find("\"member\":\"ConnectOpenEx\",\"args\":[\"docs\",\"jones\","
                             "\"CORP\",\"***\"]"),
            std::string::npos)
      << s.out.str();
  // Fewer arguments than a password's position: nothing to hide, nothing
  // made up.
  EXPECT_NE(s.out.str().find("\"args\":[\"docs\",\"jones\",\"CORP\"],\"result\":null"),
            std::string::npos)
      << s.out.str();
  // Other members show their arguments as they are.
  EXPECT_NE(s.out.str().find("\"member\":\"Echo\",\"args\":[\"secret\"]"), std::string::npos);
}

TEST(InterpreterTest, LoopsAndBranchesRunTheirBlocks) {
  Session s(/*json=*/true);
  ASSERT_EQ(s.Run(std::string(kCreate) +
                  "n = 3\n"
                  "For i = 0 To n - 1\n"
                  "  If i = 0 Then\n"
                  "    o.Echo \"first\"\n"
                  "  ElseIf i = n - 1 Then\n"
                  "    o.Echo \"last\"\n"
                  "  Else\n"
                  "    If o.Echo(i) > 0 Then Print \"middle\", i Else Print \"never\"\n"
                  "  End If\n"
                  "Next\n"
                  "Print \"after\", i\n"
                  "For j = 10 To 1 Step -4: Print j: Next\n"
                  "For k = 1 To 0: Print \"never\": Next\n"
                  "For m = 1 To 5: m = m + 1: Print m: Next\n"),
            kExitOk)
      << s.err.str();
  EXPECT_EQ(s.out.str(),
            "{\"line\":5,\"member\":\"Echo\",\"args\":[\"first\"],\"result\":\"first\","
            "\"error\":null}\n"
            "{\"line\":9,\"member\":\"Echo\",\"args\":[1],\"result\":1,\"error\":null}\n"
            "{\"line\":9,\"print\":\"middle 1\"}\n"
            "{\"line\":7,\"member\":\"Echo\",\"args\":[\"last\"],\"result\":\"last\","
            "\"error\":null}\n"
            "{\"line\":12,\"print\":\"after 3\"}\n"
            "{\"line\":13,\"print\":\"10\"}\n"
            "{\"line\":13,\"print\":\"6\"}\n"
            "{\"line\":13,\"print\":\"2\"}\n"
            "{\"line\":15,\"print\":\"2\"}\n"
            "{\"line\":15,\"print\":\"4\"}\n"
            "{\"line\":15,\"print\":\"6\"}\n");
}

TEST(InterpreterTest, ErrorsInsideBlocksFollowOnError) {
  Session s;
  EXPECT_EQ(s.Run(std::string(kCreate) + "On Error Resume Next\n"
                                         "For i = 1 To 3\n"
                                         "  o.Fail 1000 + i\n"
                                         "  Print i, Err.Number\n"
                                         "Next\n"
                                         "If o.Fail(5) Then\n"
                                         "  Print \"skipped\"\n"
                                         "End If\n"
                                         "For i = 1 To 2 Step 0\n"
                                         "Next\n"
                                         "Print \"step\", Err.Number\n"
                                         "On Error GoTo 0\n"
                                         "For i = 1 To 3\n"
                                         "  If i = 2 Then o.Fail 1007\n"
                                         "Next\n"
                                         "Print \"never\"\n"),
            kExitRuntimeError);
  EXPECT_EQ(s.out.str(), "1 1001\n2 1002\n3 1003\nstep 5\n");
  EXPECT_EQ(s.err.str(), "line 15: error 1007: failure 1007\n");
}

TEST(InterpreterTest, ResumeNextRecordsErrorsInErrUntilGoToZero) {
  Session s;
  EXPECT_EQ(s.Run(std::string(kCreate) + "On Error Resume Next\n"
                                         "o.Fail 9\n"
                                         "Print \"after\", Err.Number, Err.Description\n"
                                         "x = o.Echo(\"skipped\") & o.Fail(1002)\n"
                                         "Print \"x is\", x, err.number\n"
                                         "Err.Clear\n"
                                         "Print Err.Number, Err.Description\n"
                                         "o.Fail 5\n"
                                         "On Error Resume Next\n"
                                         "Print \"reset\", Err.Number\n"
                                         "o.Fail 6\n"
                                         "On Error GoTo 0\n"
                                         "Print \"cleared\", Err.Number\n"
                                         "o.Fail 7\n"
                                         "Print \"never\"\n"),
            kExitRuntimeError);
  EXPECT_EQ(s.out.str(),
            "after 9 failure 9\n"
            "x is  1002\n"
            "0 \n"
            "reset 0\n"
            "cleared 0\n");
  EXPECT_EQ(s.err.str(), "line 15: error 7: failure 7\n");

  // Err.Raise fails the statement with the script's own error: handled,
  // Err keeps its number, source and description (the runtime's text when
  // none is given); not handled, it stops the script like any error.
  Session raised;
  EXPECT_EQ(raised.Run(std::string(kCreate) + "On Error Resume Next\n"
                                              "Err.Raise 1008, \"demo\", \"upload failed\"\n"
                                              "Print Err.Number, Err.Source, Err.Description\n"
                                              "o.Fail 3\n"
                                              "Print Err.Number, Err.Source = \"\"\n"
                                              "Err.Raise 9\n"
                                              "Print Err.Description\n"
                                              "Err.Raise 0\n"
                                              "Print Err.Number\n"
                                              "On Error GoTo 0\n"
                                              "Err.Raise 1006, \"demo\", \"cannot connect\"\n"
                                              "Print \"never\"\n"),
            kExitRuntimeError);
  EXPECT_EQ(raised.out.str(), "1008 demo upload failed\n3 True\nSubscript out of range\n5\n");
  EXPECT_EQ(raised.err.str(), "line 12: error 1006: cannot connect\n");
}

TEST(InterpreterTest, JsonLinesShowEveryMemberCallAndPrint) {
  Session s(/*json=*/true);
  EXPECT_EQ(s.Run(std::string(kCreate) + "o.Title = \"caf\xC3\xA9\"\n"
                                         "b = \"in\"\n"
                                         "ok = o.Fill(a, b, c)\n"
                                         "Print ok & \"!\", Err.Number\n"
                                         "o.Echo Null\n"
                                         "Set me = o.Self\n"
                                         "o.Echo \"bad \xFF byte\"\n"
                                         "o.Fail 1003\n"
                                         "Print \"never\"\n"),
            kExitRuntimeError);
  EXPECT_EQ(s.out.str(),
            "{\"line\":2,\"member\":\"Title\",\"args\":[\"caf\xC3\xA9\"],\"result\":null,\"error\":"
            "null}\n"
            "{\"line\":4,\"member\":\"Fill\",\"args\":[\"filled\",\"in\",7],\"result\":true,"
            "\"error\":null}\n"
            "{\"line\":5,\"print\":\"True! 0\"}\n"
            "{\"line\":6,\"member\":\"Echo\",\"args\":[null],\"result\":null,\"error\":null}\n"
            "{\"line\":7,\"member\":\"Self\",\"args\":[],\"result\":\"[object]\",\"error\":null}\n"
            "{\"line\":8,\"member\":\"Echo\",\"args\":[\"bad \xEF\xBF\xBD byte\"],"
            "\"result\":\"bad \xEF\xBF\xBD byte\",\"error\":null}\n"
            "{\"line\":9,\"member\":\"Fail\",\"args\":[1003],\"result\":null,"
            "\"error\":{\"number\":1003,\"description\":\"failure 1003\"}}\n");
  EXPECT_EQ(s.err.str(), "line 9: error 1003: failure 1003\n");
}

TEST(InterpreterTest, JsonShowsArraysAndNothing) {
  Session s(/*json=*/true);
  s.object->Add("List", [](InvokeKind, std::span<Variant>) {
    return Variant(VariantArray{Variant(int16_t{1}), Variant("two"), Variant(Null{}),
                                Variant(VariantArray{Variant(false)})});
  });
  EXPECT_EQ(s.Run(std::string(kCreate) + "Set n = Nothing\nx = o.List\no.Echo n\n"), kExitOk)
      << s.err.str();
  EXPECT_EQ(s.out.str(),
            "{\"line\":3,\"member\":\"List\",\"args\":[],\"result\":[1,\"two\",null,[false]],"
            "\"error\":null}\n"
            "{\"line\":4,\"member\":\"Echo\",\"args\":[null],\"result\":null,\"error\":null}\n");
}

TEST(InterpreterTest, SyntaxErrorRunsNothing) {
  Session s;
  EXPECT_EQ(s.Run(std::string(kCreate) + "o.Echo 1\nPrint \"x\"\no.Echo(1, 2)\n"),
            kExitSyntaxError);
  EXPECT_EQ(s.created, 0);
  EXPECT_TRUE(s.object->calls.empty());
  EXPECT_EQ(s.out.str(), "");
  EXPECT_NE(s.err.str().find("line 4: syntax error: "), std::string::npos) << s.err.str();
}

TEST(InterpreterTest, BuiltinsAreReachableButNotReported) {
  Session s(/*json=*/true);
  auto extra = std::make_shared<FakeObject>();
  extra->Add("Plan", [](InvokeKind, std::span<Variant> args) { return Variant(Arg(args, 0)); });
  s.interpreter.AddBuiltin("Ui", extra);
  EXPECT_EQ(s.Run("ui.Plan \"FolderDlgA\"\nx = Err.Number\nSet Ui = Nothing\n"), kExitRuntimeError);
  EXPECT_EQ(extra->calls.size(), 1u);
  EXPECT_EQ(s.out.str(), "");
  EXPECT_EQ(s.err.str(), "line 3: error 501: Illegal assignment: 'Ui'\n");
}

TEST(InterpreterTest, InteractiveSessionKeepsGoingAfterErrors) {
  Session s;
  std::istringstream in(
      "Set o = CreateObject(\"Test.Object\")\n"
      "o.Echo _\n"
      "  \"continued\"\n"
      "o.Echo(1, 2)\n"
      "o.Fail 1001\n"
      "? Err.Number\n"
      "o.Title\n"
      "For i = 1 To 2\n"
      "  ? i\n"
      "Next\n"
      "If True Then\n");
  std::ostringstream prompts;
  EXPECT_EQ(RunInteractive(in, prompts, s.interpreter, s.reporter), kExitOk);
  EXPECT_EQ(s.out.str(), "continued\n1001\nuntitled\n1\n2\n");
  EXPECT_EQ(s.err.str().substr(0, 22), "line 4: syntax error: ");
  EXPECT_NE(s.err.str().find("\nline 5: error 1001: failure 1001\n"), std::string::npos)
      << s.err.str();
  EXPECT_NE(s.err.str().find("line 11: syntax error: expected 'End If'"), std::string::npos)
      << s.err.str();
  EXPECT_EQ(prompts.str(),
            "orvex> orvex>    ...> orvex> orvex> orvex> orvex> "
            "orvex>    ...>    ...> orvex>    ...> \n");
}

TEST(InterpreterTest, InterruptAbandonsTheRunAndKeepsVariables) {
  Session s;
  // Slow(a): Ctrl-C comes while it runs; it still writes a and returns True,
  // or with an argument of 1 fails as an aborted transfer does.
  s.object->Add("Slow", [](InvokeKind, std::span<Variant> args) {
    RequestInterrupt();
    if (Arg(args, 0).ToInt32() == 1) throw AutomationError(1, "interrupted");
    args[0] = Variant("written");
    return Variant(true);
  });
  EXPECT_EQ(s.Run(std::string(kCreate) + "n = 0: r = \"none\"\n"
                                         "On Error Resume Next\n"
                                         "For i = 1 To 3: r = o.Slow(n): Next\n"
                                         "n = 2\n"),
            kExitRuntimeError);
  EXPECT_EQ(s.err.str(), "\nline 4: interrupted\n");
  EXPECT_FALSE(InterruptRequested());
  EXPECT_EQ(s.object->calls.size(), 1u);
  // The next run goes on with the variables as they were; On Error does not
  // swallow an interrupted call's error either.
  EXPECT_EQ(s.Run("Print n, r, i\nn = 1\no.Slow n\nPrint \"after\"\n"), kExitRuntimeError);
  EXPECT_EQ(s.out.str(), "0 none 1\n");
  EXPECT_EQ(s.interpreter.err().number(), 0);
}

TEST(InterpreterTest, PromptTakesCtrlCAndHelpForAMember) {
  Session s;
  std::vector<InputLine> typed = {
      {InputLine::Kind::kText, "n = 41"},
      {InputLine::Kind::kInterrupted, "n = 9"},  // a half line
      {InputLine::Kind::kText, "If True Then"},
      {InputLine::Kind::kText, "n = 5"},
      {InputLine::Kind::kInterrupted, ""},  // at the continuation prompt: the block goes
      {InputLine::Kind::kText, "help o.Echo"},
      {InputLine::Kind::kText, "HELP Nope"},
      {InputLine::Kind::kText, "? n"},
      {InputLine::Kind::kInterrupted, ""},
      {InputLine::Kind::kText, "? 1"},
      {InputLine::Kind::kInterrupted, ""},
      {InputLine::Kind::kInterrupted, ""},  // twice in a row: leaves
      {InputLine::Kind::kText, "? 2"},
  };
  size_t next = 0;
  std::string prompts;
  auto read_line = [&](std::string_view prompt) {
    prompts += prompt;
    return next < typed.size() ? typed[next++] : InputLine{};
  };
  auto member_help = [](std::string_view name) {
    return name == "Echo" ? std::string("Echo(Value)\n") : std::string();
  };
  std::ostringstream screen;
  EXPECT_EQ(RunInteractive(read_line, member_help, screen, s.interpreter, s.reporter), kExitOk);
  EXPECT_EQ(next, typed.size() - 1);
  EXPECT_EQ(s.out.str(), "41\n1\n");
  EXPECT_EQ(s.err.str(), "");
  EXPECT_EQ(screen.str(), "Echo(Value)\nNo member is called Nope. Type help for the statements.\n" +
                              std::string(LeaveHint()) + std::string(LeaveHint()));
  EXPECT_EQ(prompts,
            "orvex> orvex> orvex>    ...>    ...> orvex> orvex> orvex> orvex> orvex> "
            "orvex> orvex> ");
}

TEST(InterpreterTest, ErrorsNameTheScriptFileAndThePromptTakesHelpAndExit) {
  Session script;
  script.reporter.set_source_name("demo.vbs");
  EXPECT_EQ(script.Run("Set o = CreateObject(\"Test.Object\")\no.Fail 9\n"), kExitRuntimeError);
  EXPECT_EQ(script.err.str(), "demo.vbs:2: error 9: failure 9\n");
  Session bad;
  bad.reporter.set_source_name("bad.vbs");
  EXPECT_EQ(bad.Run("If True Then\n"), kExitSyntaxError);
  EXPECT_EQ(bad.err.str().rfind("bad.vbs:2: syntax error: ", 0), 0u) << bad.err.str();

  // At the prompt "help" and "exit" are commands of their own, whatever
  // their case and blanks; nothing after "exit" runs.
  Session s;
  std::istringstream in(" Help \n? 1\nEXIT\n? 2\n");
  std::ostringstream screen;
  EXPECT_EQ(RunInteractive(in, screen, s.interpreter, s.reporter), kExitOk);
  EXPECT_EQ(s.out.str(), "1\n");
  EXPECT_NE(screen.str().find(InteractiveHelp()), std::string::npos);
  EXPECT_EQ(s.err.str(), "");
}

}  // namespace
}  // namespace orvex::console
