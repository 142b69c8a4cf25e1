// The WebDAV backend over real HTTP against a canned-response server.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "platform/host_map.h"
#include "server/canned_webdav.h"
#include "server/connection.h"
#include "server/error.h"
#include "server/names.h"
#include "server/stream.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/webdav_backend.h"
#include "support/error_of.h"
#include "support/temp_dir.h"

namespace orvex::server {
namespace {

using orvex::testing::CannedHttpServer;
using orvex::testing::CannedReply;
using orvex::testing::Collection;
using orvex::testing::ErrorOf;
using orvex::testing::Multistatus;
using orvex::testing::PathOf;
using orvex::testing::RecordedRequest;
using orvex::testing::Response;

constexpr char kJonesAuth[] = "Basic Q09SUFxqb25lczpzZWNyZXQ=";  // CORP\jones:secret
constexpr char kOtherAuth[] = "Basic b3RoZXI6cHcy";              // other:pw2

std::string Folder(const std::string& href, const std::string& name,
                   const std::string& content_class) {
  return Collection(href, "<D:displayname>" + name + "</D:displayname><D:contentclass>" +
                              content_class + "</D:contentclass>");
}

using WebDavBackendTest = orvex::testing::CannedWebDavTest;

TEST_F(WebDavBackendTest, OpenConnectionSendsAnAuthenticatedPropfindToTheBareHostName) {
  auto c = OpenConnection();
  EXPECT_EQ(c->State(), kStateOpen);
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 1u);
  const RecordedRequest& r = requests[0];
  EXPECT_EQ(r.method, "PROPFIND");
  EXPECT_EQ(r.target, "/Public/Workspaces/");
  EXPECT_EQ(r.Header("host"), "docs");
  EXPECT_EQ(r.Header("depth"), "0");
  EXPECT_EQ(r.Header("authorization"), kJonesAuth);
  EXPECT_NE(r.Header("content-type").find("application/xml"), std::string::npos);
  EXPECT_NE(r.body.find("<D:allprop/>"), std::string::npos);
}

TEST_F(WebDavBackendTest, OpenConnectionChecksTheProviderAndTheUrlBeforeSending) {
  server_.ClearRequests();
  auto c = NewConnection();
  c->SetProvider("SomethingElse");
  EXPECT_EQ(ErrorOf<Error>([&] { c->Open("http://docs/Public/Workspaces", "u", "p", -1); }),
            kErrGenericFailure);
  EXPECT_EQ(ErrorOf<Error>([&] { NewConnection()->Open("docs/Public/Workspaces", "u", "p", -1); }),
            kErrGenericFailure);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(WebDavBackendTest, EncodesPathsOnlyWhenTheConnectionAsks) {
  auto c = NewConnection();
  c->Open("http://docs/Sales/My Reports/K\xC3\xB6ln 100%", "CORP\\jones", "secret", -1);
  auto plain = std::make_unique<Connection>(backend_);
  plain->SetProvider("msdaipp.dso");  // provider names ignore case
  plain->Open("http://docs/Sales/Already%20Encoded", "", "", -1);
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/Sales/My%20Reports/K%C3%B6ln%20100%25/");
  EXPECT_EQ(requests[1].target, "/Sales/Already%20Encoded/");
  EXPECT_EQ(requests[1].Header("authorization"), "");
}

TEST_F(WebDavBackendTest, OpenReadsTypedPropertiesAndDerivesTheResourceColumns) {
  auto c = OpenConnection();
  Answer([](const RecordedRequest&) {
    return CannedReply::Multistatus(
        Multistatus("<D:response><D:href>/Sales/My%20Reports/</D:href>"
                    "<D:propstat><D:prop>"
                    "<D:contentclass>urn:content-classes:smartfolder</D:contentclass>"
                    "<D:isreadonly b:dt=\"boolean\">1</D:isreadonly>"
                    "<D:hassubs b:dt=\"boolean\">0</D:hassubs>"
                    "<D:resourcetype><D:collection/></D:resourcetype>"
                    "<C:CategoriesFolder xmlns:C=\"urn:schemas-microsoft-com:workspace\">Categories"
                    "</C:CategoriesFolder>"
                    "<P:count xmlns:P=\"urn:p:\" b:dt=\"int\">3</P:count>"
                    "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
                    "<D:propstat><D:prop><D:displayname/><D:ishidden/></D:prop>"
                    "<D:status>HTTP/1.1 404 Not Found</D:status></D:propstat></D:response>"));
  });
  auto item = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  item->Open(Args("http://docs/Sales/My Reports", c.get()));

  EXPECT_EQ(Requests().back().target, "/Sales/My%20Reports/");
  const Fields& f = item->GetFields();
  EXPECT_EQ(f.Value(kPropCategoriesFolder), Variant("Categories"));
  EXPECT_EQ(f.Value("urn:p:count"), Variant(int32_t{3}));
  EXPECT_EQ(f.Value(kPropHasSubs), Variant(false));
  EXPECT_TRUE(f.Value(kPropDisplayName).IsNull());  // reported missing
  EXPECT_TRUE(f.Value(kPropIsHidden).IsNull());
  EXPECT_EQ(f.Value(kPropHref), Variant("http://docs/Sales/My Reports/"));
  EXPECT_EQ(f.Value(kColParseName), Variant("My Reports"));
  EXPECT_EQ(f.Value(kColAbsoluteParseName), Variant("http://docs/Sales/My Reports"));
  EXPECT_EQ(f.Value(kColDisplayName), Variant("My Reports"));
  EXPECT_EQ(f.Value(kColContentClass), Variant("urn:content-classes:smartfolder"));
  EXPECT_EQ(f.Value(kColIsReadOnly), Variant(true));
  EXPECT_EQ(f.Value(kColIsHidden), Variant(false));
  EXPECT_EQ(f.Value(kColIsCollection), Variant(true));
  EXPECT_EQ(item->ContentClass(), "urn:content-classes:smartfolder");
}

TEST_F(WebDavBackendTest, CredentialsComeFromTheCallTheActiveConnectionOrTheOpenConnection) {
  auto o = OpenConnection("other", "pw2");
  auto c = OpenConnection();
  auto item = backend_->CreateItem(ItemKind::kDocumentFolder);

  BindArgs own = Args("http://docs/Sales", c.get());
  own.user = "other";
  own.password = "pw2";
  item->Open(own);
  item->Open(Args("http://docs/Sales", c.get()));
  item->Open(Args("http://docs/Sales"));  // no active connection, no credentials
  c->Close();
  item->Open(Args("http://docs/Sales"));
  o->Close();
  item->Open(Args("http://docs/Sales"));

  auto requests = Requests();
  ASSERT_EQ(requests.size(), 7u);
  EXPECT_EQ(requests[2].Header("authorization"), kOtherAuth);
  EXPECT_EQ(requests[3].Header("authorization"), kJonesAuth);
  EXPECT_EQ(requests[4].Header("authorization"), kJonesAuth);
  EXPECT_EQ(requests[5].Header("authorization"), kOtherAuth);
  EXPECT_EQ(requests[6].Header("authorization"), "");

  // An active connection that is not open cannot lend anything.
  EXPECT_EQ(ErrorOf<Error>([&] { item->Open(Args("http://docs/Sales", c.get())); }),
            kErrGenericFailure);
}

TEST_F(WebDavBackendTest, RequestsGoOnlyToTheOriginsConnectionsWereOpenedOn) {
  // Another server: whatever docs hands out, it must hear nothing from a
  // connection opened on docs.
  CannedHttpServer elsewhere([](const RecordedRequest& r) {
    return CannedReply::Multistatus(Multistatus(Folder(PathOf(r) + "/", "x", "")));
  });
  platform::MapHost("elsewhere", {"127.0.0.1", elsewhere.port()});
  Answer([](const RecordedRequest& r) {
    if (PathOf(r) == "/Sales")
      return CannedReply::Multistatus(
          Multistatus(Response("/Sales/",
                               "<D:resourcetype><D:collection/></D:resourcetype>"
                               "<E:schema-collection-ref xmlns:E=\"urn:schemas-microsoft-com:"
                               "exch-data:\">http://elsewhere/Schema</E:schema-collection-ref>")));
    if (PathOf(r) == "/Sales/Reports")
      return CannedReply::Multistatus(
          Multistatus(Folder("/Sales/Reports/", "Reports", "") +
                      Response("http://elsewhere/Sales/Reports/a.txt",
                               "<D:parentname>http://elsewhere/Sales/Reports</D:parentname>")));
    return CannedReply::Multistatus(Multistatus(Folder(PathOf(r) + "/", "Folder", "")));
  });
  auto c = OpenConnection();
  auto workspace = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  workspace->Open(Args("http://docs/Sales", c.get()));
  auto folder = backend_->CreateItem(ItemKind::kDocumentFolder);
  Recordset rows = folder->OpenAndListItems(Args("http://docs/Sales/Reports", c.get()));
  ASSERT_EQ(rows.size(), 1u);
  auto document = backend_->CreateItem(ItemKind::kDocument);
  const std::vector<std::function<void()>> refused = {
      // The schema location, a listing's href and parent name.
      [&] { workspace->ContentClassDefinition("urn:content-classes:memo"); },
      [&] { document->Open(Args(rows.Current().Value(kPropHref).ToString(), c.get())); },
      [&] { document->Open(Args(rows.Current().Value(kPropParentName).ToString() + "/a.txt")); },
      // A working copy, opened without credentials of its own.
      [&] { document->OpenDocument("http://elsewhere/.working/7", 3); },
      // docs on another scheme.
      [&] { document->Open(Args("https://docs/Sales", c.get())); },
  };
  for (size_t i = 0; i < refused.size(); ++i)
    EXPECT_EQ(ErrorOf<Error>(refused[i]), kErrPermissionDenied) << i;
  EXPECT_TRUE(elsewhere.requests().empty());

  // A connection opened on the other server makes it home to its own
  // credentials only: jones's password still stays on docs.
  auto there = NewConnection();
  there->Open("http://elsewhere/Public", "other", "pw2", -1);
  EXPECT_EQ(ErrorOf<Error>(refused[0]), kErrPermissionDenied);
  refused[3]();
  ASSERT_EQ(elsewhere.requests().size(), 2u);
  EXPECT_EQ(elsewhere.requests()[1].Header("authorization"), kOtherAuth);
  platform::UnmapHost("elsewhere");
}

TEST_F(WebDavBackendTest, OpeningAMissingItemFailsWhateverTheCreateOption) {
  auto c = OpenConnection();
  auto item = backend_->CreateItem(ItemKind::kDocumentFolder);
  for (int32_t option : {kCreateFailIfNotExists, 0}) {
    BindArgs a = Args("http://docs/Sales/Nothing", c.get());
    a.create_option = option;
    Answer([](const RecordedRequest&) { return CannedReply::Status(404); });
    EXPECT_EQ(ErrorOf<Error>([&] { item->Open(a); }), kErrObjectNotFound) << option;
    Answer([](const RecordedRequest&) {
      return CannedReply::Multistatus(
          Multistatus("<D:response><D:href>/Sales/Nothing</D:href><D:status>HTTP/1.1 404 Not Found"
                      "</D:status></D:response>"));
    });
    EXPECT_EQ(ErrorOf<Error>([&] { item->Open(a); }), kErrObjectNotFound) << option;
  }
  // A failed open leaves the item closed.
  EXPECT_EQ(ErrorOf<Error>([&] { item->Delete(""); }), kErrGenericFailure);
}

TEST_F(WebDavBackendTest, ListsChildrenInServerOrderWithoutTheListedFolder) {
  auto c = OpenConnection();
  Answer([](const RecordedRequest& r) {
    if (r.Header("depth") == "0")
      return CannedReply::Multistatus(Multistatus(Folder(PathOf(r) + "/", "x", "")));
    if (PathOf(r) == "/Public/Workspaces")
      return CannedReply::Multistatus(Multistatus(
          Folder("/Public/Workspaces/", "Workspaces", "") +
          Folder("/Sales/", "Sales", kClassWorkspace) +
          Folder("/Sales%20EU/", "Sales Europe", kClassWorkspace) +
          "<D:response><D:href>/Hidden/</D:href><D:status>HTTP/1.1 403 Forbidden</D:status>"
          "</D:response>" +
          Folder("/Archive/", "Archive", kClassWorkspace)));
    return CannedReply::Multistatus(
        Multistatus(Folder("http://docs/Sales/", "Sales", kClassWorkspace) +
                    Folder("http://docs/Sales/Reports/", "Reports", kClassSmartFolder) +
                    Response("http://docs/Sales/plan.doc", "")));
  });

  auto root = backend_->CreateItem(ItemKind::kWorkspaceRoot);
  root->Open(Args("http://docs/Public/Workspaces", c.get()));
  Recordset workspaces = root->ListWorkspaces({});
  EXPECT_EQ(Requests().back().Header("depth"), "1");
  EXPECT_EQ(Requests().back().target, "/Public/Workspaces/");
  ASSERT_EQ(workspaces.size(), 3u);
  std::vector<std::string> names;
  for (; !workspaces.Eof(); workspaces.MoveNext()) {
    names.push_back(workspaces.Current().Value(kColParseName).ToString());
    EXPECT_EQ(workspaces.Current().Value(kPropContentClass), Variant(kClassWorkspace));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Sales", "Sales EU", "Archive"}));

  auto folder = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  folder->Open(Args("http://docs/Sales"));
  Recordset children = folder->ListSubfolders({});
  ASSERT_EQ(children.size(), 2u);
  const Fields& reports = children.Current();
  EXPECT_EQ(reports.Value(kPropHref), Variant("http://docs/Sales/Reports/"));
  EXPECT_EQ(reports.Value(kColAbsoluteParseName), Variant("http://docs/Sales/Reports"));
  EXPECT_EQ(reports.Value(kColDisplayName), Variant("Reports"));
  EXPECT_EQ(reports.Value(kColContentClass), Variant(kClassSmartFolder));
  children.MoveNext();
  EXPECT_EQ(children.Current().Value(kColParseName), Variant("plan.doc"));
  EXPECT_EQ(children.Current().Value(kColContentClass), Variant(""));
  EXPECT_EQ(children.Current().Value(kColIsCollection), Variant(false));

  auto category = backend_->CreateItem(ItemKind::kCategoryFolder);
  category->Open(Args("http://docs/Sales"));
  EXPECT_EQ(category->ListSubfolders({}).size(), 2u);
}

TEST_F(WebDavBackendTest, ListingsWithColumnsNameTheServerPropertiesTheyAreReadFrom) {
  // The folder's own response reports none of the names (only a 404
  // propstat); the child has some of them.
  Answer([](const RecordedRequest&) {
    return CannedReply::Multistatus(Multistatus(
        "<D:response><D:href>/Sales/</D:href><D:propstat><D:prop><D:displayname/>"
        "<D:hassubs/></D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>"
        "</D:response>"
        "<D:response><D:href>/Sales/Re%20ports/</D:href><D:propstat><D:prop>"
        "<D:displayname>Reports</D:displayname><D:hassubs b:dt=\"boolean\">1</D:hassubs>"
        "<D:resourcetype><D:collection/></D:resourcetype></D:prop>"
        "<D:status>HTTP/1.1 200 OK</D:status></D:propstat><D:propstat><D:prop><D:isreadonly/>"
        "</D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat></D:response>"));
  });
  constexpr const char* kColumns[] = {kColDisplayName, kPropHref,    kColParseName,
                                      kColIsReadOnly,  kPropHasSubs, kColDisplayName};
  auto c = OpenConnection();
  server_.ClearRequests();
  auto folder = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  Recordset rows = folder->OpenAndListSubfolders(Args("http://docs/Sales"), kColumns);
  // One request: a folder that has none of the names still answers for
  // itself, so the listing binds it without a separate open.
  ASSERT_EQ(Requests().size(), 1u);
  const std::string body = Requests()[0].body;
  EXPECT_EQ(body.find("allprop"), std::string::npos);
  EXPECT_NE(body.find("<D:prop><D:resourcetype/><D:displayname/><D:isreadonly/><D:hassubs/>"
                      "</D:prop>"),
            std::string::npos)
      << body;
  EXPECT_EQ(folder->GetFields().Value(kColParseName), Variant("Sales"));
  ASSERT_EQ(rows.size(), 1u);
  const Fields& f = rows.Current();
  EXPECT_EQ(f.Value(kColDisplayName), Variant("Reports"));
  EXPECT_EQ(f.Value(kColParseName), Variant("Re ports"));
  EXPECT_EQ(f.Value(kPropHref), Variant("http://docs/Sales/Re ports/"));
  EXPECT_EQ(f.Value(kPropHasSubs), Variant(true));
  EXPECT_EQ(f.Value(kColIsReadOnly), Variant(false));

  // Columns derived from the href alone still name the resource type, never
  // an empty list; no columns asks for every property.
  auto root = backend_->CreateItem(ItemKind::kWorkspaceRoot);
  root->Open(Args("http://docs/Public/Workspaces"));
  constexpr const char* kNames[] = {kColParseName};
  root->ListWorkspaces(kNames);
  EXPECT_NE(Requests().back().body.find("<D:prop><D:resourcetype/></D:prop>"), std::string::npos);
  root->ListWorkspaces({});
  EXPECT_NE(Requests().back().body.find("<D:allprop/>"), std::string::npos);
}

TEST_F(WebDavBackendTest, OffersEachKindOnlyItsOwnCalls) {
  auto c = OpenConnection();
  auto open = [&](ItemKind kind) {
    auto item = backend_->CreateItem(kind);
    item->Open(Args("http://docs/Sales", c.get()));
    return item;
  };
  auto root = open(ItemKind::kWorkspaceRoot);
  auto folder = open(ItemKind::kDocumentFolder);
  auto document = open(ItemKind::kDocument);
  auto workspace = open(ItemKind::kWorkspaceFolder);
  server_.ClearRequests();

  EXPECT_EQ(ErrorOf<Error>([&] { root->SaveTo(Args("http://docs/x")); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { root->Delete(""); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { root->MoveTo("http://docs/x"); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { root->ListSubfolders({}); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { folder->ListSubfolders({}); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { folder->ListWorkspaces({}); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { workspace->ListWorkspaces({}); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { document->ListSubfolders({}); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { folder->OpenDocument("http://docs/Sales/a.doc", 0); }),
            kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { folder->ContentStream(); }), kErrNotSupported);
  EXPECT_EQ(ErrorOf<Error>([&] { root->DefaultDocumentProfile(); }), kErrNotSupported);
  EXPECT_TRUE(Requests().empty());

  auto unbound = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  EXPECT_EQ(ErrorOf<Error>([&] { unbound->ListSubfolders({}); }), kErrGenericFailure);
  EXPECT_EQ(ErrorOf<Error>([&] { unbound->Save(); }), kErrGenericFailure);
  EXPECT_EQ(ErrorOf<Error>([&] { unbound->MoveTo("http://docs/y"); }), kErrGenericFailure);
}

TEST_F(WebDavBackendTest, SaveToCreatesTheFolderWithItsContentClassThenWritesUpdates) {
  auto o = OpenConnection("other", "pw2");
  auto c = OpenConnection();
  Answer([](const RecordedRequest& r) {
    return r.method == "MKCOL" ? CannedReply::Status(201)
                               : CannedReply::Multistatus(Multistatus(""));
  });
  auto folder = backend_->CreateItem(ItemKind::kDocumentFolder);
  folder->SetContentClass(kClassSmartFolder);
  folder->GetFields().Update();  // unbound: the value waits for the save
  BindArgs a = Args("http://docs/Sales/New Folder");
  a.create_option = 0;
  a.user = "other";
  a.password = "pw2";
  folder->SaveTo(a);
  folder->GetFields().SetValue(kPropDescription, "Plans & budgets");
  folder->GetFields().SetValue(kColDisplayName, "ignored");
  folder->GetFields().Update();
  folder->GetFields().Update();  // nothing pending: no request

  auto requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[2].method, "MKCOL");
  EXPECT_EQ(requests[2].target, "/Sales/New%20Folder/");
  EXPECT_EQ(requests[2].Header("authorization"), kOtherAuth);
  EXPECT_NE(requests[2].Header("content-type").find("application/xml"), std::string::npos);
  EXPECT_NE(requests[2].body.find("<D:set><D:prop><D:resourcetype><D:collection/></D:resourcetype>"
                                  "<D:contentclass>urn:content-classes:smartfolder"
                                  "</D:contentclass></D:prop></D:set>"),
            std::string::npos);
  EXPECT_EQ(requests[3].method, "PROPPATCH");
  EXPECT_EQ(requests[3].target, "/Sales/New%20Folder/");
  EXPECT_EQ(requests[3].Header("authorization"), kOtherAuth);
  EXPECT_NE(requests[3].body.find(">Plans &amp; budgets</Description>"), std::string::npos);
  EXPECT_EQ(requests[3].body.find("RESOURCE_"), std::string::npos);
  EXPECT_EQ(requests[3].body.find("contentclass"), std::string::npos);
}

// Each refusal of each request becomes its error number; a refused
// connection is left closed.
TEST_F(WebDavBackendTest, RefusalsMapToErrorNumbersByRequest) {
  auto c = OpenConnection();
  auto folder = backend_->CreateItem(ItemKind::kDocumentFolder);
  auto opened = [&] {
    folder->Open(Args("http://docs/Sales/F", c.get()));
    return folder.get();
  };
  std::unique_ptr<Connection> connection;
  const std::map<std::string, std::function<void()>> calls = {
      {"PROPFIND",
       [&] {
         connection = NewConnection();
         connection->Open("http://docs/Public/Workspaces", "u", "p", -1);
       }},
      {"MKCOL", [&] { folder->SaveTo(Args("http://docs/Sales/F", c.get())); }},
      {"MOVE", [&] { opened()->MoveTo("http://docs/Sales/G"); }},
      {"DELETE", [&] { opened()->Delete(""); }},
      {"PROPPATCH",
       [&] {
         opened()->GetFields().SetValue(kPropDescription, "x");
         folder->GetFields().Update();
       }},
  };
  const struct {
    const char* method;
    int status;
    int32_t error;
  } cases[] = {
      {"PROPFIND", 401, kErrAccessDenied},   {"PROPFIND", 403, kErrPermissionDenied},
      {"PROPFIND", 404, kErrObjectNotFound}, {"PROPFIND", 500, kErrGenericFailure},
      {"PROPFIND", 200, kErrGenericFailure}, {"PROPFIND", 301, kErrGenericFailure},
      {"PROPFIND", 423, kErrAccessDenied},   {"MKCOL", 405, kErrAlreadyExists},
      {"MKCOL", 409, kErrObjectNotFound},    {"MKCOL", 403, kErrPermissionDenied},
      {"MKCOL", 507, kErrGenericFailure},    {"MOVE", 412, kErrAlreadyExists},
      {"DELETE", 423, kErrAccessDenied},     {"PROPPATCH", 405, kErrGenericFailure},
  };
  for (const auto& k : cases) {
    const std::string method = k.method;
    const int status = k.status;
    Answer([method, status](const RecordedRequest& r) {
      if (r.method == method) return CannedReply::Status(status);
      return CannedReply::Multistatus(Multistatus(Folder("/Sales/F/", "F", kClassSmartFolder)));
    });
    EXPECT_EQ(ErrorOf<Error>(calls.at(method)), k.error) << method << " " << status;
    if (method == "PROPFIND") {
      EXPECT_EQ(connection->State(), kStateClosed) << status;
    }
  }
}

TEST_F(WebDavBackendTest, MoveSendsAnEncodedDestinationWithoutOverwriteAndRebinds) {
  auto c = OpenConnection();
  Answer([](const RecordedRequest& r) {
    if (r.method == "MOVE") return CannedReply::Status(201);
    if (r.method == "DELETE") return CannedReply::Status(204);
    return CannedReply::Multistatus(Multistatus(Folder("/Sales/Old/", "Old", kClassSmartFolder)));
  });
  auto folder = backend_->CreateItem(ItemKind::kDocumentFolder);
  folder->Open(Args("http://docs/Sales/Old", c.get()));
  folder->MoveTo("http://docs/Sales/New Name");
  folder->GetFields().SetValue(kPropDescription, "moved");
  folder->GetFields().Update();
  folder->Delete("");
  folder->Open(Args("http://docs/Sales/Old", c.get()));
  folder->Delete("http://docs/Sales/Other One");

  auto requests = Requests();
  ASSERT_EQ(requests.size(), 7u);
  EXPECT_EQ(requests[2].method, "MOVE");
  EXPECT_EQ(requests[2].target, "/Sales/Old/");
  EXPECT_EQ(requests[2].Header("destination"), "http://docs/Sales/New%20Name/");
  EXPECT_EQ(requests[2].Header("overwrite"), "F");
  EXPECT_EQ(requests[2].Header("authorization"), kJonesAuth);
  EXPECT_EQ(requests[3].method, "PROPPATCH");
  EXPECT_EQ(requests[3].target, "/Sales/New%20Name/");
  EXPECT_EQ(requests[4].method, "DELETE");
  EXPECT_EQ(requests[4].target, "/Sales/New%20Name/");
  EXPECT_EQ(requests[6].method, "DELETE");
  EXPECT_EQ(requests[6].target, "/Sales/Other%20One/");
  EXPECT_EQ(requests[6].Header("authorization"), kJonesAuth);
}

TEST_F(WebDavBackendTest, BadResponsesAreGenericFailuresAndLeaveTheBackendUsable) {
  auto c = OpenConnection();
  const std::string good = Multistatus(Folder("/Sales/", "Sales", kClassWorkspace));
  // What the reader refuses is refused in multistatus_test.cc, a malformed
  // body standing for it here; the rest is what the transport delivers.
  std::vector<std::pair<const char*, CannedReply>> cases;
  cases.emplace_back("malformed", CannedReply::Multistatus("<D:multistatus xmlns:D=\"DAV:\">"));
  CannedReply wrong_type = CannedReply::Status(207);
  wrong_type.headers.emplace_back("Content-Type", "text/plain");
  wrong_type.body = good;
  cases.emplace_back("wrong content type", wrong_type);
  CannedReply no_type = CannedReply::Status(207);
  no_type.body = good;
  cases.emplace_back("no content type", no_type);
  CannedReply truncated = CannedReply::Multistatus(good);
  truncated.ending = CannedReply::Ending::kTruncated;
  cases.emplace_back("truncated", truncated);
  CannedReply silent;
  silent.ending = CannedReply::Ending::kCloseAtOnce;
  cases.emplace_back("closed without an answer", silent);

  auto item = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  for (auto& [what, reply] : cases) {
    CannedReply canned = reply;
    Answer([canned](const RecordedRequest&) { return canned; });
    EXPECT_EQ(ErrorOf<Error>([&] { item->Open(Args("http://docs/Sales", c.get())); }),
              kErrGenericFailure)
        << what;
  }
  // What bounds an answer is the multistatus limits (a host may raise
  // them), not a fixed cap on the body: past them an open or a listing
  // fails, by its bytes or by its items.
  webdav::MultistatusLimits saved = webdav::CurrentMultistatusLimits();
  webdav::CurrentMultistatusLimits().max_bytes = good.size() + 100;
  Answer([good](const RecordedRequest&) {
    return CannedReply::Multistatus(good + std::string(200, ' '));
  });
  EXPECT_EQ(ErrorOf<Error>([&] { item->Open(Args("http://docs/Sales", c.get())); }),
            kErrGenericFailure);
  webdav::CurrentMultistatusLimits() = saved;
  Answer([good](const RecordedRequest& r) {
    if (r.Header("depth") == "0") return CannedReply::Multistatus(good);
    return CannedReply::Multistatus(
        Multistatus(Folder("/Sales/", "Sales", kClassWorkspace) + Folder("/Sales/A/", "A", "")));
  });
  item->Open(Args("http://docs/Sales", c.get()));
  EXPECT_EQ(item->GetFields().Value(kColDisplayName), Variant("Sales"));
  webdav::CurrentMultistatusLimits().max_responses = 1;
  EXPECT_EQ(ErrorOf<Error>([&] { item->ListSubfolders({}); }), kErrGenericFailure);
  webdav::CurrentMultistatusLimits() = saved;
  EXPECT_EQ(item->ListSubfolders({}).size(), 1u);
}

TEST_F(WebDavBackendTest, ReusesOneConnectionForConsecutiveRequests) {
  auto c = OpenConnection();
  Answer([](const RecordedRequest& r) {
    if (r.method == "MKCOL") return CannedReply::Status(201);
    if (r.method == "DELETE") return CannedReply::Status(204);
    return CannedReply::Multistatus(Multistatus(Folder("/Sales/", "Sales", kClassWorkspace)));
  });
  auto folder = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  folder->Open(Args("http://docs/Sales", c.get()));
  folder->ListSubfolders({});
  auto created = backend_->CreateItem(ItemKind::kDocumentFolder);
  created->SetContentClass(kClassKnowledgeFolder);
  created->SaveTo(Args("http://docs/Sales/Tmp"));
  created->Delete("");
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 5u);
  for (const RecordedRequest& r : requests) EXPECT_EQ(r.connection, 1) << r.method;
  EXPECT_EQ(server_.connections(), 1);
}

TEST_F(WebDavBackendTest, DocumentSaveToPutsTheFileThenPatchesTheValues) {
  auto c = OpenConnection();
  orvex::testing::TempDir dir("put");
  const std::string path = dir.path() + "/plan.txt";
  const std::string content = "line one\nline two\n";
  std::ofstream(path, std::ios::binary) << content;
  Answer([](const RecordedRequest& r) {
    if (r.method == "PUT") return CannedReply::Status(201);
    return CannedReply::Multistatus(Multistatus(Response(r.target, "")));
  });
  server_.ClearRequests();

  for (int32_t create : {0, kCreateOverwrite}) {
    auto doc = backend_->CreateItem(ItemKind::kDocument);
    Stream& s = doc->ContentStream();
    s.SetType(kStreamTypeBinary);
    s.SetEOS();
    s.LoadFromFile(path);
    s.Flush();
    doc->SetContentClass("urn:content-classes:memo");
    doc->GetFields().SetValue("urn:schemas-microsoft-com:office:office#Author", "CORP\\jones");
    BindArgs a = Args("http://docs/Sales/My Reports/plan.txt", c.get());
    a.create_option = create;
    doc->SaveTo(a);
  }

  auto requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].method, "PUT");
  EXPECT_EQ(requests[0].target, "/Sales/My%20Reports/plan.txt");
  EXPECT_EQ(requests[0].Header("if-none-match"), "*");
  EXPECT_EQ(requests[0].Header("content-length"), std::to_string(content.size()));
  EXPECT_EQ(requests[0].Header("authorization"), kJonesAuth);
  EXPECT_EQ(requests[0].body, content);
  EXPECT_EQ(requests[1].method, "PROPPATCH");
  EXPECT_NE(requests[1].body.find("<D:contentclass>urn:content-classes:memo</D:contentclass>"),
            std::string::npos);
  EXPECT_LT(requests[1].body.find("contentclass"), requests[1].body.find("Author"));
  // The overwrite attempt sends no condition.
  EXPECT_EQ(requests[2].method, "PUT");
  EXPECT_EQ(requests[2].Header("if-none-match"), "");
  EXPECT_EQ(requests[2].body, content);
}

TEST_F(WebDavBackendTest, VersionCallsSendDeltaVMethodsWithTheCachedCredentials) {
  auto c = OpenConnection();
  Answer([](const RecordedRequest& r) {
    if (r.method == "REPORT")
      return CannedReply::Multistatus(
          Multistatus(Response("/.versions/1/1",
                               "<FriendlyVersionID xmlns=\"urn:schemas-microsoft-com:publishing:\">"
                               "0.1</FriendlyVersionID>") +
                      Response("/.versions/1/2",
                               "<FriendlyVersionID xmlns=\"urn:schemas-microsoft-com:publishing:\">"
                               "0.2</FriendlyVersionID>")));
    return CannedReply::Status(r.method == "CHECKIN" ? 201 : 200);
  });
  server_.ClearRequests();
  auto version = backend_->CreateVersion();
  version->CheckOut("http://docs/Sales/a b.txt", "");
  version->CheckIn("http://docs/Sales/a b.txt", "fixed <typo> & more");
  version->Publish("http://docs/Sales/a b.txt");
  Recordset rows = version->History("http://docs/Sales/a b.txt", 0);
  ASSERT_EQ(rows.size(), 2u);
  rows.MoveNext();
  EXPECT_EQ(rows.Current().Value("urn:schemas-microsoft-com:publishing:FriendlyVersionID"),
            Variant("0.2"));

  auto requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  std::vector<std::string> methods;
  for (const auto& r : requests) {
    methods.push_back(r.method);
    EXPECT_EQ(r.target, "/Sales/a%20b.txt");
    EXPECT_EQ(r.Header("authorization"), kJonesAuth);
  }
  EXPECT_EQ(methods, (std::vector<std::string>{"CHECKOUT", "CHECKIN", "PUBLISH", "REPORT"}));
  EXPECT_TRUE(requests[0].body.empty());
  EXPECT_NE(requests[1].body.find("<D:comment>fixed &lt;typo&gt; &amp; more</D:comment>"),
            std::string::npos);
  EXPECT_NE(requests[3].body.find("<D:version-tree"), std::string::npos);
  // The history asks for the five properties a version row carries, not for
  // every property of every version.
  for (const char* name : {"FriendlyVersionID", "Comment", "CreatedTimeStamp", "Domain", "User"})
    EXPECT_NE(requests[3].body.find("<" + std::string(name) +
                                    " xmlns=\"urn:schemas-microsoft-com:publishing:\"/>"),
              std::string::npos)
        << name << " in " << requests[3].body;
  EXPECT_EQ(requests[3].body.find("allprop"), std::string::npos);

  // Servers without these methods answer 405 or 501: a generic failure.
  Answer([](const RecordedRequest& r) {
    return CannedReply::Status(r.method == "PUBLISH" ? 501 : 405);
  });
  EXPECT_EQ(ErrorOf<Error>([&] { version->CheckIn("http://docs/Sales/a b.txt", ""); }),
            kErrGenericFailure);
  EXPECT_EQ(ErrorOf<Error>([&] { version->Publish("http://docs/Sales/a b.txt"); }),
            kErrGenericFailure);
}

}  // namespace
}  // namespace orvex::server
