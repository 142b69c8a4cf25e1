#include "server/webdav/status.h"

#include <gtest/gtest.h>

namespace orvex::server::webdav {
namespace {

TEST(StatusTest, ReadsNumberedAndBareStatusLines) {
  EXPECT_EQ(ParseStatusLine("HTTP/1.1 200 OK"), 200);
  EXPECT_EQ(ParseStatusLine("  HTTP/1.0  404 Not Found\n"), 404);
  EXPECT_EQ(ParseStatusLine("200 OK"), 200);
  EXPECT_EQ(ParseStatusLine("424"), 424);
  EXPECT_EQ(ParseStatusLine(""), 0);
  EXPECT_EQ(ParseStatusLine("HTTP/1.1"), 0);
  EXPECT_EQ(ParseStatusLine("OK"), 0);
  EXPECT_EQ(ParseStatusLine("2000 OK"), 0);
}

}  // namespace
}  // namespace orvex::server::webdav
