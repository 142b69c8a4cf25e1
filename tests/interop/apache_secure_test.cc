// The library against Apache with mod_ssl and mod_auth_digest: TLS with
// certificates made by the test and Digest as the server's only method.
// The certificates a client must refuse are refused in
// tests/integration/tls_certificates_http_test.cc, against the docstore.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "automation/connect_orvex.h"
#include "interop/apache_sales_test.h"
#include "platform/host_settings.h"
#include "server/webdav/wire_trace.h"
#include "support/apache_server.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace orvex::automation {
namespace {

namespace fs = std::filesystem;

std::string Unavailable() {
  std::string why = testing::ApacheServer::Unavailable();
  if (why.empty() && !fs::exists("/usr/lib/apache2/modules/mod_ssl.so"))
    why = "mod_ssl is not installed";
  return why;
}

class ApacheSecureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!Unavailable().empty()) return;
    dir_ = new testing::TempDir("tls");
    authority_ = new testing::TestAuthority(dir_->path(), "orvex");
    testing::CertificateFiles good = authority_->Issue("good", {"localhost", "127.0.0.1"});
    server_ = new testing::ApacheServer();
    server_->UseTls(good.cert, good.key);
    server_->RequireDigest("CORP\\jones", "secret");
    for (const char* d : {"Public/Workspaces", "Sales/Archive"})
      fs::create_directories(server_->root() / d);
    std::ofstream(server_->root() / "Sales/Archive/minutes.txt") << "minutes";
    ASSERT_TRUE(server_->Start());
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/", SetProps(kSalesWorkspaceProps)), 207);
    ASSERT_EQ(server_->Send("PROPPATCH", "/Sales/Archive/",
                            SetProps("<D:contentclass>urn:content-classes:knowledgefolder"
                                     "</D:contentclass>")),
              207);
  }
  static void TearDownTestSuite() {
    delete server_;
    delete authority_;
    delete dir_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (server_ == nullptr) GTEST_SKIP() << Unavailable();
    platform::ClearHostSettings();
    platform::SetHostSetting("docs", "url", "https://localhost:" + std::to_string(server_->port()));
    platform::SetHostSetting("docs", "ca-file", authority_->ca_file());
    docs_.Properties().ShowDialog = false;
  }
  void TearDown() override {
    server::webdav::SetWireTraceFile("");
    platform::ClearHostSettings();
  }

  static std::string ReadFile(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  inline static testing::TempDir* dir_ = nullptr;
  inline static testing::TestAuthority* authority_ = nullptr;
  inline static testing::ApacheServer* server_ = nullptr;
  ConnectOrvex docs_;
};

TEST_F(ApacheSecureTest, OverTlsWithDigestConnectsListsAndWrites) {
  const std::string trace_path = dir_->path() + "/road.log";
  server::webdav::SetWireTraceFile(trace_path);
  ASSERT_TRUE(docs_.ConnectOpen("docs", "jones", "CORP", "secret")) << docs_.GetLastError();
  engine::ServerClass1& e = docs_.DefaultServer();
  ASSERT_TRUE(e.SetWorkspace("Sales")) << e.ErrorCode;
  EXPECT_EQ(e.GetFileInfo("Archive"), 1) << e.ErrorCode;
  ASSERT_TRUE(e.CreateFolder("Archive/2001", false)) << e.ErrorCode;
  EXPECT_TRUE(fs::is_directory(server_->root() / "Sales/Archive/2001"));
  testing::TempDir local("upload");
  std::ofstream(local.path() + "/plan.txt") << "the plan";
  ASSERT_TRUE(e.SaveFile("Archive", local.path(), "plan.txt")) << e.ErrorCode;
  EXPECT_EQ(ReadFile((server_->root() / "Sales/Archive/plan.txt").string()), "the plan");
  EXPECT_EQ(e.GetFileInfo("Archive"), 2) << e.ErrorCode;
  docs_.ConnectClose();
  // One TLS connection served the whole road, challenges and all.
  const std::string trace = ReadFile(trace_path);
  size_t connects = 0;
  for (size_t at = trace.find("* Connected to "); at != std::string::npos;
       at = trace.find("* Connected to ", at + 1))
    ++connects;
  EXPECT_EQ(connects, 1u) << trace;
  EXPECT_NE(trace.find("> Authorization: Digest ***"), std::string::npos);
  EXPECT_EQ(trace.find("secret"), std::string::npos);

  // A wrong password is refused as any server refuses it; so is a client
  // that may only use Basic, which this server does not take.
  ConnectOrvex wrong;
  wrong.Properties().ShowDialog = false;
  EXPECT_FALSE(wrong.ConnectOpen("docs", "jones", "CORP", "guess"));
  EXPECT_EQ(wrong.GetLastError(), 1006);
  platform::SetHostSetting("docs", "auth", "basic");
  ConnectOrvex basic;
  basic.Properties().ShowDialog = false;
  EXPECT_FALSE(basic.ConnectOpen("docs", "jones", "CORP", "secret"));
  EXPECT_EQ(basic.GetLastError(), 1006);
}

}  // namespace
}  // namespace orvex::automation
