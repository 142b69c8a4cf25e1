// Opening and closing connections over real HTTP against the docstore.
#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "support/ports.h"

namespace orvex::testing {
namespace {

using ConnectHttpTest = DocstoreTest;

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

TEST_F(ConnectHttpTest, ServerNotListeningGivesAFailureAndTheObjectStaysUsable) {
  auto obj = NewObject();
  Reach("docs", FreeLoopbackPort());
  EXPECT_FALSE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeFailure);
  EXPECT_EQ(obj->ConnectOpenEx("docs", "jones", "CORP", "secret"), -1);
  EXPECT_EQ(obj->GetLastErrorEx(0), engine::kCodeFailure);
  Reach("docs", store_->port());
  EXPECT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(obj->ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
}

}  // namespace
}  // namespace orvex::testing
