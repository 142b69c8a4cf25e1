// The server over TLS, with a certificate made for the test, and Digest
// authentication beside Basic, with curl as the client: what a deployment
// outside loopback relies on.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "docstore/digest_auth.h"
#include "support/docstore_client.h"
#include "support/error_of.h"
#include "support/raw_connection.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace orvex::docstore::testing {
namespace {

using orvex::testing::TempDir;

// Runs a shell command; its standard output and error.
std::string Run(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
  ::pclose(pipe);
  return out;
}

// An authority made on the spot and its certificate for localhost and
// 127.0.0.1.
struct Certificate {
  std::string cert() const { return files.cert; }
  std::string key() const { return files.key; }
  std::string trust() const { return "--cacert " + authority.ca_file() + " "; }

  TempDir dir{"tls"};
  orvex::testing::TestAuthority authority{dir.path(), "docstore"};
  orvex::testing::CertificateFiles files = authority.Issue("server", {"localhost", "127.0.0.1"});
};

std::unique_ptr<Server> StartTls(const Certificate& c) {
  ServerOptions options;
  options.tls_cert_file = c.cert();
  options.tls_key_file = c.key();
  auto server = std::make_unique<Server>(options);
  server->Start();
  return server;
}

// curl against the server: `-w` appends the status; `args` come before the
// URLs.
std::string Curl(const std::string& args) {
  return Run("curl -sS --max-time 20 -H 'Host: docs' -w ' %{http_code}' " + args);
}

TEST(TlsTest, ServesOverTlsWithKeepAliveAndRefusesClearText) {
  Certificate certificate;
  auto server = StartTls(certificate);
  std::string base = "https://localhost:" + std::to_string(server->port());
  std::string trust = certificate.trust();
  // Basic over TLS; two requests on one connection.
  std::string got = Curl(trust + "-v -u 'CORP\\jones:secret' " + base + "/Sales/readme.txt " +
                         base + "/Sales/readme.txt");
  EXPECT_NE(got.find(" 200"), std::string::npos) << got;
  EXPECT_NE(got.find("Re-using existing connection"), std::string::npos) << got;
  // A document kept in a file of its own goes up and comes back whole.
  TempDir dir("tls-content");
  std::string file = dir.path() + "/big.bin";
  std::ofstream(file) << std::string(3 << 20, 'b');
  got = Curl(trust + "-u 'CORP\\jones:secret' -T " + file + " " + base + "/Sales/Archive/big.bin");
  EXPECT_NE(got.find(" 201"), std::string::npos) << got;
  got = Curl(trust + "-u 'CORP\\jones:secret' -o /dev/null -w ' %{size_download}' " + base +
             "/Sales/Archive/big.bin");
  EXPECT_NE(got.find(std::to_string(3 << 20)), std::string::npos) << got;
  // The certificate is checked: without trusting it, curl refuses.
  got = Curl("-u 'CORP\\jones:secret' " + base + "/Sales/readme.txt");
  EXPECT_EQ(got.find(" 200"), std::string::npos) << got;
  // A clear-text request gets no HTTP answer, and the server goes on.
  RawConnection plain(server->port());
  plain.Send("GET /Sales/readme.txt HTTP/1.1\r\nHost: docs\r\n\r\n");
  EXPECT_EQ(StatusOf(plain.ReadToEnd(2000)), 0);
  got = Curl(trust + "-u 'CORP\\jones:secret' " + base + "/Sales/readme.txt");
  EXPECT_NE(got.find(" 200"), std::string::npos) << got;
}

TEST(TlsTest, ABadCertificateOrKeyStopsTheStart) {
  Certificate certificate;
  Certificate other;
  TempDir dir("tls-bad");
  std::ofstream(dir.path() + "/junk.pem") << "not a certificate\n";
  struct Case {
    std::string cert, key, says;
  };
  for (const Case& c :
       {Case{dir.path() + "/junk.pem", certificate.key(), "certificate"},
        Case{certificate.cert(), dir.path() + "/missing.pem", "key"},
        Case{certificate.cert(), other.key(), "mismatch"}, Case{certificate.cert(), "", "both"}}) {
    ServerOptions options;
    options.tls_cert_file = c.cert;
    options.tls_key_file = c.key;
    Server server(options);
    auto e = orvex::testing::Caught<std::runtime_error>([&] { server.Start(); });
    ASSERT_TRUE(e) << "started with " << c.cert << " / " << c.key;
    EXPECT_NE(std::string(e->what()).find(c.says), std::string::npos) << e->what();
  }
}

TEST(DigestTest, CurlLogsInWithDigestInClearAndOverTls) {
  Certificate certificate;
  auto tls = StartTls(certificate);
  auto clear = StartServer();
  for (const std::string& base : {"https://localhost:" + std::to_string(tls->port()),
                                  "http://127.0.0.1:" + std::to_string(clear->port())}) {
    std::string trust = certificate.trust();
    std::string got = Curl(trust + "--digest -u 'CORP\\jones:secret' -X PROPFIND -H 'Depth: 0' " +
                           base + "/Sales/");
    EXPECT_NE(got.find(" 207"), std::string::npos) << base << ": " << got;
    got = Curl(trust + "--digest -u 'CORP\\jones:wrong' " + base + "/Sales/readme.txt");
    EXPECT_NE(got.find(" 401"), std::string::npos) << base << ": " << got;
    // A user name that needs quoting (the backslash), uploading over Digest,
    // twice at once: each client has a nonce of its own.
    for (const char* expected : {" 201", " 204"}) {
      got = Curl(trust + "--digest -u 'CORP\\jones:secret' -T /etc/hostname " + base +
                 "/Sales/Archive/host.txt");
      EXPECT_NE(got.find(expected), std::string::npos) << base << ": " << got;
    }
  }
  // The challenge offers both algorithms, then Basic.
  std::string raw = SendRaw(clear->port(),
                            "PROPFIND /Sales/ HTTP/1.1\r\nHost: docs\r\nDepth: 0\r\n"
                            "Connection: close\r\n\r\n");
  EXPECT_EQ(StatusOf(raw), 401);
  auto sha =
      raw.find("WWW-Authenticate: Digest realm=\"docstore\", qop=\"auth\", algorithm=SHA-256");
  auto md5 = raw.find("WWW-Authenticate: Digest realm=\"docstore\", qop=\"auth\", algorithm=MD5");
  auto basic = raw.find("WWW-Authenticate: Basic realm=\"docstore\"");
  EXPECT_LT(sha, md5) << raw;
  EXPECT_LT(md5, basic) << raw;
  EXPECT_NE(basic, std::string::npos) << raw;
}

TEST(DigestTest, ResponsesFollowTheAlgorithmAndRefuseReplays) {
  using Algorithm = DigestAuth::Algorithm;
  // Worked example with a known answer for both algorithms.
  const char* nonce = "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v";
  const char* cnonce_md5 = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";
  const char* cnonce_sha = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";
  auto md5 = DigestAuth::Response(
      Algorithm::kMd5,
      DigestAuth::Ha1(Algorithm::kMd5, "Mufasa", "http-auth@example.org", "Circle of Life"), nonce,
      "00000001", cnonce_md5, "GET", "/dir/index.html");
  EXPECT_EQ(md5, "8ca523f5e9506fed4657c9700eebdbec");
  auto sha = DigestAuth::Response(
      Algorithm::kSha256,
      DigestAuth::Ha1(Algorithm::kSha256, "Mufasa", "http-auth@example.org", "Circle of Life"),
      nonce, "00000001", cnonce_sha, "GET", "/dir/index.html");
  EXPECT_EQ(sha, "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1");

  // A header as a client writes it, with a quoted backslash in the name.
  DigestAuth auth;
  std::string challenge = auth.Challenges(false)[0];
  auto at = challenge.find("nonce=\"") + 7;
  std::string server_nonce = challenge.substr(at, challenge.find('"', at) - at);
  std::string ha1 = DigestAuth::Ha1(Algorithm::kSha256, "CORP\\jones", "docstore", "secret");
  auto header = [&](const std::string& nc, const std::string& uri) {
    return "Digest username=\"CORP\\\\jones\", realm=\"docstore\", nonce=\"" + server_nonce +
           "\", uri=\"" + uri + "\", algorithm=SHA-256, qop=auth, nc=" + nc +
           ", cnonce=\"abc\", response=\"" +
           DigestAuth::Response(Algorithm::kSha256, ha1, server_nonce, nc, "abc", "GET", uri) +
           "\"";
  };
  auto parsed = DigestAuth::Parse(header("00000001", "/Sales/"));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->user, "CORP\\jones");
  EXPECT_EQ(auth.Check(*parsed, "GET", "/Sales/", ha1), DigestAuth::Verdict::kRight);
  // The same request again, or with a lower count: a replay.
  EXPECT_EQ(auth.Check(*parsed, "GET", "/Sales/", ha1), DigestAuth::Verdict::kWrong);
  EXPECT_EQ(auth.Check(*DigestAuth::Parse(header("00000002", "/Sales/")), "GET", "/Sales/", ha1),
            DigestAuth::Verdict::kRight);
  // Credentials for another target or method, or from another server's
  // nonce, do not count.
  EXPECT_EQ(auth.Check(*DigestAuth::Parse(header("00000003", "/Board/")), "GET", "/Sales/", ha1),
            DigestAuth::Verdict::kWrong);
  EXPECT_EQ(auth.Check(*DigestAuth::Parse(header("00000004", "/Sales/")), "PUT", "/Sales/", ha1),
            DigestAuth::Verdict::kWrong);
  DigestAuth other;
  EXPECT_EQ(other.Check(*DigestAuth::Parse(header("00000005", "/Sales/")), "GET", "/Sales/", ha1),
            DigestAuth::Verdict::kWrong);
  // What this server does not offer is not Digest credentials at all.
  for (const char* refused :
       {"Digest username=\"a\", realm=\"docstore\", nonce=\"n\", uri=\"/\", response=\"r\", "
        "algorithm=MD5-sess",
        "Digest username*=UTF-8''a, realm=\"docstore\", nonce=\"n\", uri=\"/\", response=\"r\"",
        "Digest realm=\"docstore\", nonce=\"n\", uri=\"/\", response=\"r\"",
        "Digest username=\"unterminated", "Basic Q09SUFxqb25lczpzZWNyZXQ="})
    EXPECT_FALSE(DigestAuth::Parse(refused)) << refused;
}

}  // namespace
}  // namespace orvex::docstore::testing
