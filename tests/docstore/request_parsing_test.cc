// The pieces that turn request text into store terms: paths, credentials,
// If headers. Property names are the wire's, split and joined in
// tests/server/property_name_test.cc.
#include <gtest/gtest.h>

#include "docstore/auth.h"
#include "docstore/if_header.h"
#include "docstore/url.h"

namespace orvex::docstore {
namespace {

TEST(RequestPathTest, DecodesSegmentsAndRefusesUnsafeOnes) {
  EXPECT_EQ(ParseRequestPath("/"), "/");
  EXPECT_EQ(ParseRequestPath("/Sales/"), "/Sales");
  EXPECT_EQ(ParseRequestPath("/Sales/My%20Reports/plan.doc"), "/Sales/My Reports/plan.doc");
  EXPECT_EQ(ParseRequestPath("http://docs/Sales/Reports/"), "/Sales/Reports");
  EXPECT_EQ(ParseRequestPath("http://docs"), "/");
  EXPECT_EQ(ParseRequestPath("/Sales//Reports?x=1"), "/Sales/Reports");
  EXPECT_EQ(ParseRequestPath("/Sales/%E6%97%A5%E6%9C%AC"), "/Sales/\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(ParseRequestPath("/Schema/urn%3Aa%3Ab%23C"), "/Schema/urn:a:b#C");
  EXPECT_EQ(ParseRequestPath("/a/...b"), "/a/...b");
  for (const char* bad : {"", "Sales", "/a/../b", "/a/./b", "/a/%2E%2e/b", "/a/b%2Fc", "/a/%5c",
                          "/a/b\\c", "/a/%00", "/a/%1f", "/a/%7f", "/a/%", "/a/%4", "/a/%g0",
                          "/a/%C3", "/a/%C0%80", "/a/%F4%90%80%80", "/a/#b", "/.."}) {
    EXPECT_FALSE(ParseRequestPath(bad)) << bad;
  }
}

TEST(RequestPathTest, HrefsEncodeEverythingOutsideTheUnreservedSet) {
  EXPECT_EQ(EncodeHref("/", true), "/");
  EXPECT_EQ(EncodeHref("/Sales/My Reports", true), "/Sales/My%20Reports/");
  EXPECT_EQ(EncodeHref("/a/b#c?d%e", false), "/a/b%23c%3Fd%25e");
  EXPECT_EQ(EncodeHref("/\xC3\xA9", false), "/%C3%A9");
  // Encoding and decoding are inverse for every valid segment.
  std::string name = "x y:z;#?%&\xE2\x82\xAC";
  EXPECT_EQ(ParseRequestPath(EncodeHref("/" + name, false)), "/" + name);
  EXPECT_EQ(ParentPath("/a/b"), "/a");
  EXPECT_EQ(ParentPath("/a"), "/");
  EXPECT_EQ(LastSegment("/a/b"), "b");
  EXPECT_EQ(JoinPath("/", "a"), "/a");
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
}

TEST(BasicAuthTest, ReadsUserWithDomainAndPassword) {
  // base64("CORP\jones:se:cret")
  auto c = ParseBasicAuth("Basic Q09SUFxqb25lczpzZTpjcmV0");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->user, "CORP\\jones");
  EXPECT_EQ(c->password, "se:cret");
  EXPECT_TRUE(ParseBasicAuth("basic  Z3Vlc3Q6Z3Vlc3Q="));
  EXPECT_EQ(ParseBasicAuth("Basic Z3Vlc3Q6")->password, "");
  // No scheme, another scheme, no colon ("guest"), a character outside the
  // alphabet, a lone trailing character.
  for (const char* bad :
       {"", "Basic", "Basic ", "Bearer Z3Vlc3Q6Z3Vlc3Q=", "Basic Z3Vlc3Q",
        "Basic Z3Vlc3Q=", "Basic Z3V*c3Q6Z3Vlc3Q=", "Basic Zg", "Basic Z3Vlc3Q6Z"})
    EXPECT_FALSE(ParseBasicAuth(bad)) << bad;
}

TEST(IfHeaderTest, ReadsTaggedAndUntaggedListsAndRefusesWhatBreaksTheGrammar) {
  auto untagged = ParseIfHeader(
      "(<opaquelocktoken:a> [\"1-2\"]) (Not <DAV:no-lock> [W/\"x]y\"])  (not<urn:b>)");
  ASSERT_TRUE(untagged);
  ASSERT_EQ(untagged->lists.size(), 3u);
  EXPECT_FALSE(untagged->lists[0].tagged);
  ASSERT_EQ(untagged->lists[0].conditions.size(), 2u);
  EXPECT_EQ(untagged->lists[0].conditions[0].value, "opaquelocktoken:a");
  EXPECT_TRUE(untagged->lists[0].conditions[1].etag);
  EXPECT_EQ(untagged->lists[0].conditions[1].value, "\"1-2\"");
  EXPECT_TRUE(untagged->lists[1].conditions[0].negate);
  EXPECT_EQ(untagged->lists[1].conditions[1].value, "W/\"x]y\"");
  EXPECT_TRUE(untagged->lists[2].conditions[0].negate);
  // Tokens under Not are not submitted.
  EXPECT_EQ(untagged->Tokens(), std::vector<std::string>{"opaquelocktoken:a"});

  auto tagged = ParseIfHeader(
      "<http://docs/Sales/a%20b> (<urn:x>) ([\"3\"]) </Sales/> (<urn:y>) <../x> (<urn:z>)");
  ASSERT_TRUE(tagged);
  ASSERT_EQ(tagged->lists.size(), 4u);
  EXPECT_EQ(tagged->lists[0].path, "/Sales/a b");
  EXPECT_EQ(tagged->lists[1].path, "/Sales/a b");
  EXPECT_EQ(tagged->lists[2].path, "/Sales");
  // A tag naming no path of the server keeps its list, which can never hold.
  EXPECT_TRUE(tagged->lists[3].tagged);
  EXPECT_EQ(tagged->lists[3].path, "");

  for (const char* bad : {"", "()", "(<a>", "(<>)", "<a> (<b>) (<c>) <d>", "(<a>) <b> (<c>)",
                          "<a> <b> (<c>)", "([\"1\")", "([1])", "(Not)", "(<a>) x"})
    EXPECT_FALSE(ParseIfHeader(bad)) << bad;
  EXPECT_TRUE(EtagsMatch("W/\"1\"", "\"1\""));
  EXPECT_FALSE(EtagsMatch("\"1\"", "\"2\""));
}

}  // namespace
}  // namespace orvex::docstore
