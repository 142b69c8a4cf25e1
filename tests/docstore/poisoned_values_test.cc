// Values that XML 1.0 cannot carry, or that a reader would take for markup,
// never get into the store through a request, and a store that already holds
// some (written by an older version) still answers well-formed listings.
#include <gtest/gtest.h>

#include <filesystem>

#include "docstore/names.h"
#include "docstore/store.h"
#include "support/docstore_client.h"
#include "support/temp_dir.h"

namespace orvex::docstore::testing {
namespace {

constexpr char kFffe[] = "\xEF\xBF\xBE";  // U+FFFE, a non-character
constexpr char kFdd0[] = "\xEF\xB7\x90";  // U+FDD0, a non-character
constexpr char kNel[] = "\xC2\x85";       // U+0085, a C1 control
constexpr char kReplacement[] = "\xEF\xBF\xBD";

std::string Proppatch(const std::string& props) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propertyupdate xmlns:D=\"DAV:\">"
         "<D:set><D:prop>" +
         props + "</D:prop></D:set></D:propertyupdate>";
}

// Every listing a client makes of the Sales workspace parses as XML.
void ExpectListingsParse(Client& client) {
  for (const char* folder : {"/Sales/", "/Sales/Reports/", "/Sales/Documents/"}) {
    auto rows = client.Propfind(folder, 1);
    EXPECT_EQ(client.last_status(), 207) << folder;
    EXPECT_FALSE(rows.empty()) << folder;
  }
  auto report = client.Send("REPORT", "/Sales/Reports/forecast.txt", {},
                            "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  EXPECT_EQ(report.status, 207);
  EXPECT_NO_THROW(ParseMultistatus(report.body));
}

TEST(PoisonedValuesTest, RequestsCarryingThemAreRefused) {
  auto server = StartServer();
  Client jones(server->port(), "CORP\\jones", "secret");
  // Names: a non-character, a C1 control, a tab; as a new folder, a new
  // document or a MOVE's destination.
  for (std::string bad : {"%EF%BF%BE", "%EF%B7%90", "%F0%9F%BF%BF", "%C2%85", "a%09b", "a%0Db"}) {
    EXPECT_EQ(jones.Send("MKCOL", "/Sales/" + bad + "/").status, 400) << bad;
    EXPECT_EQ(jones.Send("PUT", "/Sales/Reports/" + bad + ".txt", {}, "x").status, 400) << bad;
    EXPECT_EQ(jones
                  .Send("MOVE", "/Sales/readme.txt",
                        {{"Destination", "http://docs/Sales/" + bad + ".txt"}})
                  .status,
              400)
        << bad;
  }
  // Header values the store keeps: a document's content type, a check-in
  // comment; and the Host that every absolute URL in an answer is built from.
  for (std::string type :
       {std::string("text/\xff"), std::string("text/") + kFffe, std::string("a") + kNel}) {
    EXPECT_EQ(jones.Send("PUT", "/Sales/readme.txt", {{"Content-Type", type}}, "x").status, 400);
  }
  EXPECT_EQ(jones.Send("CHECKIN", "/Sales/Reports/forecast.txt", {{"Comment", "%EF%BF%BE"}}).status,
            400);
  EXPECT_EQ(jones.Send("CHECKIN", "/Sales/Reports/forecast.txt", {{"Comment", "a%01b"}}).status,
            400);
  EXPECT_EQ(jones
                .Send("CHECKIN", "/Sales/Reports/forecast.txt", {},
                      std::string("<D:checkin xmlns:D=\"DAV:\"><D:comment>") + kFdd0 +
                          "</D:comment></D:checkin>")
                .status,
            400);
  jones.set_host(std::string("docs") + kFffe);
  EXPECT_EQ(jones.Send("PROPFIND", "/Sales/", {{"Depth", "0"}}).status, 400);
  jones.set_host("docs");
  // Property values: raw or as character references; property names in the
  // namespaces nobody may declare.
  for (std::string value : {std::string(kFffe), std::string(kFdd0), std::string(kNel),
                            std::string("&#xFFFE;"), std::string("&#x85;"), std::string("&#1;")}) {
    EXPECT_EQ(jones
                  .Send("PROPPATCH", "/Sales/Reports/", {},
                        Proppatch("<Note xmlns=\"urn:example:\">" + value + "</Note>"))
                  .status,
              400)
        << value;
  }
  EXPECT_EQ(
      jones.Send("PROPPATCH", "/Sales/Reports/", {}, Proppatch("<xml:Note>x</xml:Note>")).status,
      400);
  EXPECT_EQ(jones
                .Send("PROPPATCH", "/Sales/Reports/", {},
                      Proppatch("<p:Note xmlns:p=\"http://www.w3.org/XML/1998/namespace\">x"
                                "</p:Note>"))
                .status,
            400);
  EXPECT_EQ(jones
                .Send("MKCOL", "/Sales/Fresh/", {{"Content-Type", "application/xml"}},
                      "<D:mkcol xmlns:D=\"DAV:\"><D:set><D:prop><xml:base>x</xml:base>"
                      "</D:prop></D:set></D:mkcol>")
                .status,
            400);
  EXPECT_EQ(jones.Send("GET", "/Sales/Fresh/").status, 404);

  // What the protocol allows goes in and comes back: a value that is an XML
  // fragment using xml:lang, and text with markup characters.
  auto set = jones.Send(
      "PROPPATCH", "/Sales/Reports/", {},
      Proppatch("<Note xmlns=\"urn:example:\"><p xml:lang=\"fr\">d&#xE9;j&#xE0;</p></Note>"
                "<Plain xmlns=\"urn:example:\">a &lt;b&gt; &amp; \"c\"</Plain>"));
  EXPECT_EQ(set.status, 207);
  ExpectListingsParse(jones);
  auto rows = jones.Propfind("/Sales/Reports/", 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Text("urn:example:Plain"), "a <b> & \"c\"");
  auto raw = jones.Send("PROPFIND", "/Sales/Reports/", {{"Depth", "0"}});
  EXPECT_NE(raw.body.find("xml:lang=\"fr\">d\xC3\xA9j\xC3\xA0</p>"), std::string::npos) << raw.body;
}

TEST(PoisonedValuesTest, AStoreAlreadyHoldingThemListsCleanly) {
  if (StoreInPostgres()) GTEST_SKIP() << "PostgreSQL keeps no text that is not UTF-8";
  orvex::testing::TempDir temp("poisoned");
  const std::string& dir = temp.path();
  StartServer("", dir).reset();  // seeds the store
  {
    // What an older version let in.
    Store store(dir);
    Store::Txn txn(store);
    auto reports = store.Find("/Sales/Reports");
    ASSERT_TRUE(reports);
    Resource odd = store.Create(*reports, std::string("odd") + kFffe + "\x01\xff",
                                Kind::kCollection, kClassKnowledgeFolder);
    store.SetProp(odd.id, {"urn:example:", "Note"},
                  PropValue::Plain(std::string("a") + kFffe + "b\x02" + kNel + "c\xC3"));
    store.SetProp(odd.id, {"http://www.w3.org/XML/1998/namespace", "lang"}, PropValue::Plain("en"));
    store.SetProp(odd.id, {"urn:example:", "not a name"}, PropValue::Plain("x"));
    store.SetProp(odd.id, {"urn:example:", "Broken"}, PropValue{"#xml", "<a><b></a>", {}});
    store.SetProp(odd.id, {"urn:example:", "Tags"},
                  PropValue::Multi({std::string("t") + kFdd0, "u"}));
    auto doc = store.Find("/Sales/Reports/forecast.txt");
    ASSERT_TRUE(doc);
    doc->content_type = std::string("text/") + kFffe;
    store.Update(*doc);
    txn.Commit();
  }
  auto server = StartServer("", dir);
  Client jones(server->port(), "CORP\\jones", "secret");
  ExpectListingsParse(jones);
  auto rows = jones.Propfind("/Sales/Reports/", 1);
  bool seen = false;
  for (const auto& row : rows) {
    if (row.href.find("/odd") == std::string::npos) continue;
    seen = true;
    // Non-characters and broken sequences read as U+FFFD, controls are
    // left out; a name that cannot be an element is not listed; a broken
    // fragment comes back as its text.
    EXPECT_EQ(row.Text("urn:example:Note"), std::string("a") + kReplacement + "bc" + kReplacement);
    EXPECT_EQ(row.Text("DAV:displayname"), std::string("odd") + kReplacement + kReplacement);
    EXPECT_EQ(row.Values("urn:example:Tags"),
              (std::vector<std::string>{std::string("t") + kReplacement, "u"}));
    EXPECT_EQ(row.Text("urn:example:Broken"), "<a><b></a>");
    for (const auto& [name, value] : row.props) {
      EXPECT_EQ(name.find(' '), std::string::npos) << name;
      EXPECT_EQ(name.find("XML/1998"), std::string::npos) << name;
    }
  }
  EXPECT_TRUE(seen);
  auto forecast = jones.Propfind("/Sales/Reports/forecast.txt", 0);
  ASSERT_EQ(forecast.size(), 1u);
  EXPECT_EQ(forecast[0].Text("DAV:getcontenttype"), std::string("text/") + kReplacement);
}

}  // namespace
}  // namespace orvex::docstore::testing
