// The provider against Apache mod_dav: a WebDAV server nobody here wrote.
//
// The suite starts apache2 from a standalone configuration on a free loopback
// port, serving a fresh directory, and stops it at the end. mod_dav has no
// extended MKCOL (it answers 415), keeps dead properties without their type
// attributes and writes hrefs as paths, so this exercises the fallbacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "platform/host_map.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/error.h"
#include "server/names.h"
#include "server/stream.h"
#include "server/webdav/webdav_backend.h"
#include "support/apache_server.h"
#include "support/error_of.h"

namespace orvex::server {
namespace {

using orvex::testing::ErrorOf;

class ApacheInteropTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!testing::ApacheServer::Unavailable().empty()) return;
    server_ = new testing::ApacheServer();
    std::filesystem::create_directories(server_->root() / "Sales");
    started_ = server_->Start();
  }

  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (server_ == nullptr) GTEST_SKIP() << testing::ApacheServer::Unavailable();
    ASSERT_TRUE(started_) << "apache2 did not start";
    platform::MapHost("davhost", {"127.0.0.1", server_->port()});
    connection_ = std::make_unique<Connection>(backend_);
    connection_->SetProvider("MSDAIPP.DSO");
    connection_->SetProperty("Url Encoding", int16_t{1});
    connection_->Open("http://davhost/Sales", "CORP\\jones", "secret", -1);
  }

  void TearDown() override { platform::UnmapHost("davhost"); }

  std::unique_ptr<Item> Create(ItemKind kind, const std::string& url, const char* content_class) {
    auto item = backend_->CreateItem(kind);
    item->SetContentClass(content_class);
    BindArgs a;
    a.url = url;
    a.create_option = 0;
    item->SaveTo(a);
    return item;
  }

  std::unique_ptr<Item> OpenItem(ItemKind kind, const std::string& url) {
    auto item = backend_->CreateItem(kind);
    BindArgs a;
    a.url = url;
    a.active_connection = connection_.get();
    item->Open(a);
    return item;
  }

  static inline testing::ApacheServer* server_ = nullptr;
  static inline bool started_ = false;
  std::shared_ptr<Backend> backend_ = WebDavBackend();
  std::unique_ptr<Connection> connection_;
};

TEST_F(ApacheInteropTest, CreatesListsRenamesAndDeletesFolders) {
  Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans 2001 \xC3\xBC", kClassSmartFolder);
  Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Archive", kClassKnowledgeFolder);

  auto sales = OpenItem(ItemKind::kWorkspaceFolder, "http://davhost/Sales");
  Recordset rows = sales->ListSubfolders({});
  std::map<std::string, std::string> classes;
  for (; !rows.Eof(); rows.MoveNext())
    classes[rows.Current().Value(kColDisplayName).ToString()] =
        rows.Current().Value(kColContentClass).ToString();
  EXPECT_EQ(classes,
            (std::map<std::string, std::string>{{"Archive", kClassKnowledgeFolder},
                                                {"Plans 2001 \xC3\xBC", kClassSmartFolder}}));

  auto plans = OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans 2001 \xC3\xBC");
  EXPECT_EQ(plans->GetFields().Value(kColIsCollection), Variant(true));
  EXPECT_EQ(ErrorOf<Error>([&] { plans->MoveTo("http://davhost/Sales/Archive"); }),
            kErrAlreadyExists);
  plans->MoveTo("http://davhost/Sales/Plans #2");
  EXPECT_EQ(OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans #2")->ContentClass(),
            kClassSmartFolder);
  EXPECT_EQ(ErrorOf<Error>([&] {
              OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Plans 2001 \xC3\xBC");
            }),
            kErrObjectNotFound);

  EXPECT_EQ(ErrorOf<Error>([&] {
              Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Archive", kClassSmartFolder);
            }),
            kErrAlreadyExists);
  EXPECT_EQ(ErrorOf<Error>([&] {
              Create(ItemKind::kDocumentFolder, "http://davhost/Sales/Missing/Child",
                     kClassSmartFolder);
            }),
            kErrObjectNotFound);

  plans->Delete("");
  OpenItem(ItemKind::kDocumentFolder, "http://davhost/Sales/Archive")->Delete("");
  EXPECT_EQ(sales->ListSubfolders({}).size(), 0u);
}

TEST_F(ApacheInteropTest, PropertiesWrittenComeBackReadable) {
  auto folder =
      Create(ItemKind::kCategoryFolder, "http://davhost/Sales/Europe", kClassCategoryFolder);
  Fields& f = folder->GetFields();
  f.SetValue(kPropDescription, "Sales <Europe> & more");
  f.SetValue(kPropKeywords, VariantArray{"north", "south"});
  f.SetValue(kPropIsHidden, true);
  f.Update();

  auto again = OpenItem(ItemKind::kCategoryFolder, "http://davhost/Sales/Europe");
  const Fields& g = again->GetFields();
  EXPECT_EQ(g.Value(kPropDescription), Variant("Sales <Europe> & more"));
  EXPECT_EQ(g.Value(kPropKeywords), Variant(VariantArray{"north", "south"}));
  // mod_dav drops the type attribute; the flag still reads True.
  EXPECT_EQ(g.Value(kColIsHidden), Variant(true));

  f.SetValue(kPropDescription, Null{});
  f.Update();
  EXPECT_TRUE(OpenItem(ItemKind::kCategoryFolder, "http://davhost/Sales/Europe")
                  ->GetFields()
                  .Value(kPropDescription)
                  .IsNull());
  folder->Delete("");
}

TEST_F(ApacheInteropTest, UploadsRenamesAndDeletesDocumentsButHasNoVersions) {
  const std::filesystem::path local = server_->root().parent_path() / "upload.bin";
  {
    std::ofstream out(local, std::ios::binary);
    for (int i = 0; i < (2 << 20); ++i) out.put(static_cast<char>(i * 31));
  }
  auto Upload = [&](const std::string& url, int32_t create) {
    auto doc = backend_->CreateItem(ItemKind::kDocument);
    Stream& s = doc->ContentStream();
    s.SetType(kStreamTypeBinary);
    s.SetEOS();
    s.LoadFromFile(local.string());
    s.Flush();
    doc->GetFields().SetValue(kPropTitle, "Plan");
    BindArgs a;
    a.url = url;
    a.active_connection = connection_.get();
    a.create_option = create;
    doc->SaveTo(a);
    return doc;
  };
  const std::string url = "http://davhost/Sales/plan 2001.bin";
  Upload(url, 0);
  EXPECT_EQ(std::filesystem::file_size(server_->root() / "Sales" / "plan 2001.bin"),
            std::filesystem::file_size(local));
  EXPECT_EQ(OpenItem(ItemKind::kDocument, url)->GetFields().Value(kPropTitle), Variant("Plan"));
  // Create option 0 refuses the existing document (412), the overwrite
  // option replaces it.
  EXPECT_EQ(ErrorOf<Error>([&] { Upload(url, 0); }), kErrAlreadyExists);
  Upload(url, kCreateOverwrite);

  // Check-out, check-in and publishing are not served: a clean generic
  // failure, nothing changed.
  auto version = backend_->CreateVersion();
  EXPECT_EQ(ErrorOf<Error>([&] { version->CheckOut(url, ""); }), kErrGenericFailure);
  EXPECT_EQ(ErrorOf<Error>([&] { version->CheckIn(url, "x"); }), kErrGenericFailure);
  EXPECT_EQ(ErrorOf<Error>([&] { version->Publish(url); }), kErrGenericFailure);

  auto doc = OpenItem(ItemKind::kDocument, url);
  doc->MoveTo("http://davhost/Sales/plan #2.bin");
  EXPECT_TRUE(std::filesystem::exists(server_->root() / "Sales" / "plan #2.bin"));
  doc->Delete("");
  EXPECT_FALSE(std::filesystem::exists(server_->root() / "Sales" / "plan #2.bin"));
  EXPECT_EQ(ErrorOf<Error>([&] { OpenItem(ItemKind::kDocument, url); }), kErrObjectNotFound);
  std::filesystem::remove(local);
}

}  // namespace
}  // namespace orvex::server
