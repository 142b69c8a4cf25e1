// Platform seams: automation values, the registry file, the host map and the
// thread language.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/dispatch.h"
#include "platform/flag.h"
#include "platform/host_map.h"
#include "platform/language.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "support/error_of.h"
#include "support/temp_dir.h"

namespace orvex::platform {
namespace {

using orvex::testing::ErrorOf;

TEST(VariantTest, ConversionsFollowTheAutomationRules) {
  EXPECT_EQ(Variant(true).ToInt32(), -1);
  EXPECT_EQ(Variant(false).ToInt32(), 0);
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_EQ(Variant().ToInt16(), 0);
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(" 42 ").ToInt32(), 42);
  EXPECT_TRUE(Variant("true").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_TRUE(Variant("1").ToBool());
  EXPECT_EQ(ErrorOf<AutomationError>([] { Variant(Null{}).ToString(); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf<AutomationError>([] { Variant("abc").ToInt32(); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf<AutomationError>([] { Variant(int32_t{40000}).ToInt16(); }), kErrOverflow);
  EXPECT_EQ(ErrorOf<AutomationError>([] { Variant(VariantArray{}).ToString(); }), kErrTypeMismatch);
}

TEST(FlagTest, ReadsBooleansIntegersAndFourWordsAndNothingElse) {
  EXPECT_EQ(ParseFlag(Variant()), false);
  EXPECT_EQ(ParseFlag(Variant(Null{})), false);
  EXPECT_EQ(ParseFlag(Variant(true)), true);
  EXPECT_EQ(ParseFlag(Variant(false)), false);
  EXPECT_EQ(ParseFlag(Variant(int16_t{-1})), true);
  EXPECT_EQ(ParseFlag(Variant(int32_t{0})), false);
  EXPECT_EQ(ParseFlag(Variant(int32_t{40000})), true);
  EXPECT_EQ(ParseFlag(Variant("1")), true);
  EXPECT_EQ(ParseFlag(Variant("0")), false);
  EXPECT_EQ(ParseFlag(Variant("tRuE")), true);
  EXPECT_EQ(ParseFlag(Variant("FALSE")), false);
  for (const char* text : {"", "2", " 1", "01", "true ", "yes", "on"})
    EXPECT_EQ(ParseFlag(Variant(text)), std::nullopt) << '"' << text << '"';
  EXPECT_EQ(ParseFlag(Variant(VariantArray{Variant("1")})), std::nullopt);
}

TEST(TextTest, TrimTakesOnlyTheGivenBlanksAndLowerAsciiLeavesOtherBytes) {
  EXPECT_EQ(Trim(" \t a b \t"), "a b");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim("\r\nx\r\n"), "\r\nx\r\n");  // the default is spaces and tabs
  EXPECT_EQ(Trim("\r\nx\r\n", " \r\n"), "x");
  EXPECT_EQ(LowerAscii("WWW-Authenticate \xC3\x89T\xC3\x89"), "www-authenticate \xC3\x89t\xC3\x89");
}

TEST(RegistryTest, ReadsWritesAndDeletesKeysInRegFileFormat) {
  testing::TempDir dir("registry");
  const std::string path = dir.path() + "/test.reg";
  {
    std::ofstream(path) << "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
                        << "[HKEY_CLASSES_ROOT\\A\\B]\r\n"
                        << "@=\"default\"\r\n"
                        << "\"Quoted\"=\"say \\\"hi\\\" \\\\ bye\"\r\n"
                        << "\"Count\"=dword:0000000a\r\n"
                        << "\"Binary\"=hex:01,02\r\n"
                        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\A\\B]\r\n"
                        << "\"Other\"=\"view\"\r\n"
                        << "[-HKEY_CLASSES_ROOT\\Gone]\r\n";
  }
  Registry r(path);
  ASSERT_TRUE(r.Load());
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, "a\\b", ""), "default");
  EXPECT_EQ(r.QueryString(Hive::kClassesRoot, "A\\B", "quoted"), "say \"hi\" \\ bye");
  EXPECT_FALSE(r.QueryString(Hive::kClassesRoot, "A\\B", "Count"));  // not a string
  EXPECT_FALSE(r.QueryString(Hive::kClassesRoot, "A\\B", "Other"));  // views are distinct
  EXPECT_EQ(r.QueryString(Hive::kLocalMachine, "SOFTWARE\\Classes\\A\\B", "Other"), "view");

  r.SetValue(Hive::kClassesRoot, "A\\B\\C", "x", std::string("1"));
  r.DeleteTree(Hive::kLocalMachine, "SOFTWARE\\Classes\\A");
  ASSERT_TRUE(r.Save());
  Registry again(path);
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.QueryString(Hive::kClassesRoot, "A\\B", "Quoted"), "say \"hi\" \\ bye");
  EXPECT_EQ(again.QueryString(Hive::kClassesRoot, "A\\B\\C", "x"), "1");
  EXPECT_FALSE(again.KeyExists(Hive::kLocalMachine, "SOFTWARE\\Classes\\A\\B"));
  again.DeleteTree(Hive::kClassesRoot, "A");
  EXPECT_FALSE(again.KeyExists(Hive::kClassesRoot, "A\\B\\C"));

  std::ofstream(path) << "not a registry file\n";
  EXPECT_FALSE(again.Load());
  std::filesystem::remove(path);
  Registry missing(path);
  EXPECT_TRUE(missing.Load());
}

TEST(HostMapTest, ParsesAddresses) {
  auto a = ParseHostAddress("127.0.0.1:8080");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->address, "127.0.0.1");
  EXPECT_EQ(a->port, 8080);
  auto v6 = ParseHostAddress("[::1]:81");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->address, "::1");
  for (const char* bad : {"", "127.0.0.1", ":80", "host:0", "host:70000", "host:8x", "::1:80"})
    EXPECT_FALSE(ParseHostAddress(bad)) << bad;
}

TEST(LanguageTest, LocaleEnvironmentAndThreadOverride) {
  EXPECT_EQ(LanguageOfLocale("ja_JP.UTF-8"), kLangJapanese);
  EXPECT_EQ(LanguageOfLocale("ja"), kLangJapanese);
  EXPECT_EQ(LanguageOfLocale("jam"), kLangEnglish);
  EXPECT_EQ(LanguageOfLocale("en_US.UTF-8"), kLangEnglish);
  ::setenv("LC_ALL", "", 1);
  ::setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(ThreadLanguage(), kLangJapanese);
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(ThreadLanguage(), kLangEnglish);
  SetThreadLanguage(kLangJapanese);
  EXPECT_EQ(ThreadLanguage(), kLangJapanese);
  SetThreadLanguage(std::nullopt);
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
}

}  // namespace
}  // namespace orvex::platform
