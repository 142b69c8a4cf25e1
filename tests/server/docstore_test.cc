// The provider against the project's reference server, over real HTTP on an
// ephemeral loopback port, with the built-in sample store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "docstore/server.h"
#include "docstore/xml_reader.h"
#include "docstore/xml_writer.h"
#include "platform/host_map.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/error.h"
#include "server/names.h"
#include "server/stream.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/webdav_backend.h"
#include "support/docstore_client.h"
#include "support/error_of.h"
#include "support/temp_dir.h"

namespace orvex::server {
namespace {

using orvex::testing::ErrorOf;

class DocstoreTest : public ::testing::Test {
 protected:
  DocstoreTest() : store_(docstore::ServerOptions{}) {
    store_.Start();
    for (const std::string& host : store_.host_names())
      platform::MapHost(host, {store_.address(), store_.port()});
  }
  ~DocstoreTest() override {
    for (const std::string& host : store_.host_names()) platform::UnmapHost(host);
  }

  std::unique_ptr<Connection> Open(const std::string& url, const std::string& user = "CORP\\jones",
                                   const std::string& password = "secret") {
    auto c = std::make_unique<Connection>(backend_);
    c->SetProvider("MSDAIPP.DSO");
    c->SetProperty("Url Encoding", int16_t{1});
    c->Open(url, user, password, -1);
    return c;
  }

  std::unique_ptr<Item> OpenItem(ItemKind kind, const std::string& url) {
    auto item = backend_->CreateItem(kind);
    BindArgs a;
    a.url = url;
    item->Open(a);
    return item;
  }

  // A local file of `size` bytes whose content is a function of the offset,
  // so a shifted or truncated transfer cannot match.
  std::string LocalFile(const std::string& name, size_t size) {
    std::string path = dir_.path() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < size; ++i) out.put(static_cast<char>((i * 7 + i / 251) & 0xFF));
    return path;
  }
  static std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // A document object whose content stream holds the file at `path`.
  std::unique_ptr<Item> DocumentWith(const std::string& path) {
    auto doc = backend_->CreateItem(ItemKind::kDocument);
    Stream& s = doc->ContentStream();
    s.SetType(kStreamTypeBinary);
    s.SetEOS();
    s.LoadFromFile(path);
    s.Flush();
    return doc;
  }
  static BindArgs SaveArgs(const std::string& url, const Connection& c, int32_t create) {
    BindArgs a;
    a.url = url;
    a.active_connection = &c;
    a.create_option = create;
    a.user = "CORP\\jones";
    a.password = "secret";
    return a;
  }
  docstore::testing::HttpResult Get(const std::string& path,
                                    const std::string& user = "CORP\\jones") {
    docstore::testing::Client client(store_.port(), user, "secret");
    return client.Send("GET", path);
  }

  docstore::Server store_;
  std::shared_ptr<Backend> backend_ = WebDavBackend();
  orvex::testing::TempDir dir_{"stream"};
};

// A listing that names its columns reads, on every row, what a listing of
// every property reads there: the same rows in the same order, each column
// with the same value, or missing from both.
TEST_F(DocstoreTest, ListingsWithColumnsReadWhatFullListingsRead) {
  constexpr const char* kColumns[] = {
      kColParseName,  kColAbsoluteParseName, kColContentClass,       kColDisplayName,
      kColIsReadOnly, kColIsHidden,          kColIsCollection,       kPropHref,
      kPropHasSubs,   kPropHasChildren,      kPropDescription,       kPropDefaultContentClass,
      kPropIsHidden,  kPropDocumentProfiles, "urn:example:x#Missing"};
  auto same = [&](const std::string& what, const std::function<Recordset(Item::Columns)>& list) {
    SCOPED_TRACE(what);
    Recordset all = list({});
    Recordset named = list(kColumns);
    ASSERT_GT(all.size(), 0u);
    ASSERT_EQ(all.size(), named.size());
    for (; !all.Eof(); all.MoveNext(), named.MoveNext())
      for (const char* column : kColumns) {
        EXPECT_EQ(all.Current().Contains(column), named.Current().Contains(column)) << column;
        EXPECT_EQ(all.Current().Value(column), named.Current().Value(column)) << column;
      }
  };
  auto c = Open("http://docs/Public/Workspaces");
  auto root = OpenItem(ItemKind::kWorkspaceRoot, "http://docs/Public/Workspaces");
  same("workspaces", [&](Item::Columns columns) { return root->ListWorkspaces(columns); });
  auto folder = backend_->CreateItem(ItemKind::kWorkspaceFolder);
  for (const char* url : {"http://docs/Sales", "http://docs/Sales/Reports",
                          "http://docs/Sales/Categories", "http://docs/Sales/Categories/Europe"})
    same(url, [&](Item::Columns columns) {
      BindArgs a;
      a.url = url;
      return folder->OpenAndListSubfolders(a, columns);
    });
}

// Both ends write and read typed values through the wire library: what the
// server writes, the provider reads back with its type, whatever the text
// holds and whatever namespace the property lives in.
TEST(WireVocabularyTest, WhatTheServerWritesTheProviderReadsTyped) {
  docstore::MultistatusWriter w;
  w.BeginResponse("/Sales/a%20b.txt");
  w.PropStat({{{"DAV:", "ishidden"}, docstore::PropValue::Bool(true)},
              {{"urn:example:x", "Count"}, docstore::PropValue::Int(-42)},
              {{"urn:schemas-microsoft-com:office:office", "Keywords"},
               docstore::PropValue::Multi({"a & b", "<c>", "line\r\nbreak"})},
              {{"urn:schemas-microsoft-com:office:office", "Title"},
               docstore::PropValue::String("\"Q\" \xC3\xA9t\xC3\xA9")},
              {{"urn:example:y/", "Empty"}, docstore::PropValue::String("")},
              {{"urn:example:x", "When"}, docstore::PropValue::Date("2001-05-10T09:30:00Z")}},
             docstore::StatusLine(200));
  w.PropStat({{{"urn:example:x", "Missing"}, {}}}, docstore::StatusLine(404), true);
  w.EndResponse();
  auto rows = webdav::ParseMultistatus(w.Finish());
  ASSERT_EQ(rows.size(), 1u);
  const auto& p = rows[0].properties;
  EXPECT_EQ(rows[0].href, "/Sales/a%20b.txt");
  EXPECT_EQ(p.Value(kPropIsHidden), Variant(true));
  EXPECT_EQ(p.Value("urn:example:x#Count"), Variant(int32_t{-42}));
  EXPECT_EQ(p.Value(kPropKeywords), Variant(VariantArray{"a & b", "<c>", "line\r\nbreak"}));
  EXPECT_EQ(p.Value(kPropTitle), Variant("\"Q\" \xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(p.Value("urn:example:y/Empty"), Variant(""));
  EXPECT_EQ(p.Value("urn:example:x#When"), Variant("2001-05-10T09:30:00Z"));
  ASSERT_EQ(rows[0].failed.size(), 1u);
  EXPECT_EQ(rows[0].failed[0], (std::pair<std::string, int>{"urn:example:x#Missing", 404}));
}

// Generic WebDAV clients read the standard properties as plain text: an
// element with any attribute reads as an object to them. The server writes
// those plain, keeps the types on what the provider reads as typed values,
// and the provider's read of a plain getcontentlength is the same number as
// a generic client's.
TEST_F(DocstoreTest, StandardPropertiesArePlainAndReadTheSameByGenericClientsAndTheProvider) {
  docstore::testing::Client client(store_.port(), "CORP\\jones", "secret");
  auto answer = client.Send("PROPFIND", "/Sales/Reports/forecast.txt", {{"Depth", "0"}});
  ASSERT_EQ(answer.status, 207);
  auto parsed = docstore::ParseXml(answer.body);
  ASSERT_TRUE(parsed.root);
  std::map<std::string, const docstore::XmlElement*> props;
  std::function<void(const docstore::XmlElement&)> walk = [&](const docstore::XmlElement& e) {
    if (e.Is("DAV:", "prop"))
      for (const auto& p : e.children) props[p.ns + p.name] = &p;
    for (const auto& child : e.children) walk(child);
  };
  walk(*parsed.root);
  for (const char* plain :
       {"creationdate", "displayname", "getcontentlength", "getcontenttype", "getetag",
        "getlastmodified", "resourcetype", "lockdiscovery", "supportedlock"}) {
    ASSERT_TRUE(props.count(std::string("DAV:") + plain)) << plain;
    EXPECT_TRUE(props.at(std::string("DAV:") + plain)->attrs.empty()) << plain;
  }
  const char* typed = "urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/";
  EXPECT_EQ(*props.at("DAV:isreadonly")->Attr(typed, "dt"), "boolean");
  EXPECT_EQ(*props.at(kPropIsCheckedOut)->Attr(typed, "dt"), "boolean");

  std::string generic = props.at("DAV:getcontentlength")->Text();
  auto c = Open("http://docs/Sales");
  auto doc = OpenItem(ItemKind::kDocument, "http://docs/Sales/Reports/forecast.txt");
  const Fields& f = doc->GetFields();
  EXPECT_EQ(f.Value("DAV:getcontentlength").ToInt32(), std::stoi(generic));
  EXPECT_EQ(std::to_string(Get("/Sales/Reports/forecast.txt").body.size()), generic);
  EXPECT_EQ(f.Value(kPropIsCheckedOut).type(), VariantType::kBool);
  EXPECT_EQ(f.Value(kPropKeywords).type(), VariantType::kArray);
}

TEST_F(DocstoreTest, UploadsDocumentsFromDiskAndWritesTheirValuesAfterwards) {
  auto c = Open("http://docs/Sales");
  // Past the size where the provider waits for "100 Continue", and a small one.
  const std::string big = LocalFile("big.bin", (3u << 20) + 17);
  const std::string small = LocalFile("small.txt", 4096);
  const std::string url = "http://docs/Sales/Archive/plan 2001.bin";

  auto doc = DocumentWith(big);
  doc->SetContentClass("urn:content-classes:memo");
  doc->GetFields().SetValue(kPropTitle, "Plan");
  doc->GetFields().SetValue(kPropKeywords, VariantArray{"a", "b"});
  doc->SaveTo(SaveArgs(url, *c, 0));
  EXPECT_EQ(Get("/Sales/Archive/plan%202001.bin").body, Content(big));
  auto opened = OpenItem(ItemKind::kDocument, url);
  EXPECT_EQ(opened->ContentClass(), "urn:content-classes:memo");
  EXPECT_EQ(opened->GetFields().Value(kPropTitle), Variant("Plan"));
  EXPECT_EQ(opened->GetFields().Value(kPropKeywords), Variant(VariantArray{"a", "b"}));

  // Create option 0 refuses an existing document, big or small, and leaves
  // it as it was; the connection stays usable afterwards.
  EXPECT_EQ(ErrorOf<Error>([&] { DocumentWith(big)->SaveTo(SaveArgs(url, *c, 0)); }),
            kErrAlreadyExists);
  EXPECT_EQ(ErrorOf<Error>([&] { DocumentWith(small)->SaveTo(SaveArgs(url, *c, 0)); }),
            kErrAlreadyExists);
  EXPECT_EQ(Get("/Sales/Archive/plan%202001.bin").body, Content(big));

  // The overwrite option replaces the content and keeps the values.
  DocumentWith(small)->SaveTo(SaveArgs(url, *c, kCreateOverwrite));
  EXPECT_EQ(Get("/Sales/Archive/plan%202001.bin").body, Content(small));
  EXPECT_EQ(OpenItem(ItemKind::kDocument, url)->GetFields().Value(kPropTitle), Variant("Plan"));

  // An empty stream makes an empty document; a missing folder is 409.
  auto empty = backend_->CreateItem(ItemKind::kDocument);
  empty->ContentStream().SetEOS();
  empty->SaveTo(SaveArgs("http://docs/Sales/Archive/empty.txt", *c, 0));
  EXPECT_EQ(Get("/Sales/Archive/empty.txt").body, "");
  EXPECT_EQ(ErrorOf<Error>([&] {
              DocumentWith(small)->SaveTo(SaveArgs("http://docs/Sales/Nowhere/x.txt", *c, 0));
            }),
            kErrObjectNotFound);
  // A reader may not write.
  auto legal = Open("http://docs/Legal");
  EXPECT_EQ(ErrorOf<Error>([&] {
              DocumentWith(small)->SaveTo(SaveArgs("http://docs/Legal/Opinions/x.txt", *legal, 0));
            }),
            kErrPermissionDenied);
}

TEST_F(DocstoreTest, LocalFileFailuresComeBeforeAnythingIsSent) {
  auto c = Open("http://docs/Sales");
  auto doc = backend_->CreateItem(ItemKind::kDocument);
  Stream& s = doc->ContentStream();
  EXPECT_EQ(ErrorOf<Error>([&] { s.LoadFromFile(dir_.path() + "/missing.txt"); }), kErrFileRead);
  EXPECT_EQ(ErrorOf<Error>([&] { s.LoadFromFile(dir_.path()); }), kErrFileRead);

  // A file removed after loading is still sent whole.
  const std::string gone = LocalFile("gone.bin", 100000);
  const std::string expected = Content(gone);
  auto kept = DocumentWith(gone);
  std::filesystem::remove(gone);
  kept->SaveTo(SaveArgs("http://docs/Sales/Archive/gone.bin", *c, 0));
  EXPECT_EQ(Get("/Sales/Archive/gone.bin").body, expected);

  // A file cut short after loading fails the save with the file error, and
  // the server keeps nothing of the partial body.
  const std::string shrinking = LocalFile("shrinking.bin", 2u << 20);
  auto cut = DocumentWith(shrinking);
  std::filesystem::resize_file(shrinking, 1u << 20);
  EXPECT_EQ(
      ErrorOf<Error>([&] { cut->SaveTo(SaveArgs("http://docs/Sales/Archive/cut.bin", *c, 0)); }),
      kErrFileRead);
  EXPECT_EQ(Get("/Sales/Archive/cut.bin").status, 404);
  // The provider's connection still works afterwards.
  DocumentWith(LocalFile("after.txt", 10))
      ->SaveTo(SaveArgs("http://docs/Sales/Archive/after.txt", *c, 0));
}

// The history as the store writes it, and the store's refusals with their
// mapped numbers. (Check-out, check-in and publishing in turn are the
// integration suite's happy path, CheckinUploadHttpTest.)
TEST_F(DocstoreTest, VersionObjectListsHistoryAndMapsTheStoresRefusals) {
  auto c = Open("http://docs/Sales");
  auto version = backend_->CreateVersion();
  const std::string forecast = "http://docs/Sales/Reports/forecast.txt";
  auto Versions = [&](const std::string& url) {
    std::vector<std::string> out;
    for (Recordset rows = version->History(url, 0); !rows.Eof(); rows.MoveNext())
      out.push_back(
          rows.Current()
              .Value("urn:schemas-microsoft-com:publishing:FriendlyVersionID")
              .ToString() +
          " " + rows.Current().Value("urn:schemas-microsoft-com:publishing:Comment").ToString());
    return out;
  };
  EXPECT_EQ(Versions(forecast),
            (std::vector<std::string>{"0.1 First draft", "0.2 Added the spring figures",
                                      "0.3 Reviewed"}));

  // Refusals carry their mapped numbers: held by another user (423), not
  // checked out (409), a standard folder (405: generic), a reader (403).
  EXPECT_EQ(ErrorOf<Error>([&] { version->CheckOut("http://docs/Sales/Reports/pricing.txt", ""); }),
            kErrAccessDenied);
  EXPECT_EQ(ErrorOf<Error>([&] { version->CheckIn(forecast, ""); }), kErrObjectNotFound);
  EXPECT_EQ(ErrorOf<Error>([&] { version->Publish("http://docs/Sales/Archive/old-report.txt"); }),
            kErrGenericFailure);
  EXPECT_TRUE(Versions("http://docs/Sales/Archive/old-report.txt").empty());
  auto legal = Open("http://docs/Legal");
  EXPECT_EQ(ErrorOf<Error>([&] { version->CheckOut("http://docs/Legal/Contracts/nda.txt", ""); }),
            kErrPermissionDenied);
  EXPECT_EQ(ErrorOf<Error>([&] { Versions("http://docs/Sales/Reports/none.txt"); }),
            kErrObjectNotFound);
}

}  // namespace
}  // namespace orvex::server
