#include "parser.h"

#include <gtest/gtest.h>

#include "lexer.h"
#include "support/error_of.h"
#include "syntax_error.h"

namespace orvex::console {
namespace {

using K = Statement::Kind;

std::vector<K> Kinds(const Program& program) {
  std::vector<K> kinds;
  for (const Statement& s : program) kinds.push_back(s.kind);
  return kinds;
}

TEST(ParserTest, ReadsEveryStatementFormCaseInsensitively) {
  Program p = Parse(
      "SET cx = createobject(\"Linkora.ConnectOrvex\")\n"
      "cx.ShowDialog = FALSE\n"
      "ok = CX.connectOpen(\"docs\", \"jones\", \"CORP\", \"secret\")\n"
      "cx.ConnectClose\n"
      "cx.GetWorkspace 0, name, desc\n"
      "call cx.GetWorkspace(0, name, desc)\n"
      "print ok, \"x\" & 1\n"
      "? ok\n"
      "on error resume next\n"
      "On Error GoTo 0\n"
      "Dim a, b\n"
      "Set cx = Nothing\n"
      "set rec.Owner.DictionaryValues(1) = cx\n");
  EXPECT_EQ(Kinds(p), (std::vector<K>{K::kSet, K::kPropertyLet, K::kAssign, K::kCall, K::kCall,
                                      K::kCall, K::kPrint, K::kPrint, K::kOnErrorResumeNext,
                                      K::kOnErrorGoTo0, K::kDim, K::kSet, K::kPropertySet}));
  // Set on a property keeps the whole member chain as its target.
  EXPECT_EQ(p[12].target->name, "DictionaryValues");
  EXPECT_EQ(p[12].target->args.size(), 1u);
  EXPECT_EQ(p[12].target->operands[0]->name, "Owner");
  EXPECT_EQ(p[12].value->name, "cx");
  EXPECT_EQ(p[4].target->args.size(), 3u);
  EXPECT_EQ(p[5].target->args.size(), 3u);
  EXPECT_EQ(p[10].names, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(p[2].value->kind, Expr::Kind::kMember);
  EXPECT_EQ(p[2].value->name, "connectOpen");
}

TEST(ParserTest, CommentsContinuationsAndSeparatorsKeepLineNumbers) {
  Program p = Parse(
      "' a comment\n"
      "Rem another comment: Print 1\n"
      "x = \"it's 'quoted'\" ' trailing comment\n"
      "cx.ConnectOpen \"docs\", _\n"
      "   \"jones\", _\n"
      "   \"\", \"secret\"\n"
      "a = 1: b = 2 : Rem the rest is ignored: c = 3\n"
      "\r\n"
      "y = cx.Remove\r\n");
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[0].line, 3);
  EXPECT_EQ(p[0].value->value, Variant("it's 'quoted'"));
  EXPECT_EQ(p[1].line, 4);
  EXPECT_EQ(p[1].target->args.size(), 4u);
  EXPECT_EQ(p[2].line, 7);
  EXPECT_EQ(p[3].line, 7);
  EXPECT_EQ(p[3].name, "b");
  EXPECT_EQ(p[4].line, 9);
  EXPECT_EQ(p[4].value->name, "Remove");
}

TEST(ParserTest, LiteralsTakeTheSmallestIntegerTypeAndEscapedQuotes) {
  Program p = Parse(
      "Print 32767, 32768, -32768, -32769, 2147483647, -2147483648, \"say \"\"hi\"\"\", \"\"\n");
  const auto& v = p[0].values;
  EXPECT_EQ(v[0]->value, Variant(int16_t{32767}));
  EXPECT_EQ(v[1]->value, Variant(int32_t{32768}));
  EXPECT_EQ(v[2]->value, Variant(int16_t{-32768}));
  EXPECT_EQ(v[3]->value, Variant(int32_t{-32769}));
  EXPECT_EQ(v[4]->value, Variant(int32_t{2147483647}));
  EXPECT_EQ(v[5]->value, Variant(int32_t{-2147483647 - 1}));
  EXPECT_EQ(v[6]->value, Variant("say \"hi\""));
  EXPECT_EQ(v[7]->value, Variant(""));
}

// Whether an argument is a bare variable (by reference) or something else
// (by value) is decided by how the statement is written.
TEST(ParserTest, ParenthesesAroundOneArgumentMakeItAnExpression) {
  Program p = Parse(
      "cx.M (a)\n"
      "cx.M (a), b\n"
      "cx.M (a) & \"s\", b\n"
      "Call cx.M(a, (b))\n"
      "cx.M()\n"
      "x = cx.Item(1).Name\n");
  auto kinds = [](const Expr& call) {
    std::vector<Expr::Kind> out;
    for (const ExprPtr& a : call.args) out.push_back(a->kind);
    return out;
  };
  using E = Expr::Kind;
  EXPECT_EQ(kinds(*p[0].target), (std::vector<E>{E::kParen}));
  EXPECT_EQ(kinds(*p[1].target), (std::vector<E>{E::kParen, E::kVariable}));
  EXPECT_EQ(kinds(*p[2].target), (std::vector<E>{E::kBinary, E::kVariable}));
  EXPECT_EQ(kinds(*p[3].target), (std::vector<E>{E::kVariable, E::kParen}));
  EXPECT_TRUE(p[4].target->args.empty());
  const Expr& chain = *p[5].value;
  EXPECT_EQ(chain.name, "Name");
  EXPECT_EQ(chain.operands[0]->name, "Item");
  EXPECT_EQ(chain.operands[0]->args.size(), 1u);
}

TEST(ParserTest, SyntaxErrorsNameTheirLine) {
  struct Case {
    const char* source;
    int line;
    const char* message_part;
  };
  const Case cases[] = {
      {"x = 1\ny = \"open\n", 2, "unterminated string"},
      {"x = 1\n\ncx.ConnectOpen(\"a\", \"b\")\n", 3, "need Call"},
      {"On Error GoTo 10\n", 1, "GoTo 0"},
      {"On Error\n", 1, "Resume Next"},
      {"Set cx.Prop\n", 1, "expected '='"},
      {"Set cx. = o\n", 1, "member name"},
      {"Do While x\n", 1, "'Do' statements"},
      {"x = 1 * 2\n", 1, "unexpected character '*'"},
      {"x = 1\nNext\n", 2, "'Next' without"},
      {"For i = 1 To 3\nPrint i\nNext j\n", 3, "does not close 'For i'"},
      {"For i = 1 To 3 Print i\nNext\n", 1, "expected end of statement"},
      {"If a Then For i = 1 To 2\n", 1, "cannot be part of a one-line If"},
      {"If a Then\nPrint 1\nEnd Sub\n", 3, "expected 'If'"},
      {"If a Print 1\n", 1, "expected 'Then'"},
      {"x = 2147483648\n", 1, "too large"},
      {"x = 99999999999999999999\n", 1, "too large"},
      {"x =\n", 1, "expected an expression"},
      {"Call x\n", 1, "Call needs an object member"},
      {"Print 1 2\n", 1, "expected end of statement"},
      {"cx.\n", 1, "member name"},
      {"x\n", 1, "expected '='"},
      {"CreateObject(\"a\")\n", 1, "cannot stand alone"},
      {"True = 1\n", 1, "expected a statement"},
      {"Dim Set\n", 1, "variable name"},
      {"x = (1\n", 1, "expected ')'"},
      {"a = 1 _\n_\nb = 12abc\n", 3, "malformed number"},
      {"x = \"caf\xC3\xA9\" \xC3\xA9\n", 1, "unexpected character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    auto e = orvex::testing::Caught<SyntaxError>([&] { Parse(c.source); });
    ASSERT_TRUE(e) << "no syntax error";
    EXPECT_EQ(e->line(), c.line);
    EXPECT_NE(std::string(e->what()).find(c.message_part), std::string::npos) << e->what();
  }
}

TEST(ParserTest, ReadsBlocksAndOneLineIfs) {
  Program p = Parse(
      "For i = 0 To n - 1 Step 2\n"
      "  If i = 2 Then\n"
      "    Print \"two\"\n"
      "  ElseIf i > 2 And Not done Then\n"
      "    Print \"more\": done = True\n"
      "  Else\n"
      "    If i < 0 Then Print \"neg\": x = 1 Else Print \"pos\"\n"
      "  End If\n"
      "Next i\n"
      "If ok Then cx.ConnectClose\n");
  ASSERT_EQ(p.size(), 2u);
  const Statement& loop = p[0];
  EXPECT_EQ(loop.kind, K::kFor);
  EXPECT_EQ(loop.name, "i");
  ASSERT_TRUE(loop.step);
  ASSERT_EQ(loop.body.size(), 1u);
  const Statement& branches = loop.body[0];
  EXPECT_EQ(branches.kind, K::kIf);
  ASSERT_EQ(branches.branches.size(), 2u);
  EXPECT_EQ(branches.branches[1].line, 4);
  EXPECT_EQ(Kinds(branches.branches[1].body), (std::vector<K>{K::kPrint, K::kAssign}));
  ASSERT_EQ(branches.body.size(), 1u);
  const Statement& one_line = branches.body[0];
  EXPECT_EQ(one_line.line, 7);
  EXPECT_EQ(Kinds(one_line.branches[0].body), (std::vector<K>{K::kPrint, K::kAssign}));
  EXPECT_EQ(Kinds(one_line.body), (std::vector<K>{K::kPrint}));
  EXPECT_EQ(p[1].line, 10);
  EXPECT_EQ(p[1].branches[0].body[0].target->name, "ConnectClose");

  // Operators bind as in VBScript: Not a = b is Not (a = b); & is looser than -.
  Program q = Parse("x = Not a = b - 1 & c Or d\n");
  const Expr& e = *q[0].value;
  ASSERT_EQ(e.kind, Expr::Kind::kBinary);
  EXPECT_EQ(e.op, BinaryOp::kOr);
  const Expr& negated = *e.operands[0];
  ASSERT_EQ(negated.kind, Expr::Kind::kNot);
  const Expr& compare = *negated.operands[0];
  EXPECT_EQ(compare.op, BinaryOp::kEqual);
  EXPECT_EQ(compare.operands[1]->op, BinaryOp::kConcat);
  EXPECT_EQ(compare.operands[1]->operands[0]->op, BinaryOp::kSubtract);
}

TEST(ParserTest, UnclosedBlocksAreIncomplete) {
  for (const char* source : {"For i = 1 To 2\nPrint i\n", "If a Then\nPrint 1\nElse\n"}) {
    auto e = orvex::testing::Caught<SyntaxError>([&] { Parse(source); });
    ASSERT_TRUE(e) << source;
    EXPECT_TRUE(e->incomplete()) << source;
  }
  auto e = orvex::testing::Caught<SyntaxError>([] { Parse("x = (1\n"); });
  ASSERT_TRUE(e);
  EXPECT_FALSE(e->incomplete());
}

TEST(ParserTest, RefusesNestingThatWouldExhaustTheStack) {
  auto repeat = [](std::string_view piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
  };
  EXPECT_NO_THROW(Parse("x = " + repeat("(", 100) + "1" + repeat(")", 100) + "\n"));
  EXPECT_NO_THROW(Parse("x = 1" + repeat(" & 1", 500) + "\n"));
  const std::string hostile[] = {
      "x = " + repeat("(", 100000) + "1\n",     "x = " + repeat("-", 100000) + "x\n",
      "x = " + repeat("Not ", 100000) + "x\n",  "x = 1" + repeat(" & 1", 100000) + "\n",
      "x = o" + repeat(".a", 100000) + "\n",    repeat("If a Then\n", 100000),
      repeat("If a Then ", 100000) + "x = 1\n",
  };
  for (const std::string& source : hostile) {
    auto e = orvex::testing::Caught<SyntaxError>([&] { Parse(source); });
    ASSERT_TRUE(e) << source.substr(0, 40);
    EXPECT_EQ(e->line(), source.rfind("If a Then\n", 0) == 0 ? 200 : 1) << e->what();
    EXPECT_FALSE(e->incomplete());
  }
}

TEST(ParserTest, RecognisesContinuedLines) {
  EXPECT_TRUE(EndsWithContinuation("cx.ConnectOpen \"docs\", _"));
  EXPECT_TRUE(EndsWithContinuation("x = \"a\" & _   "));
  EXPECT_FALSE(EndsWithContinuation("x = my_"));
  EXPECT_FALSE(EndsWithContinuation("x = \"ends with _"));
  EXPECT_FALSE(EndsWithContinuation("x = 1 ' comment _"));
  EXPECT_FALSE(EndsWithContinuation("Print \"a _\""));
  EXPECT_FALSE(EndsWithContinuation(""));
}

}  // namespace
}  // namespace orvex::console
