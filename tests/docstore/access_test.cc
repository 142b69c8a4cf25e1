// Authentication, roles and the workspace list, over HTTP.
#include <gtest/gtest.h>

#include "support/sample_store.h"

namespace orvex::docstore::testing {
namespace {

using AccessTest = SampleStoreTest;

TEST_F(AccessTest, BasicCredentialsAreCheckedOnEveryRequestButOptions) {
  EXPECT_EQ(jones_->Send("PROPFIND", "/Sales/", {{"Depth", "0"}}).status, 207);

  // The domain part belongs to the user name; case does not matter for it.
  Client upper(server_->port(), "corp\\JONES", "secret");
  EXPECT_EQ(upper.Send("PROPFIND", "/Sales/", {{"Depth", "0"}}).status, 207);

  for (auto [user, password] : {std::pair{"CORP\\jones", "wrong"},
                                {"jones", "secret"},
                                {"CORP\\nobody", "secret"},
                                {"", ""},
                                {"CORP\\jones", "SECRET"}}) {
    Client bad(server_->port(), user, password);
    auto r = bad.Send("PROPFIND", "/Sales/", {{"Depth", "0"}});
    EXPECT_EQ(r.status, 401) << user << " / " << password;
    EXPECT_EQ(r.Header("www-authenticate"), "Basic realm=\"docstore\"");
    EXPECT_EQ(r.body.find("secret"), std::string::npos);
    EXPECT_EQ(bad.Send("GET", "/Sales/readme.txt").status, 401);
  }

  // A password followed by a NUL and anything is not the password.
  Client nul(server_->port(), "CORP\\jones", std::string("secret\0more", 11));
  EXPECT_EQ(nul.Send("PROPFIND", "/Sales/", {{"Depth", "0"}}).status, 401);

  // A malformed Authorization header is a refusal too, not a crash.
  Client anonymous(server_->port(), "", "");
  EXPECT_EQ(
      anonymous.Send("PROPFIND", "/", {{"Depth", "0"}, {"Authorization", "Basic !!!"}}).status,
      401);
  EXPECT_EQ(anonymous.Send("PROPFIND", "/", {{"Depth", "0"}, {"Authorization", "Digest x"}}).status,
            401);

  auto options = anonymous.Send("OPTIONS", "/Sales/");
  EXPECT_EQ(options.status, 200);
  std::string allow = options.Header("allow");
  for (const char* method : {"PROPFIND", "PROPPATCH", "MKCOL", "PUT", "DELETE", "MOVE", "COPY",
                             "CHECKOUT", "CHECKIN", "PUBLISH", "REPORT"})
    EXPECT_NE(allow.find(method), std::string::npos) << method;
  EXPECT_NE(options.Header("dav").find("extended-mkcol"), std::string::npos);
}

TEST_F(AccessTest, WorkspaceListNamesEveryWorkspaceAtItsOwnPath) {
  // guest has a role in Sales only, yet the list is not filtered.
  auto list = guest_->Propfind("/Public/Workspaces/", 1);
  ASSERT_EQ(guest_->last_status(), 207);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].href, "/Public/Workspaces/");
  std::vector<std::string> hrefs;
  for (size_t i = 1; i < list.size(); ++i) {
    hrefs.push_back(list[i].href);
    EXPECT_EQ(list[i].Text("DAV:contentclass"), "urn:content-classes:workspace");
    EXPECT_TRUE(list[i].Text("urn:schemas-microsoft-com:office:office#Description"));
    EXPECT_EQ(list[i].Text("urn:schemas-microsoft-com:exch-data:defaultContentClass"),
              "urn:content-classes:document");
    EXPECT_EQ(list[i].props.at("DAV:iscollection").type, "boolean");
  }
  EXPECT_EQ(hrefs, (std::vector<std::string>{"/Sales/", "/Legal/", "/Board/"}));
  EXPECT_EQ(list[1].Text("DAV:displayname"), "Sales");
  EXPECT_EQ(list[1].Text("urn:schemas-microsoft-com:office:office#Description"),
            "Sales team documents");

  // Depth 0 answers the list alone; an unbounded depth is refused.
  EXPECT_EQ(guest_->Propfind("/Public/Workspaces/", 0).size(), 1u);
  EXPECT_EQ(guest_->Send("PROPFIND", "/Public/Workspaces/", {{"Depth", "infinity"}}).status, 403);
}

TEST_F(AccessTest, UsersWithoutARoleAreRefusedInsideTheWorkspace) {
  for (const char* target :
       {"/Board/", "/Board", "/Board/Minutes/", "/Board/Schema/", "/Board/Categories/"}) {
    EXPECT_EQ(jones_->Send("PROPFIND", target, {{"Depth", "0"}}).status, 403) << target;
    EXPECT_EQ(smith_->Send("PROPFIND", target, {{"Depth", "0"}}).status, 207) << target;
  }
  EXPECT_EQ(jones_->Send("GET", "/Board/Minutes/").status, 403);
  EXPECT_EQ(guest_->Send("PROPFIND", "/Legal/", {{"Depth", "1"}}).status, 403);
  EXPECT_EQ(guest_->Send("GET", "/Legal/Contracts/nda.txt").status, 403);
  EXPECT_EQ(jones_->Send("PROPFIND", "/Legal/Contracts/", {{"Depth", "1"}}).status, 207);
  // Even a missing item inside the workspace is refused, not reported
  // missing: the outsider learns nothing about what is there.
  EXPECT_EQ(jones_->Send("PROPFIND", "/Board/no-such-thing", {{"Depth", "0"}}).status, 403);
  // Nor whatever else is wrong with the request: a body that is not XML, a
  // content type that is not text (each a 400 for a member).
  EXPECT_EQ(guest_->Send("PROPFIND", "/Legal/", {{"Depth", "0"}}, "<not").status, 403);
  EXPECT_EQ(jones_->Send("PROPFIND", "/Legal/", {{"Depth", "0"}}, "<not").status, 400);
  const std::map<std::string, std::string> bad_type{{"Content-Type", "text/\xff"}};
  EXPECT_EQ(guest_->Send("PUT", "/Legal/Contracts/x.txt", bad_type, "x").status, 403);
  EXPECT_EQ(jones_->Send("PUT", "/Sales/Archive/x.txt", bad_type, "x").status, 400);
}

TEST_F(AccessTest, WorkspaceRootCarriesItsSettingsWithTheRequestHost) {
  auto root = jones_->Propfind("/Sales/", 0);
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(root[0].href, "/Sales/");
  EXPECT_EQ(root[0].Text("urn:schemas-microsoft-com:workspace#CategoriesFolder"), "Categories");
  EXPECT_EQ(root[0].Text("urn:schemas-microsoft-com:exch-data:schema-collection-ref"),
            "http://docs/Sales/Schema");
  EXPECT_EQ(root[0].Text("DAV:parentname"), "http://docs");

  jones_->set_host("files.example");
  root = jones_->Propfind("/Sales/", 0);
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(root[0].Text("urn:schemas-microsoft-com:exch-data:schema-collection-ref"),
            "http://files.example/Sales/Schema");
}

TEST_F(AccessTest, FolderListingShowsClassesFlagsAndRoleDependentReadOnly) {
  auto rows = jones_->Propfind("/Sales/", 1);
  ASSERT_EQ(jones_->last_status(), 207);
  std::map<std::string, WireResponse> by_href;
  for (const auto& r : rows) by_href[r.href] = r;
  ASSERT_TRUE(by_href.count("/Sales/Reports/"));
  EXPECT_EQ(by_href["/Sales/Reports/"].Text("DAV:contentclass"), "urn:content-classes:smartfolder");
  EXPECT_TRUE(by_href["/Sales/Reports/"].Flag("DAV:hassubs"));
  EXPECT_TRUE(by_href["/Sales/Reports/"].Flag("DAV:haschildren"));
  EXPECT_FALSE(by_href["/Sales/Reports/"].Flag("DAV:isreadonly"));
  EXPECT_EQ(by_href["/Sales/Archive/"].Text("DAV:contentclass"),
            "urn:content-classes:knowledgefolder");
  EXPECT_FALSE(by_href["/Sales/Archive/"].Flag("DAV:hassubs"));
  EXPECT_TRUE(by_href["/Sales/Archive/"].Flag("DAV:haschildren"));
  EXPECT_EQ(by_href["/Sales/Categories/"].Text("DAV:contentclass"),
            "urn:content-classes:categoryfolder");
  EXPECT_TRUE(by_href["/Sales/Schema/"].Flag("DAV:ishidden"));
  EXPECT_TRUE(by_href["/Sales/portal-note.txt"].Flag(
      "urn:schemas-microsoft-com:publishing:IsHiddenInPortal"));
  EXPECT_EQ(by_href["/Sales/Documents/"].Text("DAV:parentname"), "http://docs/Sales");

  auto guest_rows = guest_->Propfind("/Sales/Reports/", 0);
  ASSERT_EQ(guest_rows.size(), 1u);
  EXPECT_TRUE(guest_rows[0].Flag("DAV:isreadonly"));

  // A folder that does not exist.
  EXPECT_TRUE(jones_->Propfind("/Sales/Nope/", 1).empty());
  EXPECT_EQ(jones_->last_status(), 404);
}

TEST_F(AccessTest, AMoveNeedsWritePermissionWhereTheItemLeaves) {
  // jones reads Legal and writes in Sales: copying out of Legal is a read
  // there, moving out of it a write, however open the destination is.
  const std::map<std::string, std::string> to_sales = {
      {"Destination", "http://docs/Sales/Reports/nda.txt"}};
  EXPECT_EQ(jones_->Send("MOVE", "/Legal/Contracts/nda.txt", to_sales).status, 403);
  EXPECT_EQ(jones_->Send("GET", "/Legal/Contracts/nda.txt").status, 200);
  EXPECT_EQ(jones_->Send("GET", "/Sales/Reports/nda.txt").status, 404);
  EXPECT_EQ(jones_->Send("COPY", "/Legal/Contracts/nda.txt", to_sales).status, 201);
}

TEST_F(AccessTest, TheSchemaIsChangedByCoordinatorsOnly) {
  // A dead property on a profile definition: nothing but the role stands
  // between the request and the change.
  const std::string memo = "/Sales/Schema/urn%3Acontent-classes%3Amemo";
  const std::string body =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propertyupdate xmlns:D=\"DAV:\">"
      "<D:set><D:prop><z:note xmlns:z=\"urn:example:\">reviewed</z:note></D:prop></D:set>"
      "</D:propertyupdate>";
  EXPECT_EQ(jones_->Send("PROPPATCH", memo, {}, body).status, 403);
  EXPECT_FALSE(One(*smith_, memo).Text("urn:example:note"));
  EXPECT_EQ(smith_->Send("PROPPATCH", memo, {}, body).status, 207);
  EXPECT_EQ(One(*jones_, memo).Text("urn:example:note"), "reviewed");
}

}  // namespace
}  // namespace orvex::docstore::testing
