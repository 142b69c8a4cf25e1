// The provider against Apache mod_dav: a WebDAV server nobody here wrote.
//
// The suite starts apache2 from a standalone configuration on a free loopback
// port, serving a fresh directory, and stops it at the end. Here: uploads,
// the create options, and the version calls mod_dav does not serve. Folders
// and dead properties on mod_dav (no extended MKCOL, untyped values) are
// exercised through the engine in tests/interop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
