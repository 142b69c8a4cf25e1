// The pieces that turn request text into store terms: paths, property names,
// credentials.
#include <gtest/gtest.h>

#include "docstore/auth.h"
#include "docstore/prop_name.h"
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

TEST(PropNameTest, SplitsAtTheLastSeparatorAndJoinsBack) {
  struct Case {
    const char* full;
    const char* ns;
    const char* local;
  };
  for (const Case& c :
       std::initializer_list<Case>{{"DAV:displayname", "DAV:", "displayname"},
                                   {"urn:schemas-microsoft-com:publishing:IsCheckedOut",
                                    "urn:schemas-microsoft-com:publishing:", "IsCheckedOut"},
                                   {"urn:schemas-microsoft-com:office:office#Author",
                                    "urn:schemas-microsoft-com:office:office", "Author"},
                                   {"urn:schemas-microsoft-com:workspace#CategoriesFolder",
                                    "urn:schemas-microsoft-com:workspace", "CategoriesFolder"},
                                   {"http://example.com/ns/prop", "http://example.com/ns/", "prop"},
                                   {"urn:x;y", "urn:x;", "y"},
                                   {"urn:x?y", "urn:x?", "y"},
                                   {"plain", "", "plain"}}) {
    PropName name = SplitPropertyName(c.full);
    EXPECT_EQ(name.ns, c.ns) << c.full;
    EXPECT_EQ(name.local, c.local) << c.full;
    EXPECT_EQ(JoinPropertyName(name.ns, name.local), c.full);
  }
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

}  // namespace
}  // namespace orvex::docstore
