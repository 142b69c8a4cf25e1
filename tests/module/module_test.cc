// Module services: name checks, the comma split, the trapping field readers
// and writers, the prerequisite check and the string table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "module/comma_split.h"
#include "module/field_access.h"
#include "module/names.h"
#include "module/prerequisite.h"
#include "platform/dispatch.h"
#include "platform/language.h"
#include "resources/strings.h"
#include "support/temp_dir.h"

namespace orvex::module {
namespace {

std::vector<std::string> Strings(const VariantArray& parts) {
  std::vector<std::string> out;
  for (const Variant& v : parts) out.push_back(v.ToString());
  return out;
}

TEST(NamesTest, NameAndPathChecks) {
  EXPECT_TRUE(IsValidName("Reports"));
  EXPECT_TRUE(IsValidName("Q1 plan.doc"));
  EXPECT_TRUE(IsValidPath("Reports/2001"));
  for (const char* bad : {"", "a/b", "a:b", "a*b", "a?b", "a\"b", "a\\b", "a|b", "a<b", "a>b"})
    EXPECT_FALSE(IsValidName(bad)) << bad;
  for (const char* bad : {"", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a|b", "a<b", "a>b"})
    EXPECT_FALSE(IsValidPath(bad)) << bad;
}

TEST(SplitByCommaTest, SplitsAtEveryCommaWithoutTrimming) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Strings(SplitByComma("")), V{""});
  EXPECT_EQ(Strings(SplitByComma(",")), V{""});
  EXPECT_EQ(Strings(SplitByComma("a")), V{"a"});
  EXPECT_EQ(Strings(SplitByComma("a,b")), (V{"a", "b"}));
  EXPECT_EQ(Strings(SplitByComma("a,,b")), (V{"a", "", "b"}));
  EXPECT_EQ(Strings(SplitByComma("a,")), (V{"a", ""}));
  EXPECT_EQ(Strings(SplitByComma(",a")), (V{"", "a"}));
  EXPECT_EQ(Strings(SplitByComma(" a , b ")), (V{" a ", " b "}));
}

class StubItem : public server::Item {
 public:
  StubItem() : Item(server::ItemKind::kDocument) {}
  void Open(const server::BindArgs&) override {}
  void SaveTo(const server::BindArgs&) override {}
  void Delete(const std::string&) override {}
  void MoveTo(const std::string&) override {}
  server::Recordset ListWorkspaces(Columns) override { return {}; }
  server::Recordset ListSubfolders(Columns) override { return {}; }
};

TEST(FieldAccessTest, ReadersAnswerTheirFailureValuesInsteadOfRaising) {
  server::Fields row({{"one", Variant("a")},
                      {"many", Variant(VariantArray{Variant("a"), Variant("b"), Variant("c")})},
                      {"null", Variant(Null{})},
                      {"flag", Variant(true)}});
  server::Recordset rows({row});
  EXPECT_EQ(RecordsetFieldCount(rows, "many"), 3);
  EXPECT_EQ(RecordsetFieldCount(rows, "one"), -1);
  EXPECT_EQ(RecordsetFieldText(rows, "one"), "a");
  EXPECT_EQ(RecordsetFieldText(rows, "ONE"), "a");  // field names ignore case
  EXPECT_EQ(RecordsetFieldText(rows, "flag"), "True");
  EXPECT_EQ(RecordsetFieldText(rows, "null"), "");
  EXPECT_EQ(RecordsetFieldText(rows, "many"), "");
  rows.MoveNext();
  EXPECT_EQ(RecordsetFieldText(rows, "one"), "");
  EXPECT_EQ(RecordsetFieldCount(rows, "many"), -1);

  StubItem item;
  ASSERT_TRUE(SetItemFieldText(item, "one", "x"));
  ASSERT_TRUE(SetItemFieldList(item, "many", "a,b"));
  EXPECT_EQ(ItemFieldText(item, "one"), "x");
  EXPECT_EQ(ItemFieldCount(item, "many"), 2);
  EXPECT_EQ(ItemFieldCount(item, "one"), 0);
  EXPECT_EQ(ItemFieldText(item, "missing"), "");
  EXPECT_EQ(ArrayCount(item.GetFields().Value("many")), 2);
  EXPECT_EQ(ArrayCount(Variant("a")), 0);
  EXPECT_FALSE(FlagValue(Variant(Null{})));
  EXPECT_TRUE(FlagValue(Variant("1")));
  EXPECT_TRUE(FlagValue(Variant(" 2")));  // no flag, but a number's text
  EXPECT_FALSE(FlagValue(Variant("-0")));
  EXPECT_THROW(FlagValue(Variant("maybe")), AutomationError);
  // Nothing is sent: the changes wait for the caller's update.
  EXPECT_EQ(item.GetFields().pending().size(), 2u);
}

class PrerequisiteTest : public ::testing::Test {
 protected:
  void Write(const std::string& body) {
    std::ofstream(path_) << "Windows Registry Editor Version 5.00\r\n\r\n" << body;
  }
  testing::TempDir dir_{"prerequisite"};
  const std::string path_ = dir_.path() + "/registry.reg";
};

TEST_F(PrerequisiteTest, BothRegistryViewsMustCarryTheProductName) {
  const std::string machine =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Installer\\Products\\"
      "64BB78C5AA2D29747A6372E627A870D9]\r\n";
  const std::string classes =
      "[HKEY_CLASSES_ROOT\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9]\r\n";
  const std::string name =
      "\"ProductName\"=\"Client Components for Microsoft SharePoint Portal Server 2001\"\r\n";
  EXPECT_FALSE(IsClientInstalled(path_));  // no file at all
  Write(machine + name);
  EXPECT_FALSE(IsClientInstalled(path_));
  Write(classes + name);
  EXPECT_FALSE(IsClientInstalled(path_));
  Write(machine + name + classes + "\"Other\"=\"x\"\r\n");
  EXPECT_FALSE(IsClientInstalled(path_));
  Write(machine + name + classes +
        "\"ProductName\"=\"client components for Microsoft SharePoint Portal Server 2001\"\r\n");
  EXPECT_FALSE(IsClientInstalled(path_));
  Write(
      machine + name + classes +
      "\"ProductName\"=\"Client Components for Microsoft SharePoint Portal Server 2001 SP1\"\r\n");
  EXPECT_TRUE(IsClientInstalled(path_));

  std::filesystem::remove(path_);
  ASSERT_TRUE(RegisterClientComponents(path_));
  EXPECT_TRUE(IsClientInstalled(path_));
}

TEST(StringTableTest, BothLanguagesAndTheNameNotice) {
  using resources::LoadString;
  using resources::TextId;
  int held = 0;
  for (int id = 100; id <= 146; ++id) {
    bool en = !LoadString(static_cast<TextId>(id), platform::kLangEnglish).empty();
    EXPECT_EQ(en, !LoadString(static_cast<TextId>(id), platform::kLangJapanese).empty()) << id;
    held += en;
  }
  EXPECT_EQ(held, 43);
  EXPECT_EQ(LoadString(static_cast<TextId>(113), platform::kLangEnglish), "");
  EXPECT_EQ(LoadString(TextId::kForbiddenCharacters, platform::kLangEnglish),
            ":*?<>\\|/\" is not acceptable for % field. Please change and try again.");
  EXPECT_EQ(LoadString(TextId::kForbiddenCharacters, platform::kLangJapanese),
            "%に:*?<>\\|/\" は使用できません。変更して下さい。");
  EXPECT_EQ(LoadString(TextId::kRequiredChoose, platform::kLangEnglish),
            LoadString(TextId::kRequiredEnter, platform::kLangEnglish));
  EXPECT_NE(LoadString(TextId::kRequiredChoose, platform::kLangJapanese),
            LoadString(TextId::kRequiredEnter, platform::kLangJapanese));
  EXPECT_EQ(resources::ReplacePercent("% and %", "Topics"), "Topics and Topics");

  platform::SetThreadLanguage(platform::kLangJapanese);
  EXPECT_EQ(LoadString(TextId::kCancel), "キャンセル");
  platform::SetThreadLanguage(std::nullopt);
}

}  // namespace
}  // namespace orvex::module
