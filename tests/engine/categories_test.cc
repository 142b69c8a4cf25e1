// Category folders against the recording fake: the URLs, modes and
// credentials each operation passes, the list's room and growth, and what a
// failure leaves behind.
#include <gtest/gtest.h>

#include <optional>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "fakes/fake_engine_test.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {

using testing::OpenCall;

class CategoriesTest : public testing::FakeEngineTest {
 protected:
  static constexpr char kCategories[] = "http://docs/Sales/Topics";

  CategoriesTest() {
    // The categories folder's name comes from the workspace, not a fixed one.
    AddWorkspace("Sales", {{server::kPropCategoriesFolder, Variant("Topics")}});
    backend_->AddItem(kCategories, {}, false);
  }

  // A category below `parent` ("" for the top level). Flags are given as the
  // provider hands them over (a Boolean), or as any other value to test the
  // conversion.
  void AddCategory(const std::string& parent, const std::string& name, Variant read_only = false,
                   Variant has_children = false) {
    const std::string url =
        std::string(kCategories) + (parent.empty() ? "" : "/" + parent) + "/" + name;
    server::FieldMap props{{server::kColParseName, Variant(name)},
                           {server::kPropDescription, Variant("About " + name)},
                           {server::kColContentClass, Variant(server::kClassCategoryFolder)}};
    if (!read_only.IsEmpty()) props.insert_or_assign(server::kColIsReadOnly, read_only);
    if (!has_children.IsEmpty()) props.insert_or_assign(server::kPropHasChildren, has_children);
    backend_->AddItem(url, props);
  }

  struct Row {
    std::string name, description;
    bool read_only = false, has_child = false;
  };
  std::optional<Row> Category(int16_t index) {
    Row r{"untouched", "untouched", true, true};
    if (!engine_.GetCategory(index, r.name, r.description, r.read_only, r.has_child))
      return std::nullopt;
    return r;
  }
};

TEST_F(CategoriesTest, ListingOpensTheWorkspaceFolderWithoutCredentialsAndGrowsByFive) {
  const char* names[] = {"Europe", "Asia", "Africa", "Americas", "Oceania", "Arctic", "Antarctica"};
  for (const char* n : names)
    AddCategory("", n, std::string(n) == "Asia", std::string(n) == "Europe");
  AddCategory("Europe", "France");
  OpenSales();

  ASSERT_EQ(engine_.GetCategoryInfo(""), 7);
  EXPECT_EQ(backend_->calls,
            (std::vector<std::string>{
                OpenCall("WorkspaceFolder http://docs/Sales/Topics", "none", false),
                "ListSubfolders http://docs/Sales/Topics",
            }));
  // Room for six rows, one growth by five for the seventh.
  EXPECT_EQ(engine_.category_list().upper_bound(), 10);
  for (int16_t i = 0; i < 7; ++i) {
    auto row = Category(i);
    ASSERT_TRUE(row) << i;
    EXPECT_EQ(row->name, names[i]);
    EXPECT_EQ(row->description, std::string("About ") + names[i]);
    EXPECT_EQ(row->read_only, i == 1);
    EXPECT_EQ(row->has_child, i == 0);
  }
  EXPECT_FALSE(Category(7));
  EXPECT_FALSE(Category(-1));

  // A nested path, and a category without children.
  backend_->calls.clear();
  ASSERT_EQ(engine_.GetCategoryInfo("Europe"), 1);
  EXPECT_EQ(backend_->calls[0],
            OpenCall("WorkspaceFolder http://docs/Sales/Topics/Europe", "none", false));
  EXPECT_EQ(Category(0)->name, "France");
  EXPECT_EQ(engine_.category_list().upper_bound(), 5);
  EXPECT_EQ(engine_.GetCategoryInfo("Europe/France"), 0);
  EXPECT_FALSE(Category(0));
}

TEST_F(CategoriesTest, ListingFailuresAreMappedAndLeaveOnlyWhatWasRead) {
  AddCategory("", "Europe");
  AddCategory("", "Asia", Variant("True"), Variant("False"));  // flags as text convert
  AddCategory("", "Odd", false, Variant("maybe"));
  AddCategory("", "Late");
  OpenSales();

  // A flag whose text is no Boolean fails the listing; the rows read before
  // it stay counted and readable.
  EXPECT_EQ(Refused(engine_.GetCategoryInfo("")), kCodeFailure);
  EXPECT_EQ(engine_.category_list().count(), 2);
  EXPECT_TRUE(Category(1)->read_only);
  EXPECT_FALSE(Category(2));

  // A flag the server did not report at all is no Boolean either.
  backend_->listings[kCategories].erase(backend_->listings[kCategories].begin() + 2);
  backend_->listings[kCategories][2] = server::Fields({{server::kColParseName, Variant("Late")}});
  EXPECT_EQ(engine_.GetCategoryInfo(""), -1);
  EXPECT_EQ(engine_.category_list().count(), 2);

  // A folder that cannot be opened: the mapped code, and no row of the
  // previous listing stays readable.
  EXPECT_EQ(Refused(engine_.GetCategoryInfo("Nowhere")), kCodeNotFound);
  EXPECT_FALSE(Category(0));
  backend_->failures["ListSubfolders"] = server::kErrPermissionDenied;
  EXPECT_EQ(Refused(engine_.GetCategoryInfo("")), kCodePermissionDenied);
}

// Nested paths are created one level per call, below an existing parent.
TEST_F(CategoriesTest, CreatePassesTheEngineCredentialsOneLevelAtATime) {
  AddCategory("", "Europe");
  OpenSales();
  ASSERT_TRUE(engine_.CreateCategory("Europe/France"));
  EXPECT_EQ(backend_->calls,
            (std::vector<std::string>{
                "Create CategoryFolder",
                "SaveTo CategoryFolder http://docs/Sales/Topics/Europe/France cnx=none mode=0 "
                "create=0 options=0 user=CORP\\jones password=secret "
                "DAV:contentclass=urn:content-classes:categoryfolder",
            }));
  EXPECT_EQ(Refused(engine_.CreateCategory("Asia/Japan")), kCodeNotFound);
  EXPECT_EQ(Refused(engine_.CreateCategory("Europe")), kCodeAlreadyExists);
  backend_->failures["SaveTo CategoryFolder"] = server::kErrPermissionDenied;
  EXPECT_EQ(Refused(engine_.CreateCategory("Asia")), kCodePermissionDenied);
}

TEST_F(CategoriesTest, DeleteOpensTheCategoryWithTheEngineCredentials) {
  AddCategory("Europe", "France");
  OpenSales();
  ASSERT_TRUE(engine_.DeleteCategory("Europe/France"));
  EXPECT_EQ(backend_->calls,
            (std::vector<std::string>{
                "Create CategoryFolder",
                OpenCall("CategoryFolder http://docs/Sales/Topics/Europe/France", "none", true),
                "Delete http://docs/Sales/Topics/Europe/France (bound)",
            }));
  EXPECT_EQ(Refused(engine_.DeleteCategory("Europe/France")), kCodeNotFound);
}

// Renaming opens the category the same way and moves it at its level.
TEST_F(CategoriesTest, RenameOpensTheCategoryAndMovesItAtItsLevel) {
  AddCategory("", "Europe");
  OpenSales();
  ASSERT_TRUE(engine_.ChangeCategoryName("Europe", "Europa"));
  EXPECT_EQ(backend_->calls.back(),
            "MoveTo http://docs/Sales/Topics/Europe -> http://docs/Sales/Topics/Europa");
  EXPECT_EQ(backend_->calls[1],
            OpenCall("CategoryFolder http://docs/Sales/Topics/Europe", "none", true));
  // Equal names open the category and move nothing; a missing one fails.
  backend_->calls.clear();
  ASSERT_TRUE(engine_.ChangeCategoryName("Europa", "Europa"));
  EXPECT_TRUE(backend_->CallsStartingWith("MoveTo").empty());
  EXPECT_EQ(backend_->CallsStartingWith("Open CategoryFolder").size(), 1u);
  EXPECT_EQ(Refused(engine_.ChangeCategoryName("Europe", "Europe")), kCodeNotFound);
  backend_->failures["MoveTo"] = server::kErrAccessDenied;
  EXPECT_EQ(Refused(engine_.ChangeCategoryName("Europa", "Europe")), kCodeAccessDenied);
}

TEST_F(CategoriesTest, BadPathsAndNamesAreRefusedBeforeAnythingIsSent) {
  OpenSales();
  for (const char* bad : {"", "Europe\\France", "Europe:France", "a*b", "a|b"}) {
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.CreateCategory(bad)), kCodeBadPath) << bad;
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.DeleteCategory(bad)), kCodeBadPath) << bad;
  }
  // The rename allows no level separator in either name.
  for (auto [from, to] : {std::pair{"Europe/France", "Gaul"},
                          {"Europe", "Europe/West"},
                          {"", "Asia"},
                          {"Asia", ""},
                          {"A?", "B"}}) {
    engine_.ErrorCode = 0;
    EXPECT_EQ(Refused(engine_.ChangeCategoryName(from, to)), kCodeBadName);
  }
  EXPECT_TRUE(backend_->calls.empty());
}

}  // namespace orvex::engine
