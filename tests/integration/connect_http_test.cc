// Opening and closing connections over real HTTP against the docstore.
#include "integration/docstore_fixture.h"

namespace orvex::testing {
namespace {

using ConnectHttpTest = DocstoreTest;

// Both forms open, list and close. (A wrong password and a server nobody
// answers on are FailureDetailHttpTest's; the docstore's own refusals are
// AccessTest's, the join of domain and user ConnectOrvexTest's.)
TEST_F(ConnectHttpTest, BothFormsOpenListAndClose) {
  auto obj = NewObject();
  EXPECT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(obj->GetLastError(), 0);
  EXPECT_EQ(obj->DefaultServer().GetWorkspaceInfo(), 3);
  obj->ConnectClose();

  EXPECT_EQ(obj->ConnectOpenEx("docs", "guest", "", "guest"), 0);
  EXPECT_EQ(obj->ServerTable(0).GetWorkspaceInfo(), 3);
  EXPECT_TRUE(obj->ConnectCloseEx(0));
}

}  // namespace
}  // namespace orvex::testing
