// Workspaces and document folders over real HTTP: the sample store and
// stores seeded for the case, through the automation members a host calls.
#include "engine/error_codes.h"
#include "integration/counting_proxy.h"
#include "integration/docstore_fixture.h"
#include "support/seed.h"

namespace orvex::testing {
namespace {

using seed::Folder;
using seed::Json;

class WorkspacesFoldersHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {}

  static Json Workspace(const std::string& name, Json items = Json::array()) {
    return seed::Workspace(name, {{"CORP\\jones", "author"}, {"guest", "reader"}}, items);
  }
};

TEST_F(WorkspacesFoldersHttpTest, SampleStoreWorkspacesAndFolders) {
  StartStore();
  auto obj = NewObject();
  ASSERT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  ASSERT_EQ(Call(*obj, "GetWorkspaceInfo"), Variant(int16_t{3}));
  std::vector<std::string> names;
  for (int16_t i = 0; i < 3; ++i) {
    std::vector<Variant> row{Variant(i), Variant(), Variant()};
    ASSERT_EQ(Call(*obj, "GetWorkspace", row), Variant(true));
    names.push_back(row[1].ToString());
    EXPECT_FALSE(row[2].ToString().empty());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Sales", "Legal", "Board"}));

  ASSERT_EQ(Call(*obj, "SetWorkspace", {Variant("Sales")}), Variant(true));
  EXPECT_EQ(obj->DefaultServer().RootCategory, "Categories");
  EXPECT_EQ(obj->DefaultServer().SysFolder.rfind("http://docs/Sales", 0), 0u);
  EXPECT_EQ(Folders(*obj, ""), (std::vector<std::string>{"Reports+", "Documents+", "Archive"}));
  EXPECT_EQ(Folders(*obj, "Reports"), (std::vector<std::string>{"2001+"}));
  EXPECT_EQ(Call(*obj, "IsVersionFolder", {Variant("Reports/2001")}), Variant(true));
  EXPECT_EQ(Refusal(*obj, "IsVersionFolder", {Variant("Archive")}), 0);
}

TEST_F(WorkspacesFoldersHttpTest, EachOperationSendsOnlyTheRequestsItNeedsOverOneConnection) {
  StartStore();
  CountingProxy proxy(store_->port(), TlsCertificate());
  Reach("docs", proxy.port());
  auto obj = NewObject();
  auto cost = [&](auto&& operation) {
    proxy.Reset();
    operation();
    return proxy.methods();
  };
  using M = std::vector<std::string>;
  // The connection's open answers the open of the root or workspace object
  // that follows it; a folder's listing carries the folder itself.
  const M one_find{"PROPFIND"};
  EXPECT_EQ(cost([&] { ASSERT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret")); }),
            one_find);
  EXPECT_EQ(cost([&] { Call(*obj, "SetWorkspace", {Variant("Sales")}); }), one_find);
  EXPECT_EQ(cost([&] { Call(*obj, "GetDocFolderInfo", {Variant("")}); }), one_find);
  // The walk lists the top and Reports, the only folder with subfolders
  // (one request each: a listing reports the folder itself too); the row of
  // the folder asked about answers whether it is enhanced.
  EXPECT_EQ(cost([&] { Call(*obj, "IsVersionFolder", {Variant("Reports/2001")}); }).size(), 2u);
  EXPECT_EQ(cost([&] {
              Call(*obj, "CreateFolder", {Variant("Minutes"), Variant(true)});
            }),
            M{"MKCOL"});
  EXPECT_EQ(cost([&] {
              Call(*obj, "ChangeFolderName", {Variant("Minutes"), Variant("M")});
            }),
            (M{"PROPFIND", "MOVE"}));
  EXPECT_EQ(cost([&] { Call(*obj, "DeleteFolder", {Variant("M")}); }), (M{"PROPFIND", "DELETE"}));
  // Nothing at all for a name the checks refuse.
  EXPECT_TRUE(cost([&] { Call(*obj, "CreateFolder", {Variant("a:b"), Variant(true)}); }).empty());
  EXPECT_TRUE(cost([&] { obj->ConnectOpenEx("docs:80", "jones", "CORP", "secret"); }).empty());
  // Every request above went over the one kept-alive connection.
  EXPECT_EQ(proxy.connections(), 1);
}

// Sales with an enhanced Reports and a standard Archive.
class FolderChangesHttpTest : public WorkspacesFoldersHttpTest {
 protected:
  void SetUp() override {
    StartStore(seed::Store(Json::array(
        {Workspace("Sales", Json::array({Folder("Reports", true), Folder("Archive", false)}))})));
    obj_ = InSales("jones", "CORP", "secret");
  }
  std::unique_ptr<automation::ConnectOrvex> obj_;
};

// Folders of either kind are created, a renamed folder keeps its place in
// the server's order and its subtree, and a deleted one is gone. (What each
// member answers for names, refusals and missing folders is pinned in
// WorkspacesFoldersTest against the fake.)
TEST_F(FolderChangesHttpTest, CreatesRenamesAndDeletesFolders) {
  auto call = [&](const char* name, std::vector<Variant> args) {
    return Refusal(*obj_, name, std::move(args));
  };
  EXPECT_EQ(call("CreateFolder", {Variant("Reports/Minutes"), Variant(true)}), -1);
  EXPECT_EQ(call("CreateFolder", {Variant("Archive/Old"), Variant(false)}), -1);
  EXPECT_EQ(Folders(*obj_, "Reports"), (std::vector<std::string>{"Minutes+"}));
  EXPECT_EQ(Folders(*obj_, "Archive"), (std::vector<std::string>{"Old"}));
  ASSERT_EQ(call("CreateFolder", {Variant("My Folder é"), Variant(true)}), -1);
  EXPECT_EQ(call("ChangeFolderName", {Variant("Archive"), Variant("Old Archive")}), -1);
  EXPECT_EQ(Folders(*obj_, ""),
            (std::vector<std::string>{"Reports+", "Old Archive", "My Folder é+"}));
  EXPECT_EQ(Folders(*obj_, "Old Archive"), (std::vector<std::string>{"Old"}));
  EXPECT_EQ(call("DeleteFolder", {Variant("Old Archive")}), -1);
  EXPECT_EQ(Folders(*obj_, ""), (std::vector<std::string>{"Reports+", "My Folder é+"}));
}

}  // namespace
}  // namespace orvex::testing
