// The selection dialogs over real HTTP against the sample store: what
// reading each tree costs, that everything goes over one kept-alive
// connection, and that what the person does in a dialog reaches the server.
#include "engine/error_codes.h"
#include "integration/counting_proxy.h"
#include "integration/docstore_fixture.h"

namespace orvex::testing {
namespace {

class SelectionDialogsHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    DocstoreTest::SetUp();
    ScriptForms();
  }

  // The keys of the tree nodes of shown form `i`.
  std::vector<std::string> Keys(size_t i) const {
    std::vector<std::string> keys;
    const nlohmann::json form = Forms().at(i);
    for (const auto& c : form["controls"])
      if (c["kind"] == "treeview")
        for (const auto& n : c["nodes"]) keys.push_back(n["key"]);
    return keys;
  }
};

TEST_F(SelectionDialogsHttpTest, TreesCostOneListingPerFolderWithSubfoldersOverOneConnection) {
  CountingProxy proxy(store_->port(), TlsCertificate());
  Reach("docs", proxy.port());
  auto obj = NewObject();
  ASSERT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  ASSERT_TRUE(Call(*obj, "SetWorkspace", {Variant("Sales")}).ToBool());
  using M = std::vector<std::string>;

  // Sales and Reports, the only folder with subfolders; nobody acts, so the
  // window closes as cancelled.
  proxy.Reset();
  EXPECT_FALSE(Call(*obj, "FolderDialogA").ToBool());
  EXPECT_EQ(proxy.methods(), (M{"PROPFIND", "PROPFIND"}));
  EXPECT_EQ(Keys(0), (M{"Sales", "Sales/Reports", "Sales/Documents", "Sales/Archive",
                        "Sales/Reports/2001"}));

  // A folder created in the dialog is on the server, enhanced, and chosen.
  agent_->Plan("FolderDlgA",
               "click Sales/Reports/2001; press CreateButton; click Sales/Reports/2001/Minutes; "
               "press OKButton");
  agent_->Plan("DocFolderDlgA", "type FolderName Minutes; key FolderName enter");
  proxy.Reset();
  ASSERT_TRUE(Call(*obj, "FolderDialogA").ToBool());
  EXPECT_EQ(proxy.methods(), (M{"PROPFIND", "PROPFIND", "MKCOL"}));
  EXPECT_EQ(obj->Properties().SelectFolder, "Reports/2001/Minutes");
  EXPECT_TRUE(Call(*obj, "IsVersionFolder", {Variant("Reports/2001/Minutes")}).ToBool());

  proxy.Reset();
  EXPECT_FALSE(Call(*obj, "WorkspaceDialogA").ToBool());
  EXPECT_EQ(proxy.methods(), M{"PROPFIND"});
  EXPECT_EQ(Keys(3), (M{"docs", "Sales", "Legal", "Board"}));

  // Across workspaces: the list; Sales and Legal opened (one request each:
  // the connection's open answers the workspace object's); Board refused
  // at its first request; the walks of Sales (the top, Reports and 2001,
  // which has Minutes now) and Legal (the top); Sales made current again
  // (one).
  proxy.Reset();
  agent_->Plan("FolderDlgB", "click Legal/Contracts; press OKButton");
  ASSERT_TRUE(Call(*obj, "FolderDialogB").ToBool());
  EXPECT_EQ(proxy.methods(), M(9, "PROPFIND"));
  EXPECT_EQ(Keys(4), (M{"", "Sales", "Legal", "Sales/Reports", "Sales/Documents", "Sales/Archive",
                        "Sales/Reports/2001", "Sales/Reports/2001/Minutes", "Legal/Contracts",
                        "Legal/Opinions"}));
  EXPECT_EQ(obj->Properties().SelectWorkspace, "Legal");
  EXPECT_EQ(obj->Properties().SelectFolder, "Contracts");
  EXPECT_EQ(Call(*obj, "GetLastError").ToInt32(), engine::kCodePermissionDenied);
  EXPECT_EQ(Call(*obj, "GetDocFolderInfo", {Variant("")}).ToInt16(), 3);
  EXPECT_EQ(proxy.connections(), 1);
}

}  // namespace
}  // namespace orvex::testing
