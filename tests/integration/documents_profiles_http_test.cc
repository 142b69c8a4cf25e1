// Profiles, property definitions and the document listing over real HTTP,
// against a store seeded for the cases, through the members a host calls.
#include "engine/error_codes.h"
#include "integration/counting_proxy.h"
#include "integration/docstore_fixture.h"
#include "support/seed.h"

namespace orvex::testing {
namespace {

using seed::Json;

constexpr char kOffice[] = "urn:schemas-microsoft-com:office:office#";

std::string Office(const std::string& local) { return kOffice + local; }

// Profiles Document, Memo, Wide (twelve properties, two outside the listed
// name space), P1 to P5, an untitled one and one the workspace does not list.
Json Schema() {
  Json properties =
      Json::array({{{"id", Office("Title")}, {"title", "Title"}, {"description", "The title"}},
                   {{"id", Office("Keywords")}, {"title", "Keywords"}, {"multivalued", true}},
                   {{"id", Office("Department")},
                    {"title", "Department"},
                    {"type", "List"},
                    {"required", true},
                    {"dictionary", "dict:Departments"}},
                   {{"id", Office("Topics")},
                    {"title", "Topics"},
                    {"type", "List"},
                    {"multivalued", true},
                    {"dictionary", "dict:Topics"}},
                   {{"id", Office("Region")},
                    {"title", "Region"},
                    {"type", "List"},
                    {"dictionary", "dict:Topics"},
                    {"retrieved", false}},
                   {{"id", Office("Nameless")}, {"title", ""}}});
  Json wide = Json::array({Office("Title"), "urn:example:x#Owner", Office("Department"),
                           "DAV:getcontentlength", Office("Topics"), Office("Region"),
                           Office("Nameless"), Office("Keywords")});
  for (int i = 0; i < 6; ++i) {
    const std::string id = "urn:schemas-microsoft-com:extra#E" + std::to_string(i);
    properties.push_back({{"id", id}, {"title", "E" + std::to_string(i)}});
    wide.push_back(id);
  }
  Json profiles = Json::array(
      {{{"id", "urn:content-classes:document"},
        {"title", "Document"},
        {"properties", {Office("Title"), Office("Keywords")}}},
       {{"id", "urn:content-classes:memo"},
        {"title", "Memo"},
        {"properties", {Office("Title"), Office("Department"), Office("Topics")}}},
       {{"id", "urn:content-classes:wide"}, {"title", "Wide"}, {"properties", wide}},
       {{"id", "urn:content-classes:untitled"}, {"title", ""}, {"properties", Json::array()}},
       {{"id", "urn:content-classes:hidden"},
        {"title", "Hidden"},
        {"listed", false},
        {"properties", Json::array()}}});
  for (int i = 1; i <= 5; ++i)
    profiles.push_back({{"id", "urn:content-classes:p" + std::to_string(i)},
                        {"title", "P" + std::to_string(i)},
                        {"properties", Json::array()}});
  return {{"dictionaries",
           {{{"id", "dict:Departments"}, {"values", {"Sales", "Legal"}}, {"restricted", true}},
            {{"id", "dict:Topics"}, {"values", {"Pricing"}}, {"restricted", false}}}},
          {"properties", properties},
          {"profiles", profiles},
          {"default_profile", "urn:content-classes:document"}};
}

using seed::Document;

Json CheckedIn(const std::string& name, Json more = Json::object()) {
  Json d = Document(name, {{"versions", {{{"user", "CORP\\jones"}, {"content", "v1"}}}}});
  d.update(more);
  return d;
}

std::string Seed() {
  Json many = Json::array();
  for (int i = 0; i < 12; ++i)
    many.push_back(CheckedIn(
        "m" + std::to_string(i) + ".txt",
        {{"properties",
          {{Office("Title"), "M" + std::to_string(i)}, {Office("Keywords"), {"a", "b", "c"}}}}}));
  Json reports = Json::array(
      {CheckedIn("in.txt"), CheckedIn("approved.txt", {{"published", true}}),
       Document("free.txt", {{"checked_out", false}}),
       Document("new-jones.txt", {{"created_by", "CORP\\jones"}}),
       Document("new-smith.txt", {{"created_by", "CORP\\smith"}}),
       CheckedIn("out-jones.txt", {{"checked_out_by", "CORP\\jones"}}),
       CheckedIn("out-smith.txt", {{"checked_out_by", "CORP\\smith"}}),
       CheckedIn("secret.txt", {{"hidden", true}}),
       CheckedIn("portal.txt", {{"hidden_in_portal", true}}),
       CheckedIn("memo.txt", {{"profile", "urn:content-classes:memo"},
                              {"properties",
                               {{Office("Title"), "Plan"},
                                {Office("Department"), "Legal"},
                                {Office("Topics"), {"Pricing", "Forecast", "Contracts"}}}}}),
       seed::Folder("2001", true)});
  Json items =
      Json::array({{{"name", "Reports"},
                    {"type", "enhanced"},
                    {"profiles",
                     {"urn:content-classes:hidden", "urn:content-classes:memo",
                      "urn:content-classes:untitled", "urn:content-classes:document"}},
                    {"default_profile", "urn:content-classes:memo"},
                    {"items", reports}},
                   seed::Folder("Many", true, many),
                   seed::Folder("Archive", false, Json::array({Document("old.txt")})),
                   Document("readme.txt", {{"properties", {{Office("Title"), "Read me"}}}}),
                   Document("top-hidden.txt", {{"hidden", true}}),
                   Document("top-portal.txt", {{"hidden_in_portal", true}})});
  Json sales =
      seed::Workspace("Sales", {{"CORP\\jones", "author"}, {"CORP\\smith", "author"}}, items);
  // The schema folder is not called Schema: readers must go where the
  // workspace's schema location points.
  sales["schema_folder"] = "Definitions";
  sales["categories"] = {{{"name", "Europe"}, {"children", {{{"name", "France"}}}}}};
  return seed::Store(Json::array({sales}), Schema());
}

class DocumentsProfilesHttpTest : public DocstoreTest {
 protected:
  void SetUp() override { StartStore(Seed()); }

  // The titles an ...Info call counts and its row reader reads.
  std::vector<std::string> Titles(automation::ConnectOrvex& obj, const char* info, const char* get,
                                  std::vector<Variant> args) {
    std::vector<std::string> out;
    for (const auto& r : Rows(obj, info, args, get, 1)) out.push_back(r[1].ToString());
    return out;
  }
};

// A subfolder takes its folder's default profile. (Which profiles each list
// offers is pinned in ProfileListsTest against the fake.)
TEST_F(DocumentsProfilesHttpTest, AFoldersDefaultProfileIsInherited) {
  auto obj = InSales("jones", "CORP", "secret");
  EXPECT_EQ(Call(*obj, "GetDefaultProfile", {Variant("Reports")}),
            Variant("urn:content-classes:memo"));
  EXPECT_EQ(Call(*obj, "GetDefaultProfile", {Variant("Reports/2001")}),
            Variant("urn:content-classes:memo"));
}

TEST_F(DocumentsProfilesHttpTest, PropertyDefinitionsAreReadAtTheWorkspacesSchemaLocation) {
  auto obj = InSales("jones", "CORP", "secret");
  // Profiles are named by the titles of the workspace's list.
  ASSERT_EQ(Call(*obj, "GetDocProfileInfo"), Variant(int16_t{9}));
  ASSERT_EQ(Call(*obj, "GetPropertyInfo", {Variant("Wide")}), Variant(int16_t{12}));
  auto row = [&](int16_t i) {
    std::vector<Variant> r{Variant(i), Variant(), Variant(), Variant(),
                           Variant(),  Variant(), Variant()};
    EXPECT_EQ(Call(*obj, "GetProperty", r), Variant(true));
    return r[1].ToString() + "|" + r[2].ToString() + "|" + (r[3].ToBool() ? "req" : "") + "|" +
           r[4].ToString() + "|" + r[5].ToString() + "|" + r[6].ToString();
  };
  EXPECT_EQ(row(0), "Title|The title||Text||4");
  EXPECT_EQ(row(1), "Department||req|List|Sales,Legal|3");
  EXPECT_EQ(row(2), "Topics|||List|Pricing|2");
  EXPECT_EQ(row(11), "E5|||Text||4");
}

TEST_F(DocumentsProfilesHttpTest, EveryStatusForBothUsersWithValues) {
  auto jones = InSales("jones", "CORP", "secret");
  ASSERT_EQ(Call(*jones, "GetDocProfileInfo"), Variant(int16_t{9}));
  const std::vector<std::string> seen_by_jones = Listing(*jones, "Reports");
  EXPECT_EQ(seen_by_jones,
            (std::vector<std::string>{"in.txt 1", "approved.txt 3", "free.txt 4", "new-jones.txt 5",
                                      "new-smith.txt! 2", "out-jones.txt 5", "out-smith.txt! 2",
                                      "portal.txt 1", "memo.txt 1"}));
  std::string profile;
  EXPECT_EQ(Values(*jones, 8, &profile),
            (std::vector<std::string>{"Title=Plan", "Department=Legal",
                                      "Topics*=Pricing,Forecast,Contracts"}));
  EXPECT_EQ(profile, "Memo");
  EXPECT_EQ(Values(*jones, 0, &profile), (std::vector<std::string>{"Title=", "Keywords*="}));
  EXPECT_EQ(profile, "Document");
  EXPECT_EQ(Call(*jones, "IsFileStatus", {Variant("Reports"), Variant("new-smith.txt")}),
            Variant(int16_t{2}));
  EXPECT_EQ(Call(*jones, "IsFileStatus", {Variant("Reports"), Variant("free.txt")}),
            Variant(int16_t{4}));

  // The workspace's top: hidden documents and those hidden in the portal are
  // not listed; documents of a standard folder have no status.
  EXPECT_EQ(Listing(*jones, ""), (std::vector<std::string>{"readme.txt 0"}));
  EXPECT_EQ(Values(*jones, 0), (std::vector<std::string>{"Title=Read me", "Keywords*="}));
  EXPECT_EQ(Listing(*jones, "Archive"), (std::vector<std::string>{"old.txt 0"}));
}

TEST_F(DocumentsProfilesHttpTest, TwelveDocumentsAndTheirValuesCostFiveRequestsOverOneConnection) {
  CountingProxy proxy(store_->port(), TlsCertificate());
  Reach("docs", proxy.port());
  auto obj = InSales("jones", "CORP", "secret");
  proxy.Reset();
  ASSERT_EQ(Call(*obj, "GetFileInfo", {Variant("Many")}), Variant(int16_t{12}));
  // The folder with its listing, the workspace, one profile, two property
  // definitions.
  EXPECT_EQ(proxy.methods(), std::vector<std::string>(5, "PROPFIND"));
  EXPECT_EQ(proxy.connections(), 1);
  EXPECT_EQ(Values(*obj, 11), (std::vector<std::string>{"Title=M11", "Keywords*=a,b,c"}));

  proxy.Reset();
  EXPECT_EQ(Call(*obj, "IsFileStatus", {Variant("Many"), Variant("m3.txt")}), Variant(int16_t{1}));
  EXPECT_EQ(proxy.requests(), 1);  // the folder with its listing
}

TEST_F(DocumentsProfilesHttpTest, ListingsIgnoreDoubledAndTrailingSeparators) {
  auto obj = InSales("jones", "CORP", "secret");
  for (const char* path : {"Reports", "/Reports", "Reports/", "Reports//"})
    EXPECT_EQ(Folders(*obj, path), (std::vector<std::string>{"2001+"})) << path;
  EXPECT_EQ(Folders(*obj, "/Reports//2001"), std::vector<std::string>{});
  for (const char* path : {"Europe", "/Europe", "Europe//"})
    EXPECT_EQ(Categories(*obj, path), (std::vector<std::string>{"France"})) << path;
  EXPECT_EQ(Listing(*obj, "/Reports//2001"), std::vector<std::string>{});
}

}  // namespace
}  // namespace orvex::testing
