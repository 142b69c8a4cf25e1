// The engine's connection spine against the recording fake: the exact values
// each open passes, the error mapping, and the URLs items are addressed by.
#include "engine/server_class1.h"

#include <gtest/gtest.h>

#include "engine/error_codes.h"
#include "engine/row_list.h"
#include "fakes/fake_engine_test.h"
#include "server/error.h"

namespace orvex::engine {

// Sets the workspace fields the URL builders read, as a successful
// workspace switch leaves them.
class ServerClass1Test : public testing::FakeEngineTest {
 protected:
  void EnterWorkspace(const std::string& name) { engine_.CurrentWorkspace = name; }
};

TEST_F(ServerClass1Test, ConnectOpenPassesProviderSettingsAndOpensTheRootWithoutCredentials) {
  ASSERT_TRUE(engine_.ConnectOpen());
  EXPECT_EQ(engine_.cnx1().State(), server::kStateOpen);
  EXPECT_EQ(engine_.ErrorCode, 0);
  EXPECT_EQ(backend_->calls, (std::vector<std::string>{
                                 "OpenConnection http://docs/Public/Workspaces user=CORP\\jones "
                                 "password=secret options=-1 provider=MSDAIPP.DSO Prompt=4 Flush "
                                 "WinInet Password Cache=True Url Encoding=1",
                                 "Create WorkspaceRoot",
                                 "Open WorkspaceRoot http://docs/Public/Workspaces cnx=open mode=0 "
                                 "create=-1 options=0 user= password=",
                             }));
  // Connected, but no workspace yet.
  EXPECT_EQ(Refused(engine_.ConnectWorkspace()), kCodeNoWorkspace);
}

TEST_F(ServerClass1Test, HostNamesFailingTheNameCheckOpenNothing) {
  for (const char* host : {"", "docs/x", "docs:8080", "a*b", "a\\b", "a|b", "a<b", "a\"b"}) {
    engine_.HostName = host;
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.ConnectOpen()), kCodeBadHostName) << host;
  }
  EXPECT_TRUE(backend_->calls.empty());
}

TEST_F(ServerClass1Test, EveryServerErrorNumberMapsToItsCode) {
  const std::vector<std::pair<int32_t, int32_t>> mapping = {
      {server::kErrObjectOpen, kCodeAlreadyOpen},
      {server::kErrPermissionDenied, kCodePermissionDenied},
      {server::kErrObjectNotFound, kCodeNotFound},
      {server::kErrFileRead, kCodeFileRead},
      {server::kErrAlreadyExists, kCodeAlreadyExists},
      {server::kErrAccessDenied, kCodeAccessDenied},
      {server::kErrGenericFailure, kCodeFailure},
      {12345, kCodeFailure},
  };
  for (auto [number, code] : mapping) {
    backend_->failures["OpenConnection"] = number;
    EXPECT_EQ(Refused(engine_.ConnectOpen()), code) << number;
    EXPECT_EQ(engine_.cnx1().State(), server::kStateClosed);
  }
}

TEST_F(ServerClass1Test, FailedRootOpenClosesTheConnectionAndLeavesTheEngineUsable) {
  backend_->failures["Open WorkspaceRoot"] = server::kErrPermissionDenied;
  EXPECT_EQ(Refused(engine_.ConnectOpen()), kCodePermissionDenied);
  EXPECT_EQ(engine_.cnx1().State(), server::kStateClosed);
  EXPECT_EQ(backend_->CallsStartingWith("CloseConnection").size(), 1u);
  // The same engine opens once the server answers.
  EXPECT_TRUE(engine_.ConnectOpen());
}

TEST_F(ServerClass1Test, CloseOfANeverOpenedEngineDoesNothing) {
  engine_.ConnectClose();
  EXPECT_TRUE(backend_->calls.empty());
  EXPECT_EQ(engine_.ErrorCode, 0);
}

TEST_F(ServerClass1Test, UrlsOfItemsSchemaAndCategories) {
  // Without a workspace (or a host) every URL is empty.
  EXPECT_EQ(engine_.CreateURL(kUrlWorkspaceItem, ""), "");
  EXPECT_EQ(engine_.PreCreateURL(kUrlWorkspaceItem, "Reports", "plan.doc"), "");

  EnterWorkspace("Sales");
  engine_.RootCategory = "Categories";
  // The schema location is the workspace's to name.
  engine_.SysFolder = "http://docs/Sales/Definitions";
  EXPECT_EQ(engine_.CreateURL(kUrlWorkspaceItem, ""), "http://docs/Sales");
  EXPECT_EQ(engine_.CreateURL(kUrlWorkspaceItem, "Reports/2001"), "http://docs/Sales/Reports/2001");
  EXPECT_EQ(engine_.PreCreateURL(kUrlWorkspaceItem, "Reports", "plan.doc"),
            "http://docs/Sales/Reports/plan.doc");
  EXPECT_EQ(engine_.PreCreateURL(kUrlWorkspaceItem, "", "plan.doc"), "http://docs/Sales/plan.doc");
  EXPECT_EQ(engine_.PreCreateURL(kUrlWorkspaceItem, "Reports", ""), "");
  EXPECT_EQ(engine_.CreateURL(kUrlCategory, "Europe"), "http://docs/Sales/Categories/Europe");
  EXPECT_EQ(engine_.CreateURL(kUrlCategory, ""), "http://docs/Sales/Categories");
  EXPECT_EQ(engine_.CreateURL(kUrlSchema, "Memo"), "http://docs/Sales/Definitions/Memo");
  // Names go in unchanged; leading and trailing separators stay.
  EXPECT_EQ(engine_.CreateURL(kUrlWorkspaceItem, "My Reports/Ü"), "http://docs/Sales/My Reports/Ü");
  EXPECT_EQ(engine_.CreateURL(kUrlWorkspaceItem, "/a/"), "http://docs/Sales//a/");

  engine_.HostName.clear();
  EXPECT_EQ(engine_.CreateURL(kUrlWorkspaceItem, "Reports"), "");
}

// Row counts are 16-bit: a list holds 32767 rows, and the next one is an
// error that leaves the list as it was, not a count gone negative.
TEST(RowListTest, HoldsRowsUpTo32767AndRefusesMore) {
  RowList<int> list(10, 5);
  for (int i = 0; i < 32767; ++i) list.Add(i);
  ASSERT_EQ(list.count(), 32767);
  ASSERT_NE(list.Get(32766), nullptr);
  EXPECT_EQ(*list.Get(32766), 32766);
  EXPECT_THROW(list.Add(32767), std::overflow_error);
  EXPECT_EQ(list.count(), 32767);
  EXPECT_EQ(list.Get(-1), nullptr);
}

}  // namespace orvex::engine
