// Category folders over real HTTP, against stores seeded for the cases,
// through the automation members a host calls.
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
    // The categories folder is called Topics here, and a document folder is
    // called like the usual categories folder.
    Json sales{{"name", "Sales"},
               {"description", "Sales"},
               {"categories_folder", "Topics"},
               {"roles", {{"CORP\\jones", "author"}, {"guest", "reader"}}},
               {"categories", top},
               {"items", {seed::Folder("Categories", false), seed::Folder("Reports", true)}}};
    StartStore(seed::Store(Json::array({sales})));
  }
};

TEST_F(CategoriesHttpTest, ListsTheTreeUnderTheWorkspacesOwnCategoriesFolder) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(obj->DefaultServer().RootCategory, "Topics");
  EXPECT_EQ(Categories(*obj, ""), (std::vector<std::string>{"Europe+", "Asia", "Africa", "Americas",
                                                            "Oceania", "Arctic", "Antarctica"}));
  EXPECT_EQ(Categories(*obj, "Europe"), (std::vector<std::string>{"France+"}));
  EXPECT_EQ(Categories(*obj, "Europe/France"), (std::vector<std::string>{"Paris"}));
  EXPECT_TRUE(Categories(*obj, "Europe/France/Paris").empty());
  EXPECT_EQ(obj->GetLastError(), 0);
}

// Created one level per call, a renamed category keeps its place and
// subtree, and a deleted one takes its subtree with it. (Names refused
// before anything is sent, refusals and missing parents are pinned in
// CategoriesTest against the fake.)
TEST_F(CategoriesHttpTest, CreatesRenamesAndDeletesCategories) {
  auto obj = InSales("jones", "CORP", "secret");
  ASSERT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan")}), Variant(true));
  EXPECT_EQ(Call(*obj, "CreateCategory", {Variant("Asia/Japan/Tōkyō Bay")}), Variant(true));
  EXPECT_EQ(Categories(*obj, "Asia/Japan"), (std::vector<std::string>{"Tōkyō Bay"}));
  EXPECT_EQ(Call(*obj, "ChangeCategoryName", {Variant("Asia"), Variant("Orient")}), Variant(true));
  EXPECT_EQ(Categories(*obj, "")[1], "Orient+");
  EXPECT_EQ(Categories(*obj, "Orient"), (std::vector<std::string>{"Japan+"}));
  EXPECT_EQ(Call(*obj, "DeleteCategory", {Variant("Europe/France")}), Variant(true));
  EXPECT_TRUE(Categories(*obj, "Europe").empty());
}

}  // namespace
}  // namespace orvex::testing
