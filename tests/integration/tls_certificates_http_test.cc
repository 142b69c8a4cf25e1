// The library over TLS to the docstore, each store serving a certificate
// made for the test: one the host's settings trust carries a whole road;
// an expired one, one for another name and one from an authority the
// settings do not name each stop ConnectOpen with a failure whose reason
// the wire trace shows, unless the settings say not to verify.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/error_codes.h"
#include "integration/docstore_fixture.h"
#include "platform/host_settings.h"
#include "server/webdav/wire_trace.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace orvex::testing {
namespace {

class TlsCertificatesHttpTest : public DocstoreTest {
 protected:
  // Each step starts a store of its own.
  void SetUp() override { server::webdav::SetWireTraceFile(trace_path_); }
  void TearDown() override {
    server::webdav::SetWireTraceFile("");
    DocstoreTest::TearDown();
  }

  // Replaces the store by one serving `certificate`, reached as "docs" over
  // https trusting `authority_` alone.
  void Serve(const CertificateFiles& certificate) {
    docstore::ServerOptions options;
    options.tls_cert_file = certificate.cert;
    options.tls_key_file = certificate.key;
    store_ = std::make_unique<docstore::Server>(options);
    store_->Start();
    platform::RemoveHostSetting("docs", "");
    platform::SetHostSetting("docs", "url",
                             "https://127.0.0.1:" + std::to_string(store_->port()) + "/");
    platform::SetHostSetting("docs", "ca-file", authority_.ca_file());
  }

  // What the trace gained since the last call.
  std::string NewTrace() {
    std::stringstream text;
    text << std::ifstream(trace_path_).rdbuf();
    const std::string all = text.str();
    const std::string fresh = all.substr(std::min(seen_, all.size()));
    seen_ = all.size();
    return fresh;
  }

  // The names GetFileData gives for the documents of `folder`.
  static std::vector<std::string> Documents(automation::ConnectOrvex& obj,
                                            const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& r : Rows(obj, "GetFileInfo", {Variant(folder)}, "GetFileData", 3))
      names.push_back(r[1].ToString());
    return names;
  }

  TempDir dir_{"certificates"};
  const std::string trace_path_ = dir_.path() + "/trace.log";
  size_t seen_ = 0;
  TestAuthority authority_{dir_.path(), "trusted"};
};

TEST_F(TlsCertificatesHttpTest, OnlyACertificateTheSettingsTrustConnects) {
  // A certificate of the trusted authority for the address reached.
  Serve(authority_.Issue("good", {"127.0.0.1"}));
  {
    auto obj = NewObject();
    ASSERT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret")) << NewTrace();
    EXPECT_EQ(Call(*obj, "GetWorkspaceInfo"), Variant(int16_t{3}));
    std::vector<Variant> row{Variant(int16_t{0}), Variant(), Variant()};
    EXPECT_EQ(Call(*obj, "GetWorkspace", row), Variant(true));
    EXPECT_EQ(row[1], Variant("Sales"));
    ASSERT_EQ(Call(*obj, "SetWorkspace", {Variant("Sales")}), Variant(true));
    std::vector<std::string> listed = Documents(*obj, "Archive");
    std::ofstream(dir_.path() + "/plan.txt") << "the plan";
    ASSERT_EQ(
        Call(*obj, "SaveFile", {Variant("Archive"), Variant(dir_.path()), Variant("plan.txt")}),
        Variant(true))
        << obj->GetLastError();
    listed.push_back("plan.txt");
    std::vector<std::string> now = Documents(*obj, "Archive");
    std::sort(listed.begin(), listed.end());
    std::sort(now.begin(), now.end());
    EXPECT_EQ(now, listed);
  }
  const std::string road = NewTrace();
  EXPECT_NE(road.find("-> https://127.0.0.1:" + std::to_string(store_->port()) + "/Sales"),
            std::string::npos)
      << road;
  EXPECT_NE(road.find("* SSL connection using TLS"), std::string::npos) << road;
  // Credentials went, masked.
  size_t credentials = 0;
  for (size_t at = road.find("> Authorization: "); at != std::string::npos;
       at = road.find("> Authorization: ", at + 1), ++credentials)
    EXPECT_EQ(road.substr(road.find('\n', at) - 3, 3), "***") << road.substr(at, 80);
  EXPECT_GT(credentials, 0u) << road;

  // Clear text to the TLS port gets no answer it can use.
  platform::SetHostSetting("docs", "url",
                           "http://127.0.0.1:" + std::to_string(store_->port()) + "/");
  {
    auto obj = NewObject();
    EXPECT_FALSE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
    EXPECT_EQ(obj->GetLastError(), engine::kCodeFailure);
  }
  NewTrace();

  // Certificates it must refuse, each with the reason libcurl gives.
  TestAuthority stranger(dir_.path(), "stranger");
  const struct {
    const char* name;
    CertificateFiles certificate;
    const char* reason;
  } refused[] = {
      {"expired", authority_.Issue("expired", {"127.0.0.1"}, true), "certificate has expired"},
      {"another name", authority_.Issue("other", {"other.example"}),
       "no alternative certificate subject name matches target host name '127.0.0.1'"},
      {"unknown authority", stranger.Issue("stranger", {"127.0.0.1"}),
       "unable to get local issuer certificate"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    Serve(c.certificate);
    auto obj = NewObject();
    EXPECT_FALSE(obj->ConnectOpen("docs", "jones", "CORP", "secret"));
    EXPECT_EQ(obj->GetLastError(), engine::kCodeFailure);
    const std::string trace = NewTrace();
    EXPECT_NE(trace.find(c.reason), std::string::npos) << trace;
    // No request went out over a connection that failed its check.
    EXPECT_EQ(trace.find("> PROPFIND"), std::string::npos) << trace;
    // Only an explicit "verify = no" takes it.
    platform::SetHostSetting("docs", "verify", "no");
    EXPECT_TRUE(obj->ConnectOpen("docs", "jones", "CORP", "secret")) << NewTrace();
    EXPECT_EQ(Call(*obj, "SetWorkspace", {Variant("Sales")}), Variant(true));
    obj->ConnectClose();
    NewTrace();
  }

  // No password went into the trace, in any form a method sends it.
  const std::string all = [&] {
    seen_ = 0;
    return NewTrace();
  }();
  for (const char* secret : {"secret", "Q09SUFxqb25lczpzZWNyZXQ=", "am9uZXM6c2VjcmV0"})
    EXPECT_EQ(all.find(secret), std::string::npos) << secret;
}

}  // namespace
}  // namespace orvex::testing
