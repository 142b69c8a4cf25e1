#include "server/webdav/url.h"

#include <gtest/gtest.h>

namespace orvex::server::webdav {
namespace {

TEST(UrlTest, ParsesServerUrls) {
  auto u = ParseUrl("http://docs/Sales/My Reports");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->scheme, "http");
  EXPECT_EQ(u->host, "docs");
  EXPECT_EQ(u->authority, "docs");
  EXPECT_EQ(u->port, 80);
  EXPECT_EQ(u->path, "/Sales/My Reports");

  u = ParseUrl("HTTP://Docs:8080");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->host, "Docs");
  EXPECT_EQ(u->port, 8080);
  EXPECT_EQ(u->path, "");

  u = ParseUrl("https://[::1]:8443/a");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->host, "::1");
  EXPECT_EQ(u->authority, "[::1]:8443");
  EXPECT_EQ(u->port, 8443);

  for (const char* bad : {"", "docs/Sales", "ftp://docs/a", "http://", "http:///a",
                          "http://user:pw@docs/a", "http://docs:0/", "http://docs:99999/",
                          "http://docs:/a", "http://docs:80x/", "http://[::1/a", "http://a b/"})
    EXPECT_FALSE(ParseUrl(bad)) << bad;
}

TEST(UrlTest, EncodesEveryReservedByteOfAPathButSlashes) {
  EXPECT_EQ(PercentEncodePath("/Sales/My Reports"), "/Sales/My%20Reports");
  EXPECT_EQ(PercentEncodePath("/a-b_c.d~e/"), "/a-b_c.d~e/");
  EXPECT_EQ(PercentEncodePath("/100%/a#b?c;d=e&f+g:h@i,j"),
            "/100%25/a%23b%3Fc%3Bd%3De%26f%2Bg%3Ah%40i%2Cj");
  EXPECT_EQ(PercentEncodePath("/K\xC3\xB6ln/\xE6\x97\xA5"), "/K%C3%B6ln/%E6%97%A5");

  Url u = *ParseUrl("http://docs/Sales/My Reports");
  EXPECT_EQ(WireUrl(u, true), "http://docs/Sales/My%20Reports");
  EXPECT_EQ(WireUrl(u, false), "http://docs/Sales/My Reports");
  EXPECT_EQ(WireUrl(*ParseUrl("http://docs"), true), "http://docs/");
}

TEST(UrlTest, DecodesWhatItEncodes) {
  for (const char* path : {"/Sales/My Reports", "/100%/a#b?c", "/K\xC3\xB6ln/", "/%zz"})
    EXPECT_EQ(PercentDecode(PercentEncodePath(path)), path);
  EXPECT_EQ(PercentDecode("/a%2fb%2"), "/a/b%2");  // lower-case hex; a cut-off escape stays
  EXPECT_EQ(PercentDecode("a+b"), "a+b");
}

TEST(UrlTest, ReadsHrefsAsPathsOrAbsoluteUrls) {
  EXPECT_EQ(HrefPath("/Sales/My%20Reports/"), "/Sales/My%20Reports/");
  EXPECT_EQ(HrefPath("http://docs/Sales/?q#f"), "/Sales/");
  EXPECT_EQ(HrefPath("http://docs"), "/");
  EXPECT_EQ(HrefAuthority("http://docs:81/Sales/"), "docs:81");
  EXPECT_EQ(HrefAuthority("/Sales/"), "");
  EXPECT_EQ(LastSegment("/Sales/Reports/"), "Reports");
  EXPECT_EQ(LastSegment("/Sales"), "Sales");
  EXPECT_EQ(LastSegment("/"), "");
  EXPECT_EQ(TrimTrailingSlashes("/a//"), "/a");
}

}  // namespace
}  // namespace orvex::server::webdav
