// Opening and closing connections over real HTTP against the docstore.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"

namespace orvex::testing {
namespace {

using ConnectHttpTest = DocstoreTest;

// A loopback port nothing listens on.
int ClosedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

TEST_F(ConnectHttpTest, GoodAndBadCredentials) {
  auto obj = NewObject();
  EXPECT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(obj->GetLastError(), 0);
  EXPECT_EQ(obj->DefaultServer().GetWorkspaceInfo(), 3);
  obj->ConnectClose();

  EXPECT_FALSE(obj->ConnectOpen("docs", "jones", "CORP", "wrong"));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeAccessDenied);
  EXPECT_FALSE(obj->ConnectOpen("docs", "jones", "", "secret"));  // the domain is part of the name
  EXPECT_EQ(obj->GetLastError(), engine::kCodeAccessDenied);
  EXPECT_EQ(obj->ConnectOpenEx("docs", "guest", "", "guest"), 0);
  EXPECT_EQ(obj->ServerTable(0).GetWorkspaceInfo(), 3);
  EXPECT_TRUE(obj->ConnectCloseEx(0));
}

TEST_F(ConnectHttpTest, BadHostNamesFailBeforeAnyRequest) {
  auto obj = NewObject();
  for (const char* host : {"docs/Public", "docs:80", ""}) {
    EXPECT_FALSE(obj->ConnectOpen(host, "jones", "CORP", "secret")) << host;
    EXPECT_EQ(obj->GetLastError(), engine::kCodeBadHostName) << host;
    EXPECT_EQ(obj->ConnectOpenEx(host, "jones", "CORP", "secret"), -1);
    EXPECT_EQ(obj->GetLastErrorEx(0), engine::kCodeBadHostName);
  }
}

TEST_F(ConnectHttpTest, SecondOpenFailsAndTheFirstStaysOpen) {
  auto obj = NewObject();
  ASSERT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_FALSE(obj->ConnectOpen("docs", "smith", "CORP", "secret"));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeAlreadyOpen);
  EXPECT_EQ(obj->DefaultServer().GetWorkspaceInfo(), 3);
}

TEST_F(ConnectHttpTest, ServerNotListeningGivesAFailureAndTheObjectStaysUsable) {
  auto obj = NewObject();
  platform::MapHost("docs", {"127.0.0.1", ClosedPort()});
  EXPECT_FALSE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeFailure);
  EXPECT_EQ(obj->ConnectOpenEx("docs", "jones", "CORP", "secret"), -1);
  EXPECT_EQ(obj->GetLastErrorEx(0), engine::kCodeFailure);
  platform::MapHost("docs", {"127.0.0.1", store_->port()});
  EXPECT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(obj->ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
}

}  // namespace
}  // namespace orvex::testing
