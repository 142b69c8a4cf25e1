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

  // The categories under `path`, each as name, "!" when read-only and "+"
  // when it has children, through GetCategoryInfo / GetCategory.
  std::vector<std::string> Categories(automation::ConnectOrvex& obj, const std::string& path) {
    int16_t n = Call(obj, "GetCategoryInfo", {Variant(path)}).ToInt16();
    std::vector<std::string> out;
    for (int16_t i = 0; i < n; ++i) {
      std::vector<Variant> row{Variant(i), Variant(), Variant(), Variant(), Variant()};
      EXPECT_EQ(Call(obj, "GetCategory", row), Variant(true));
      out.push_back(row[1].ToString() + (row[3].ToBool() ? "!" : "") +
                    (row[4].ToBool() ? "+" : ""));
    }
    return out;
  }

  std::vector<std::string> Folders(automation::ConnectOrvex& obj, const std::string& path) {
    int16_t n = Call(obj, "GetDocFolderInfo", {Variant(path)}).ToInt16();
    std::vector<std::string> out;
    for (int16_t i = 0; i < n; ++i) {
      std::vector<Variant> row{Variant(i), Variant(), Variant(), Variant()};
      Call(obj, "GetDocFolder", row);
      out.push_back(row[1].ToString());
    }
    return out;
  }
};

TEST_F(CategoriesHttpTest, ListsTheTreeUnderTheWorkspacesOwnCategoriesFolder) {
  // Before any connection: the plain form answers -1, the Ex form 0.
  auto fresh = NewObject();
  EXPECT_EQ(Call(*fresh, "GetCategoryInfo", {Variant("")}), Variant(int16_t{-1}));
  EXPECT_EQ(fresh->GetLastError(), engine::kCodeNotConnected);
  EXPECT_EQ(Call(*fresh, "GetCategoryInfoEx", {Variant(int16_t{0}), Variant("")}),
            Variant(int16_t{0}));
  EXPECT_EQ(fresh->ServerTable(0).ErrorCode, engine::kCodeNotConnected);

  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(obj->DefaultServer().RootCategory, "Topics");
  EXPECT_EQ(Categories(*obj, ""), (std::vector<std::string>{"Europe+", "Asia", "Africa", "Americas",
                                                            "Oceania", "Arctic", "Antarctica"}));
  EXPECT_EQ(obj->DefaultServer().category_list().upper_bound(), 10);
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

  // The document folder called "Categories" is an ordinary folder, and the
  // categories folder is not one.
  EXPECT_EQ(Folders(*obj, ""), (std::vector<std::string>{"Categories", "Reports"}));
  EXPECT_EQ(Folders(*obj, "Reports"), (std::vector<std::string>{"Topics"}));
  EXPECT_EQ(Call(*obj, "CreateFolder", {Variant("Categories/Inbox"), Variant(false)}),
            Variant(true));
  EXPECT_EQ(Call(*obj, "CreateFolder", {Variant("Reports/Topics/2002"), Variant(true)}),
            Variant(true));
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Reports")}), Variant(true));
  EXPECT_EQ(Folders(*obj, "Categories"), (std::vector<std::string>{"Inbox"}));
  EXPECT_EQ(Categories(*obj, "").back(), "Reports");
  EXPECT_EQ(Folders(*obj, ""), (std::vector<std::string>{"Categories", "Reports"}));

  // A reader sees every category as read-only; the same through handle 0.
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
}

TEST_F(CategoriesHttpTest, CreatesRenamesAndDeletesAndReportsRefusals) {
  auto obj = InSales("jones", "CORP", "secret");
  // One level per call, below an existing parent; names pass unchanged.
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan")}), Variant(true));
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan/Tōkyō Bay")}), Variant(true));
  EXPECT_EQ(Categories(*obj, "Asia/Japan"), (std::vector<std::string>{"Tōkyō Bay"}));
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Mars/Base")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNotFound);
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeAlreadyExists);
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia:Japan")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeBadPath);

  // Renaming works on the top level only, and keeps the category's place
  // and subtree.
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Europe/France"), Variant("Gaul")}),
            Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeBadName);
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Asia"), Variant("Asia")}), Variant(true));
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Mars"), Variant("Mars")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNotFound);
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Asia"), Variant("Europe")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeAlreadyExists);
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Asia"), Variant("Orient")}), Variant(true));
  EXPECT_EQ(Categories(*obj, "")[1], "Orient+");
  EXPECT_EQ(Categories(*obj, "Orient/Japan"), (std::vector<std::string>{"Tōkyō Bay"}));

  // Deleting takes the subtree with it.
  EXPECT_EQ(Call(*obj, "DeleteCategory", {Variant("Orient/Japan")}), Variant(true));
  EXPECT_TRUE(Categories(*obj, "Orient").empty());
  EXPECT_EQ(Call(*obj, "DeleteCategory", {Variant("Orient/Japan")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNotFound);
  EXPECT_EQ(Call(*obj, "DeleteCategory", {Variant("")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeBadPath);

  // A reader is refused every change.
  auto guest = InSales("guest", "", "guest");
  EXPECT_EQ(Call(*guest, "CreateCategory", {Variant("Mine")}), Variant(false));
  EXPECT_EQ(guest->GetLastError(), engine::kCodePermissionDenied);
  EXPECT_EQ(Call(*guest, "DeleteCategory", {Variant("Europe")}), Variant(false));
  EXPECT_EQ(guest->GetLastError(), engine::kCodePermissionDenied);
  EXPECT_EQ(Call(*guest, "ChangeCategoryName", {Variant("Europe"), Variant("EU")}), Variant(false));
  EXPECT_EQ(guest->GetLastError(), engine::kCodePermissionDenied);
  EXPECT_EQ(Categories(*obj, "Europe"), (std::vector<std::string>{"France+"}));

  // With the connection closed by a failed switch, the rename's test of the
  // open connection fails with 1, where the others reach the workspace
  // check and fail with 3.
  EXPECT_EQ(Call(*obj, "SetWorkspace", {Variant("Board")}), Variant(false));
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Europe"), Variant("EU")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNotConnected);
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("EU")}), Variant(false));
  EXPECT_EQ(obj->GetLastError(), engine::kCodeNoWorkspace);
  EXPECT_EQ(Call(*obj, "ChangeCategoryNameEx", {Variant(int16_t{0}), Variant("A"), Variant("B")}),
            Variant(false));
  EXPECT_EQ(obj->GetLastErrorEx(0), engine::kCodeNotConnected);
}

}  // namespace
}  // namespace orvex::testing
