#include "server/webdav/status.h"

#include <gtest/gtest.h>

#include "server/error.h"

namespace orvex::server::webdav {
namespace {

TEST(StatusTest, MapsStatusesToErrorNumbers) {
  EXPECT_EQ(ErrorForStatus(401, "PROPFIND"), kErrAccessDenied);
  EXPECT_EQ(ErrorForStatus(423, "PROPPATCH"), kErrAccessDenied);
  EXPECT_EQ(ErrorForStatus(403, "PROPFIND"), kErrPermissionDenied);
  EXPECT_EQ(ErrorForStatus(404, "PROPFIND"), kErrObjectNotFound);
  EXPECT_EQ(ErrorForStatus(409, "MKCOL"), kErrObjectNotFound);
  EXPECT_EQ(ErrorForStatus(412, "MOVE"), kErrAlreadyExists);
  EXPECT_EQ(ErrorForStatus(405, "MKCOL"), kErrAlreadyExists);
  // 405 only means "exists" for MKCOL; elsewhere the method is just refused.
  EXPECT_EQ(ErrorForStatus(405, "PROPPATCH"), kErrGenericFailure);
  for (long status : {0L, 200L, 207L, 301L, 400L, 415L, 500L, 502L, 507L})
    EXPECT_EQ(ErrorForStatus(status, "PROPFIND"), kErrGenericFailure) << status;
}

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
