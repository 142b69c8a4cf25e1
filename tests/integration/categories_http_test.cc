// Category folders over real HTTP, against stores seeded for the cases,
// through the automation members a host calls.
#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "support/seed.h"

namespace orvex::testing {
namespace {

using seed::Json;

class CategoriesHttpTest : public DocstoreTest {
 protected:
  void SetUp() override {
    Json top = Json::array();
    for (const char* n :
         {"Europe", "Asia", "Africa", "Americas", "Oceania", "Arctic", "Antarctica"})
      top.push_back({{"name", n}, {"description", std::string(n) + " matters"}});
    top[0]["children"] =
        Json::array({{{"name", "France"}, {"children", Json::array({{{"name", "Paris"}}})}}});
    // The categories folder is called Topics here; a document folder is
    // called like the usual categories folder, and one deeper down like this
    // workspace's.
    Json sales{{"name", "Sales"},
               {"description", "Sales"},
               {"categories_folder", "Topics"},
               {"roles", {{"CORP\\jones", "author"}, {"guest", "reader"}}},
               {"categories", top},
               {"items",
                {seed::Folder("Categories", false),
                 seed::Folder("Reports", true, Json::array({seed::Folder("Topics", true)}))}}};
    StartStore(seed::Store({sales, seed::Workspace("Board", Json::object())}));
  }
};

// Before any connection: the plain form answers -1, the Ex form 0.
TEST_F(CategoriesHttpTest, BeforeAnyConnectionThePlainFormAnswersMinusOneTheExFormZero) {
  auto fresh = NewObject();
  EXPECT_EQ(Call(*fresh, "GetCategoryInfo", {Variant("")}), Variant(int16_t{-1}));
  EXPECT_EQ(fresh->GetLastError(), engine::kCodeNotConnected);
  EXPECT_EQ(Call(*fresh, "GetCategoryInfoEx", {Variant(int16_t{0}), Variant("")}),
            Variant(int16_t{0}));
  EXPECT_EQ(fresh->ServerTable(0).ErrorCode, engine::kCodeNotConnected);
}

TEST_F(CategoriesHttpTest, ListsTheTreeUnderTheWorkspacesOwnCategoriesFolder) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(obj->DefaultServer().RootCategory, "Topics");
  EXPECT_EQ(Categories(*obj, ""), (std::vector<std::string>{"Europe+", "Asia", "Africa", "Americas",
                                                            "Oceania", "Arctic", "Antarctica"}));
  std::vector<Variant> row{Variant(int16_t{6}), Variant(), Variant(), Variant(), Variant()};
  ASSERT_EQ(Call(*obj, "GetCategory", row), Variant(true));
  EXPECT_EQ(row[2], Variant("Antarctica matters"));
  row[0] = Variant(int16_t{7});
  EXPECT_EQ(Call(*obj, "GetCategory", row), Variant(false));
  EXPECT_EQ(Categories(*obj, "Europe"), (std::vector<std::string>{"France+"}));
  EXPECT_EQ(Categories(*obj, "Europe/France"), (std::vector<std::string>{"Paris"}));
  EXPECT_TRUE(Categories(*obj, "Europe/France/Paris").empty());
  EXPECT_EQ(obj->GetLastError(), 0);

  // A missing category: the mapped code, and nothing left to read.
  EXPECT_EQ(Call(*obj, "GetCategoryInfo", {Variant("Mars")}), Variant(int16_t{-1}));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNotFound);
  row[0] = Variant(int16_t{0});
  EXPECT_EQ(Call(*obj, "GetCategory", row), Variant(false));
}

// The document folder called "Categories" is an ordinary folder, and the
// categories folder is not one.
TEST_F(CategoriesHttpTest, FoldersAndCategoriesKeepToTheirOwnTrees) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(Folders(*obj, ""), (std::vector<std::string>{"Categories", "Reports+"}));
  EXPECT_EQ(Folders(*obj, "Reports"), (std::vector<std::string>{"Topics+"}));
  EXPECT_EQ(Call(*obj, "CreateFolder", {Variant("Categories/Inbox"), Variant(false)}),
            Variant(true));
  EXPECT_EQ(Call(*obj, "CreateFolder", {Variant("Reports/Topics/2002"), Variant(true)}),
            Variant(true));
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Reports")}), Variant(true));
  EXPECT_EQ(Folders(*obj, "Categories"), (std::vector<std::string>{"Inbox"}));
  EXPECT_EQ(Categories(*obj, "").back(), "Reports");
  EXPECT_EQ(Folders(*obj, ""), (std::vector<std::string>{"Categories", "Reports+"}));
}

// A reader sees every category as read-only, the same through handle 0, and
// is refused every change.
TEST_F(CategoriesHttpTest, AReaderSeesCategoriesReadOnlyAndChangesNone) {
  auto guest = InSales("guest", "", "guest");
  EXPECT_EQ(Categories(*guest, "Europe"), (std::vector<std::string>{"France!+"}));
  ASSERT_EQ(guest->ConnectOpenEx("docs", "guest", "", "guest"), 0);
  ASSERT_EQ(Call(*guest, "SetWorkspaceEx", {Variant(int16_t{0}), Variant("Sales")}), Variant(true));
  EXPECT_EQ(Call(*guest, "GetCategoryInfoEx", {Variant(int16_t{0}), Variant("Europe/France")}),
            Variant(int16_t{1}));
  std::vector<Variant> ex{Variant(int16_t{0}), Variant(int16_t{0}), Variant(),
                          Variant(),           Variant(),           Variant()};
  EXPECT_EQ(Call(*guest, "GetCategoryEx", ex), Variant(true));
  EXPECT_EQ(ex[2], Variant("Paris"));
  EXPECT_EQ(ex[4].ToInt32(), -1);

  const int32_t denied = engine::kCodePermissionDenied;
  EXPECT_EQ(Refusal(*guest, "CreateCategory", {Variant("Mine")}), denied);
  EXPECT_EQ(Refusal(*guest, "DeleteCategory", {Variant("Europe")}), denied);
  EXPECT_EQ(Refusal(*guest, "ChangeCategoryName", {Variant("Europe"), Variant("EU")}), denied);
  EXPECT_EQ(Categories(*guest, "Europe"), (std::vector<std::string>{"France!+"}));
}

// One level per call, below an existing parent; names pass unchanged.
TEST_F(CategoriesHttpTest, CreatesOneLevelPerCall) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan")}), Variant(true));
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan/Tōkyō Bay")}), Variant(true));
  EXPECT_EQ(Categories(*obj, "Asia/Japan"), (std::vector<std::string>{"Tōkyō Bay"}));
  EXPECT_EQ(Refusal(*obj, "CreateCategory", {Variant("Mars/Base")}), engine::kCodeNotFound);
  EXPECT_EQ(Refusal(*obj, "CreateCategory", {Variant("Asia")}), engine::kCodeAlreadyExists);
}

// A renamed category keeps its place and subtree. (Names the engine
// refuses before sending anything are pinned in CategoriesTest.)
TEST_F(CategoriesHttpTest, RenamesTopLevelCategoriesInPlace) {
  auto obj = InSales("jones", "CORP", "secret");
  auto rename = [&](const char* from, const char* to) {
    return Refusal(*obj, "ChangeCategoryName", {Variant(from), Variant(to)});
  };
  EXPECT_EQ(rename("Asia", "Asia"), -1);
  EXPECT_EQ(rename("Mars", "Mars"), engine::kCodeNotFound);
  EXPECT_EQ(rename("Asia", "Europe"), engine::kCodeAlreadyExists);
  ASSERT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan")}), Variant(true));
  EXPECT_EQ(rename("Asia", "Orient"), -1);
  EXPECT_EQ(Categories(*obj, "")[1], "Orient+");
  EXPECT_EQ(Categories(*obj, "Orient"), (std::vector<std::string>{"Japan"}));
}

TEST_F(CategoriesHttpTest, DeletingTakesTheSubtreeWithIt) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(Call(*obj, "DeleteCategory", {Variant("Europe/France")}), Variant(true));
  EXPECT_TRUE(Categories(*obj, "Europe").empty());
  EXPECT_EQ(Refusal(*obj, "DeleteCategory", {Variant("Europe/France/Paris")}),
            engine::kCodeNotFound);
}

// With the connection closed by a failed switch, the rename's test of the
// open connection fails with 1, where the others reach the workspace check
// and fail with 3.
TEST_F(CategoriesHttpTest, AfterAFailedSwitchTheRenameFindsNoConnection) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(Call(*obj, "SetWorkspace", {Variant("Board")}), Variant(false));
  EXPECT_EQ(Refusal(*obj, "ChangeCategoryName", {Variant("Europe"), Variant("EU")}),
            engine::kCodeNotConnected);
  EXPECT_EQ(Refusal(*obj, "CreateCategory", {Variant("EU")}), engine::kCodeNoWorkspace);
  EXPECT_EQ(
      Refusal(*obj, "ChangeCategoryNameEx", {Variant(int16_t{0}), Variant("A"), Variant("B")}),
      engine::kCodeNotConnected);
}

}  // namespace
}  // namespace orvex::testing
