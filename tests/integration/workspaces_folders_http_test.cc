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

  // Board is listed but jones has no role there.
  EXPECT_EQ(Refusal(*obj, "SetWorkspace", {Variant("Board")}), engine::kCodePermissionDenied);
  EXPECT_EQ(Call(*obj, "GetDocFolderInfo", {Variant("")}), Variant(int16_t{-1}));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNoWorkspace);

  ASSERT_EQ(Call(*obj, "SetWorkspace", {Variant("Sales")}), Variant(true));
  EXPECT_EQ(obj->DefaultServer().RootCategory, "Categories");
  EXPECT_EQ(obj->DefaultServer().SysFolder.rfind("http://docs/Sales", 0), 0u);
  EXPECT_EQ(Folders(*obj, ""), (std::vector<std::string>{"Reports+", "Documents+", "Archive"}));
  EXPECT_EQ(Folders(*obj, "Reports"), (std::vector<std::string>{"2001+"}));
  EXPECT_EQ(Call(*obj, "IsVersionFolder", {Variant("Reports/2001")}), Variant(true));
  EXPECT_EQ(Refusal(*obj, "IsVersionFolder", {Variant("Archive")}), 0);
  EXPECT_EQ(Refusal(*obj, "IsVersionFolder", {Variant("Categories")}), engine::kCodeNotFound);

  // The same through handle 0.
  ASSERT_EQ(obj->ConnectOpenEx("docs", "jones", "CORP", "secret"), 0);
  EXPECT_EQ(Call(*obj, "GetDocFolderInfoEx", {Variant(int16_t{0}), Variant("")}),
            Variant(int16_t{-1}));
  EXPECT_EQ(Call(*obj, "SetWorkspaceEx", {Variant(int16_t{0}), Variant("Legal")}), Variant(true));
  const Variant listed = Call(*obj, "GetDocFolderInfoEx", {Variant(int16_t{0}), Variant("")});
  EXPECT_GT(listed.ToInt16(), 0);
  EXPECT_EQ(listed.ToInt16(), obj->ServerTable(0).folder_list().count());
  EXPECT_EQ(Call(*obj, "CreateFolderEx", {Variant(int16_t{0}), Variant("Drafts"), Variant(true)}),
            Variant(false));  // a reader in Legal
  EXPECT_EQ(obj->GetLastErrorEx(0), engine::kCodePermissionDenied);
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

TEST_F(WorkspacesFoldersHttpTest, SevenWorkspacesTwelveFoldersAndAThreeLevelWalk) {
  Json workspaces = Json::array();
  Json twelve = Json::array();
  for (int i = 0; i < 12; ++i) twelve.push_back(Folder("F" + std::to_string(i), i % 3 != 0));
  Json deep = Json::array(
      {Folder("A", true, Json::array({Folder("B", false, Json::array({Folder("C", true)}))})),
       Folder("Many", true, twelve)});
  workspaces.push_back(Workspace("W0", deep));
  for (int i = 1; i < 7; ++i) workspaces.push_back(Workspace("W" + std::to_string(i)));
  StartStore(seed::Store(workspaces));

  auto obj = NewObject();
  ASSERT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(Call(*obj, "GetWorkspaceInfo"), Variant(int16_t{7}));
  std::vector<Variant> last{Variant(int16_t{6}), Variant(), Variant()};
  EXPECT_EQ(Call(*obj, "GetWorkspace", last), Variant(true));
  EXPECT_EQ(last[1], Variant("W6"));
  std::vector<Variant> past{Variant(int16_t{7}), Variant(), Variant()};
  EXPECT_EQ(Call(*obj, "GetWorkspace", past), Variant(false));

  ASSERT_EQ(Call(*obj, "SetWorkspace", {Variant("W0")}), Variant(true));
  auto many = Folders(*obj, "Many");
  ASSERT_EQ(many.size(), 12u);
  EXPECT_EQ(many[0], "F0");
  EXPECT_EQ(many[1], "F1+");
  EXPECT_EQ(Call(*obj, "IsVersionFolder", {Variant("A/B/C")}), Variant(true));
  EXPECT_EQ(Refusal(*obj, "IsVersionFolder", {Variant("A/B")}), 0);
}

// Sales with an enhanced Reports and a standard Archive. (A workspace
// without a role is refused in SampleStoreWorkspacesAndFolders.)
class FolderChangesHttpTest : public WorkspacesFoldersHttpTest {
 protected:
  void SetUp() override {
    StartStore(seed::Store(Json::array(
        {Workspace("Sales", Json::array({Folder("Reports", true), Folder("Archive", false)}))})));
    obj_ = InSales("jones", "CORP", "secret");
  }
  std::unique_ptr<automation::ConnectOrvex> obj_;
};

TEST_F(FolderChangesHttpTest, CreatesFoldersOfEitherKindAndReportsRefusals) {
  auto create = [&](const char* path, bool enhanced) {
    return Refusal(*obj_, "CreateFolder", {Variant(path), Variant(enhanced)});
  };
  EXPECT_EQ(create("Reports/Minutes", true), -1);
  EXPECT_EQ(create("Archive/Old", false), -1);
  EXPECT_EQ(Folders(*obj_, "Reports"), (std::vector<std::string>{"Minutes+"}));
  EXPECT_EQ(Folders(*obj_, "Archive"), (std::vector<std::string>{"Old"}));
  EXPECT_EQ(create("Missing/Child", true), engine::kCodeNotFound);
  EXPECT_EQ(create("Reports", true), engine::kCodeAlreadyExists);
}

// A renamed folder keeps its place in the server's order, and its subtree.
// (Names the engine refuses before sending anything are pinned in
// WorkspacesFoldersTest.)
TEST_F(FolderChangesHttpTest, RenamesTopLevelFoldersInPlace) {
  ASSERT_EQ(Call(*obj_, "CreateFolder", {Variant("Archive/Old"), Variant(false)}), Variant(true));
  ASSERT_EQ(Call(*obj_, "CreateFolder", {Variant("My Folder é"), Variant(true)}), Variant(true));
  auto rename = [&](const char* from, const char* to) {
    return Refusal(*obj_, "ChangeFolderName", {Variant(from), Variant(to)});
  };
  EXPECT_EQ(rename("Archive", "Archive"), -1);
  EXPECT_EQ(rename("Archive", "Reports"), engine::kCodeAlreadyExists);
  EXPECT_EQ(rename("Archive", "Old Archive"), -1);
  EXPECT_EQ(Folders(*obj_, ""),
            (std::vector<std::string>{"Reports+", "Old Archive", "My Folder é+"}));
  EXPECT_EQ(Folders(*obj_, "Old Archive"), (std::vector<std::string>{"Old"}));
}

TEST_F(FolderChangesHttpTest, DeletesAFolderOnce) {
  EXPECT_EQ(Refusal(*obj_, "DeleteFolder", {Variant("Archive")}), -1);
  EXPECT_EQ(Refusal(*obj_, "DeleteFolder", {Variant("Archive")}), engine::kCodeNotFound);
  EXPECT_EQ(Folders(*obj_, ""), (std::vector<std::string>{"Reports+"}));
}

TEST_F(FolderChangesHttpTest, AReaderMayLookButNotChange) {
  auto guest = InSales("guest", "", "guest");
  EXPECT_EQ(Folders(*guest, "").size(), 2u);
  EXPECT_EQ(Refusal(*guest, "CreateFolder", {Variant("Mine"), Variant(true)}),
            engine::kCodePermissionDenied);
  EXPECT_EQ(Refusal(*guest, "DeleteFolder", {Variant("Reports")}), engine::kCodePermissionDenied);
}

}  // namespace
}  // namespace orvex::testing
