#include "options.h"

#include <gtest/gtest.h>

namespace orvex::console {
namespace {

Options Parse(std::vector<std::string_view> args) { return ParseOptions(args); }

TEST(OptionsTest, ReadsEveryOptionInEitherSpelling) {
  Options o = Parse({"--json", "--embedded", "--seed", "s.json", "--store=/tmp/st", "--map-host",
                     "docs=127.0.0.1:8080", "--map-host=Other=[::1]:81", "--hosts", "a.conf",
                     "--map-host", "tls=https://dms.example.com:8443/", "--hosts=b.conf", "--ui",
                     "qt", "--lang=ja", "--screenshots", "shots", "demo.vbs"});
  EXPECT_TRUE(o.json);
  EXPECT_TRUE(o.embedded);
  EXPECT_EQ(o.seed_file, "s.json");
  EXPECT_EQ(o.store_dir, "/tmp/st");
  ASSERT_EQ(o.host_map.size(), 3u);
  EXPECT_EQ(o.host_map[0].first, "docs");
  EXPECT_EQ(o.host_map[0].second, "http://127.0.0.1:8080/");
  EXPECT_EQ(o.host_map[1].first, "Other");
  EXPECT_EQ(o.host_map[1].second, "http://[::1]:81/");
  EXPECT_EQ(o.host_map[2].second, "https://dms.example.com:8443/");
  EXPECT_EQ(o.hosts_files, (std::vector<std::string>{"a.conf", "b.conf"}));
  EXPECT_EQ(o.toolkit, "qt");
  EXPECT_EQ(o.language, 1041);
  EXPECT_EQ(o.screenshots, "shots");
  EXPECT_EQ(o.script, "demo.vbs");
  EXPECT_EQ(Parse({"--lang", "en"}).language, 1033);

  Options defaults = Parse({});
  EXPECT_FALSE(defaults.json || defaults.embedded || defaults.help || defaults.language);
  EXPECT_EQ(defaults.script, "");
  EXPECT_EQ(Parse({"-"}).script, "-");
  EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(OptionsTest, RejectsUnusableCommandLines) {
  const std::vector<std::vector<std::string_view>> bad = {
      {"--map-host", "docs"},
      {"--map-host", "docs=127.0.0.1"},
      {"--map-host", "=127.0.0.1:80"},
      {"--map-host", "do/cs=127.0.0.1:80"},
      {"--map-host", "docs=127.0.0.1:99999"},
      {"--map-host", "docs=ftp://127.0.0.1:80/"},
      {"--map-host", "docs=https://dms.example.com/dav/"},
      {"--map-host", "docs:80=https://dms.example.com/"},
      {"--hosts="},
      {"--seed"},
      {"--seed", "s.json", "a.vbs"},
      {"--store", "/tmp/x", "--json"},
      {"--verbose"},
      {"--seedfile=x", "--embedded"},
      {"a.vbs", "b.vbs"},
      {"a.vbs", "--json"},
      {"--lang", "de"},
      {"--lang=EN"},
      {"--ui="},
      {"--screenshots"},
  };
  for (const auto& args : bad) {
    SCOPED_TRACE(testing::PrintToString(args));
    EXPECT_THROW(Parse(args), UsageError);
  }
}

}  // namespace
}  // namespace orvex::console
