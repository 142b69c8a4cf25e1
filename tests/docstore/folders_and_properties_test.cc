// Folders (plain and extended MKCOL), categories, PROPPATCH with typed
// values, MOVE and COPY rules, and schema look-ups by name.
#include <gtest/gtest.h>

#include "support/sample_store.h"

namespace orvex::docstore::testing {
namespace {

constexpr char kXmlHeader[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
constexpr char kNs[] =
    " xmlns:D=\"DAV:\" xmlns:b=\"urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/\""
    " xmlns:x=\"xml:\" xmlns:o=\"urn:schemas-microsoft-com:office:office\"";

std::string Mkcol(const std::string& props) {
  return std::string(kXmlHeader) + "<D:mkcol" + kNs + "><D:set><D:prop>" + props +
         "</D:prop></D:set></D:mkcol>";
}

std::string Update(const std::string& inner) {
  return std::string(kXmlHeader) + "<D:propertyupdate" + kNs + ">" + inner + "</D:propertyupdate>";
}

using FoldersTest = SampleStoreTest;

TEST_F(FoldersTest, ExtendedMkcolCreatesAFolderWithItsClassAndProperties) {
  auto r = jones_->Send("MKCOL", "/Sales/Plans", {{"Content-Type", "application/xml"}},
                        Mkcol("<D:contentclass>urn:content-classes:smartfolder</D:contentclass>"
                              "<o:Description>Plans for 2002</o:Description>"));
  ASSERT_EQ(r.status, 201) << r.body;
  auto folder = One(*jones_, "/Sales/Plans/");
  EXPECT_EQ(folder.href, "/Sales/Plans/");
  EXPECT_EQ(folder.Text("DAV:contentclass"), "urn:content-classes:smartfolder");
  EXPECT_EQ(folder.Text("urn:schemas-microsoft-com:office:office#Description"), "Plans for 2002");
  // Offered profiles come from the workspace when the folder sets none.
  EXPECT_EQ(folder.Values("urn:schemas-microsoft-com:publishing:DocumentProfiles"),
            (std::vector<std::string>{"urn:content-classes:document", "urn:content-classes:memo"}));

  // Nested, plain MKCOL: a standard folder.
  EXPECT_EQ(jones_->Send("MKCOL", "/Sales/Plans/Q1").status, 201);
  EXPECT_EQ(One(*jones_, "/Sales/Plans/Q1/").Text("DAV:contentclass"),
            "urn:content-classes:knowledgefolder");
  EXPECT_TRUE(One(*jones_, "/Sales/Plans/").Flag("DAV:hassubs"));

  // A document created in the enhanced folder starts its life cycle; one in
  // the standard folder does not.
  EXPECT_EQ(jones_->Send("PUT", "/Sales/Plans/a.txt", {}, "a").status, 201);
  EXPECT_EQ(
      One(*jones_, "/Sales/Plans/a.txt").Text("urn:schemas-microsoft-com:publishing:documentstate"),
      "created");
  EXPECT_EQ(jones_->Send("PUT", "/Sales/Plans/Q1/b.txt", {}, "b").status, 201);
  EXPECT_FALSE(One(*jones_, "/Sales/Plans/Q1/b.txt")
                   .Text("urn:schemas-microsoft-com:publishing:documentstate"));

  // Existing item, missing parent, wrong class, unknown body type, readers.
  EXPECT_EQ(jones_->Send("MKCOL", "/Sales/Plans").status, 405);
  EXPECT_EQ(jones_->Send("MKCOL", "/Sales/Nowhere/Deeper").status, 409);
  auto bad = jones_->Send("MKCOL", "/Sales/Odd", {{"Content-Type", "application/xml"}},
                          Mkcol("<D:contentclass>urn:content-classes:workspace</D:contentclass>"));
  EXPECT_EQ(bad.status, 403);
  EXPECT_EQ(ParseMultistatus(bad.body)[0].props.at("DAV:contentclass").status, 403);
  EXPECT_EQ(jones_->Send("PROPFIND", "/Sales/Odd/", {{"Depth", "0"}}).status, 404);
  EXPECT_EQ(jones_->Send("MKCOL", "/Sales/Odd", {{"Content-Type", "text/plain"}}, "hello").status,
            415);
  EXPECT_EQ(guest_->Send("MKCOL", "/Sales/Mine").status, 403);
  EXPECT_EQ(smith_->Send("MKCOL", "/NewWorkspace").status, 403);

  // The resource type says what to make: a collection is what MKCOL makes
  // and keeps no property; any other type is refused like a bad class.
  ASSERT_EQ(jones_
                ->Send("MKCOL", "/Sales/Typed/", {{"Content-Type", "application/xml"}},
                       Mkcol("<D:resourcetype><D:collection/></D:resourcetype>"
                             "<D:contentclass>urn:content-classes:smartfolder</D:contentclass>"))
                .status,
            201);
  auto typed = One(*jones_, "/Sales/Typed/");
  EXPECT_EQ(typed.Text("DAV:contentclass"), "urn:content-classes:smartfolder");
  EXPECT_EQ(typed.href, "/Sales/Typed/");
  auto calendar =
      jones_->Send("MKCOL", "/Sales/Cal", {{"Content-Type", "application/xml"}},
                   Mkcol("<D:resourcetype><D:collection/><C:calendar xmlns:C=\"urn:ietf:params:"
                         "xml:ns:caldav\"/></D:resourcetype>"));
  EXPECT_EQ(calendar.status, 403);
  EXPECT_EQ(ParseMultistatus(calendar.body)[0].props.at("DAV:resourcetype").status, 403);
  EXPECT_EQ(jones_->Send("PROPFIND", "/Sales/Cal/", {{"Depth", "0"}}).status, 404);
}

TEST_F(FoldersTest, CategoriesLiveUnderTheCategoriesFolder) {
  auto list = jones_->Propfind("/Sales/Categories/", 1);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1].href, "/Sales/Categories/Europe/");
  EXPECT_TRUE(list[1].Flag("DAV:haschildren"));
  EXPECT_EQ(list[1].Text("urn:schemas-microsoft-com:office:office#Description"),
            "European markets");
  EXPECT_EQ(list[2].href, "/Sales/Categories/Asia/");
  EXPECT_FALSE(list[2].Flag("DAV:haschildren"));

  EXPECT_EQ(jones_->Send("MKCOL", "/Sales/Categories/Europe/Spain").status, 201);
  EXPECT_EQ(One(*jones_, "/Sales/Categories/Europe/Spain/").Text("DAV:contentclass"),
            "urn:content-classes:categoryfolder");
  EXPECT_EQ(
      jones_
          ->Send("MOVE", "/Sales/Categories/Asia/",
                 {{"Destination", "http://docs/Sales/Categories/Orient/"}, {"Overwrite", "F"}})
          .status,
      201);
  // Categories hold no documents and do not mix with document folders.
  EXPECT_EQ(jones_->Send("PUT", "/Sales/Categories/Europe/x.txt", {}, "x").status, 403);
  EXPECT_EQ(jones_
                ->Send("MOVE", "/Sales/Categories/Orient/",
                       {{"Destination", "http://docs/Sales/Orient/"}})
                .status,
            403);
  EXPECT_EQ(jones_->Send("DELETE", "/Sales/Categories/Orient/").status, 204);
  // The categories folder itself stays.
  EXPECT_EQ(smith_->Send("DELETE", "/Sales/Categories/").status, 403);
}

TEST_F(FoldersTest, ProppatchStoresTypedValuesAllOrNothing) {
  auto r = jones_->Send(
      "PROPPATCH", "/Sales/Archive/old-report.txt", {{"Content-Type", "application/xml"}},
      Update("<D:set><D:prop>"
             "<o:Keywords b:dt=\"mv.string\"><x:v>one</x:v><x:v>two</x:v><x:v>three</x:v>"
             "</o:Keywords>"
             "<Pages xmlns=\"urn:example:custom:\" b:dt=\"int\">42</Pages>"
             "<D:ishidden b:dt=\"boolean\">1</D:ishidden>"
             "<Note xmlns=\"urn:example:custom:\">untyped</Note>"
             "</D:prop></D:set>"
             "<D:remove><D:prop><o:Author/></D:prop></D:remove>"));
  ASSERT_EQ(r.status, 207);
  auto outcome = ParseMultistatus(r.body);
  ASSERT_EQ(outcome.size(), 1u);
  for (const auto& [name, value] : outcome[0].props) EXPECT_EQ(value.status, 200) << name;

  auto doc = One(*jones_, "/Sales/Archive/old-report.txt");
  EXPECT_EQ(doc.Values("urn:schemas-microsoft-com:office:office#Keywords"),
            (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(doc.props.at("urn:example:custom:Pages").type, "int");
  EXPECT_EQ(doc.Text("urn:example:custom:Pages"), "42");
  EXPECT_EQ(doc.props.at("urn:example:custom:Note").type, "");
  EXPECT_TRUE(doc.Flag("DAV:ishidden"));
  EXPECT_FALSE(doc.Text("urn:schemas-microsoft-com:office:office#Author"));

  // One protected property fails the whole request: 403 for it, 424 for
  // the rest, nothing changed.
  r = jones_->Send("PROPPATCH", "/Sales/Archive/old-report.txt",
                   {{"Content-Type", "application/xml"}},
                   Update("<D:set><D:prop><o:Title>Changed</o:Title>"
                          "<D:getcontentlength>1</D:getcontentlength></D:prop></D:set>"));
  ASSERT_EQ(r.status, 207);
  auto answer = ParseMultistatus(r.body)[0];
  EXPECT_EQ(answer.props.at("DAV:getcontentlength").status, 403);
  EXPECT_EQ(answer.props.at("urn:schemas-microsoft-com:office:office#Title").status, 424);
  EXPECT_EQ(One(*jones_, "/Sales/Archive/old-report.txt")
                .Text("urn:schemas-microsoft-com:office:office#Title"),
            "Report 2000");

  // The profile of a document must be one of the workspace's.
  r = jones_->Send("PROPPATCH", "/Sales/Archive/old-report.txt",
                   {{"Content-Type", "application/xml"}},
                   Update("<D:set><D:prop><D:contentclass>urn:content-classes:nothing"
                          "</D:contentclass></D:prop></D:set>"));
  EXPECT_NE(ParseMultistatus(r.body)[0].props.at("DAV:contentclass").status, 200);
  r = jones_->Send("PROPPATCH", "/Sales/Archive/old-report.txt",
                   {{"Content-Type", "application/xml"}},
                   Update("<D:set><D:prop><D:contentclass>urn:content-classes:memo"
                          "</D:contentclass></D:prop></D:set>"));
  EXPECT_EQ(ParseMultistatus(r.body)[0].props.at("DAV:contentclass").status, 200);
  EXPECT_EQ(One(*jones_, "/Sales/Archive/old-report.txt").Text("DAV:contentclass"),
            "urn:content-classes:memo");

  // Workspace settings are the coordinator's.
  std::string describe =
      Update("<D:set><D:prop><o:Description>Ours</o:Description></D:prop></D:set>");
  EXPECT_EQ(jones_->Send("PROPPATCH", "/Sales/", {}, describe).status, 403);
  EXPECT_EQ(smith_->Send("PROPPATCH", "/Sales/", {}, describe).status, 207);
  EXPECT_EQ(One(*guest_, "/Sales/").Text("urn:schemas-microsoft-com:office:office#Description"),
            "Ours");
}

TEST_F(FoldersTest, NamespacesWithMarkupCharactersAreWrittenEscaped) {
  // A namespace holding the characters XML escapes: every later answer that
  // names the property still parses, and gives the namespace back as sent.
  auto r = jones_->Send("PROPPATCH", "/Sales/readme.txt", {},
                        Update("<D:set><D:prop><z:tag xmlns:z=\"urn:a&amp;b&lt;c&quot;d:\">kept"
                               "</z:tag></D:prop></D:set>"));
  ASSERT_EQ(r.status, 207) << r.body;
  EXPECT_EQ(One(*jones_, "/Sales/readme.txt").Text("urn:a&b<c\"d:tag"), "kept");
  bool listed = false;
  for (const auto& row : jones_->Propfind("/Sales/", 1))
    listed = listed || row.Text("urn:a&b<c\"d:tag") == "kept";
  EXPECT_TRUE(listed);
}

TEST_F(FoldersTest, MoveAndCopyHonourOverwriteAndKeepHistory) {
  auto move = [&](const std::string& from, const std::string& to, const char* overwrite) {
    return jones_
        ->Send("MOVE", from, {{"Destination", "http://docs" + to}, {"Overwrite", overwrite}})
        .status;
  };
  EXPECT_EQ(move("/Sales/Archive/", "/Sales/Documents", "F"), 412);
  EXPECT_EQ(move("/Sales/Archive/", "/Sales/Old", "F"), 201);
  EXPECT_EQ(jones_->Send("GET", "/Sales/Old/old-report.txt").body, "The report of 2000.\n");
  EXPECT_EQ(jones_->Send("GET", "/Sales/Archive/old-report.txt").status, 404);
  EXPECT_EQ(move("/Sales/Old/", "/Sales/Nowhere/Old", "F"), 409);
  EXPECT_EQ(move("/Sales/Old/", "/Sales/Old/Inner", "F"), 403);
  EXPECT_EQ(move("/Sales/Old/", "/Sales/Old", "T"), 403);
  EXPECT_EQ(move("/Sales/Reports/forecast.txt", "/Sales/Reports/2001/forecast.txt", "F"), 201);
  // History travels with the document.
  auto history = jones_->Send("REPORT", "/Sales/Reports/2001/forecast.txt", {},
                              "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  ASSERT_EQ(history.status, 207);
  EXPECT_EQ(ParseMultistatus(history.body).size(), 3u);

  // Overwrite: T replaces the destination.
  EXPECT_EQ(jones_
                ->Send("COPY", "/Sales/readme.txt",
                       {{"Destination", "http://docs/Sales/Old/old-report.txt"}})
                .status,
            204);
  EXPECT_EQ(jones_->Send("GET", "/Sales/Old/old-report.txt").body,
            "How this workspace is organised.\n");
  // Copies into an enhanced folder take its life cycle but no history.
  EXPECT_EQ(jones_
                ->Send("COPY", "/Sales/readme.txt",
                       {{"Destination", "http://docs/Sales/Documents/readme.txt"}})
                .status,
            201);
  auto copy = One(*jones_, "/Sales/Documents/readme.txt");
  EXPECT_EQ(copy.Text("urn:schemas-microsoft-com:publishing:documentstate"), "createdcheckedin");
  EXPECT_EQ(copy.Text("urn:schemas-microsoft-com:office:office#Title"), "Read me");

  // Fixed items and other people's workspaces.
  EXPECT_EQ(move("/Sales/", "/Renamed", "F"), 403);
  EXPECT_EQ(move("/Sales/Schema/", "/Sales/Schema2", "F"), 403);
  EXPECT_EQ(move("/Sales/readme.txt", "/Board/readme.txt", "F"), 403);
  EXPECT_EQ(
      guest_->Send("MOVE", "/Sales/readme.txt", {{"Destination", "http://docs/Sales/readme2.txt"}})
          .status,
      403);
  EXPECT_EQ(jones_->Send("MOVE", "/Sales/readme.txt").status, 400);
}

TEST_F(FoldersTest, SchemaItemsAreFoundByTheirIdInTheSchemaFolder) {
  auto workspace = One(*guest_, "/Sales/");
  std::string schema = workspace.Text("urn:schemas-microsoft-com:exch-data:schema-collection-ref")
                           .value_or("")
                           .substr(std::string("http://docs").size());
  ASSERT_EQ(schema, "/Sales/Schema");
  auto profiles = workspace.Values("urn:schemas-microsoft-com:publishing:DocumentProfiles");
  ASSERT_EQ(profiles.size(), 2u);

  auto memo = One(*guest_, schema + "/urn%3Acontent-classes%3Amemo");
  EXPECT_EQ(memo.Text("DAV:contentclass"), "urn:content-classes:contentclassdef");
  EXPECT_EQ(memo.Text("DAV:displayname"), "Memo");
  auto order = memo.Values("urn:schemas-microsoft-com:publishing:propertyorder");
  ASSERT_EQ(order.size(), 7u);
  EXPECT_EQ(order[4], "urn:schemas-microsoft-com:office:office#Department");

  // '#' travels encoded; ':' may travel either way.
  auto department = One(*guest_, schema + "/urn:schemas-microsoft-com:office:office%23Department");
  EXPECT_EQ(department.Text("DAV:displayname"), "Department");
  EXPECT_EQ(department.Text("urn:schemas-microsoft-com:publishing:extended-type"), "List");
  EXPECT_TRUE(department.Flag("urn:schemas-microsoft-com:exch-data:isrequired"));
  EXPECT_FALSE(department.Flag("urn:schemas-microsoft-com:exch-data:ismultivalued"));
  EXPECT_TRUE(department.Flag("urn:schemas-microsoft-com:exch-data:isretrieved"));
  // The definition's own flag, not "a reader may not change this item".
  EXPECT_FALSE(department.Flag("DAV:isreadonly"));
  std::string dictionary =
      department.Text("urn:schemas-microsoft-com:exch-data:dictionary").value_or("");
  auto values = One(*guest_, schema + "/" + dictionary);
  EXPECT_EQ(values.Text("DAV:contentclass"), "urn:content-classes:dictionary");
  EXPECT_EQ(values.Values("urn:schemas-microsoft-com:publishing:dictionaryvalues"),
            (std::vector<std::string>{"Sales", "Marketing", "Legal", "Finance"}));
  EXPECT_TRUE(values.Flag("urn:schemas-microsoft-com:publishing:isrestricted"));

  auto topics = One(*guest_, schema + "/urn%3Aschemas-microsoft-com%3Aoffice%3Aoffice%23Topics");
  EXPECT_TRUE(topics.Flag("urn:schemas-microsoft-com:exch-data:ismultivalued"));
  auto summary = One(*guest_, schema + "/urn%3Aschemas-microsoft-com%3Aoffice%3Aoffice%23Summary");
  EXPECT_EQ(summary.Text("urn:schemas-microsoft-com:publishing:extended-type"), "Comment box");
  EXPECT_EQ(summary.Text("urn:schemas-microsoft-com:exch-data:dictionary"), "");

  // Schema items are the coordinator's: authors cannot change them.
  EXPECT_EQ(jones_->Send("DELETE", schema + "/urn%3Acontent-classes%3Amemo").status, 403);
  EXPECT_EQ(jones_->Send("PUT", schema + "/x", {}, "x").status, 403);
  EXPECT_EQ(guest_->Propfind(schema + "/urn%3Acontent-classes%3Anothing", 0).size(), 0u);
  EXPECT_EQ(guest_->last_status(), 404);
}

}  // namespace
}  // namespace orvex::docstore::testing
