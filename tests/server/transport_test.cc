// The provider's transport: each host's timeouts, the choice of an
// authentication method, the wire trace.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "canned_http_server.h"
#include "platform/host_settings.h"
#include "server/error.h"
#include "server/webdav/http_client.h"
#include "stubborn_server.h"
#include "support/error_of.h"
#include "support/ports.h"
#include "support/temp_dir.h"

namespace orvex::server::webdav {
namespace {

using orvex::testing::CannedHttpServer;
using orvex::testing::CannedReply;
using orvex::testing::ErrorOf;
using orvex::testing::FreeLoopbackPort;
using orvex::testing::RecordedRequest;
using orvex::testing::StubbornServer;

HttpRequest Propfind(const std::string& url) {
  HttpRequest request;
  request.method = "PROPFIND";
  request.url = *ParseUrl(url);
  request.headers = {"Depth: 0"};
  request.body = "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:allprop/></D:propfind>";
  return request;
}

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearHostSettings(); }
  void TearDown() override { platform::ClearHostSettings(); }
};

TEST_F(TransportTest, OriginsAreWhereTheSettingsSendTheBareName) {
  platform::SetHostSetting("docs", "url", "https://127.0.0.1:8443/");
  platform::SetHostSetting("alias", "url", "https://127.0.0.1:8443");
  platform::SetHostSetting("v6", "url", "http://[::1]:8080");
  Route route = RouteOf(*ParseUrl("http://docs/Sales/My Reports"), true);
  EXPECT_EQ(route.wire_url, "https://127.0.0.1:8443/Sales/My%20Reports");
  EXPECT_EQ(route.host_header, "Host: docs");
  EXPECT_EQ(RouteOf(*ParseUrl("http://V6/a"), false).wire_url, "http://[::1]:8080/a");
  EXPECT_EQ(RouteOf(*ParseUrl("http://plain/a"), false).wire_url, "http://plain/a");
  EXPECT_FALSE(RouteOf(*ParseUrl("http://plain/a"), false).host_header);

  const Origin home = OriginOf(*ParseUrl("http://docs/Sales"));
  EXPECT_EQ(home, (Origin{"https", "127.0.0.1", 8443}));
  for (const char* same : {"http://DOCS/Other", "https://docs/Other", "http://alias/x",
                           "https://127.0.0.1:8443/x", "/Sales/x", "//docs/x"})
    EXPECT_TRUE(IsOnOrigin(home, same)) << same;
  // Another scheme, port or host of the real server, or a name it is not.
  for (const char* other :
       {"http://127.0.0.1:8443/x", "https://127.0.0.1/x", "https://localhost:8443/x", "http://v6/x",
        "http://plain/x", "Sales/x", "ftp://docs/x"})
    EXPECT_FALSE(IsOnOrigin(home, other)) << other;
  // A URL that says https keeps TLS even where the settings say http.
  EXPECT_EQ(OriginOf(*ParseUrl("https://v6/a")), (Origin{"https", "::1", 8080}));
}

TEST_F(TransportTest, EachTimeoutFromTheSettingsEndsTheExchangeWithinASecond) {
  const struct {
    StubbornServer::Mode mode;
    const char* key;
    int seconds;
  } cases[] = {
      {StubbornServer::Mode::kNoAccept, "connect-timeout", 1},
      {StubbornServer::Mode::kSilent, "stall-timeout", 1},
      // A byte every 200 ms passes the stall rule; only the whole exchange's limit ends it.
      {StubbornServer::Mode::kDrip, "request-timeout", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    platform::ClearHostSettings();
    StubbornServer server(c.mode);
    platform::SetHostSetting("slow", "url", "http://127.0.0.1:" + std::to_string(server.port()));
    platform::SetHostSetting("slow", c.key, std::to_string(c.seconds));
    HttpClient client;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf<Error>([&] { client.Send(Propfind("http://slow/Sales")); }),
              kErrGenericFailure);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took.count(), c.seconds - 0.1);
    EXPECT_LT(took.count(), c.seconds + 1.0);
  }
}

// A server that wants Digest (or, with `basic_only`, Basic): it takes any
// answer to its challenge, checking only which method was used.
CannedHttpServer::Handler Challenging(const bool& basic_only) {
  return [&basic_only](const RecordedRequest& r) {
    const std::string auth = r.Header("authorization");
    if (auth.rfind(basic_only ? "Basic " : "Digest ", 0) == 0)
      return CannedReply::Multistatus("<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\"/>");
    CannedReply challenge = CannedReply::Status(401);
    challenge.headers.emplace_back(
        "WWW-Authenticate",
        basic_only ? "Basic realm=\"docs\"" : "Digest realm=\"docs\", nonce=\"n1\", qop=\"auth\"");
    return challenge;
  };
}

std::vector<std::string> AuthorizationSchemes(const CannedHttpServer& server) {
  std::vector<std::string> out;
  for (const RecordedRequest& r : server.requests()) {
    std::string auth = r.Header("authorization");
    out.push_back(auth.substr(0, auth.find(' ')));
  }
  return out;
}

TEST_F(TransportTest, TheMethodIsChosenFromTheChallengeAmongTheAllowedOnes) {
  bool basic_only = false;
  CannedHttpServer server(Challenging(basic_only));
  platform::SetHostSetting("dav", "url", "http://127.0.0.1:" + std::to_string(server.port()));
  HttpClient client;
  HttpRequest request = Propfind("http://dav/Sales");
  request.credentials = Credentials{"CORP\\jones", "secret"};

  // Basic goes first on loopback; the Digest challenge is answered (libcurl
  // asks for a fresh one first), with the domain user as the name.
  EXPECT_EQ(client.Send(request).status, 207);
  EXPECT_EQ(AuthorizationSchemes(server), (std::vector<std::string>{"Basic", "", "Digest"}));
  EXPECT_NE(server.requests()[2].Header("authorization").find("username=\"CORP\\\\jones\""),
            std::string::npos)
      << server.requests()[1].Header("authorization");
  // Then Digest is what this origin answers: no more Basic.
  server.ClearRequests();
  EXPECT_EQ(client.Send(request).status, 207);
  EXPECT_EQ(AuthorizationSchemes(server), (std::vector<std::string>{"", "Digest"}));

  // Only methods the settings allow are used: a 401 is what is left.
  platform::SetHostSetting("dav", "auth", "basic");
  HttpClient basic_client;
  server.ClearRequests();
  EXPECT_EQ(basic_client.Send(request).status, 401);
  EXPECT_EQ(AuthorizationSchemes(server), (std::vector<std::string>{"Basic"}));

  basic_only = true;
  platform::SetHostSetting("dav", "auth", "digest, ntlm");
  HttpClient careful_client;
  server.ClearRequests();
  EXPECT_EQ(careful_client.Send(request).status, 401);
  EXPECT_EQ(AuthorizationSchemes(server), (std::vector<std::string>{""}));
}

TEST_F(TransportTest, TheWireTraceShowsEveryRequestAndNoCredentials) {
  testing::TempDir dir("trace");
  const std::string path = dir.path() + "/wire.log";
  SetWireTraceFile(path);
  bool basic_only = false;
  CannedHttpServer server(Challenging(basic_only));
  const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
  platform::SetHostSetting("dav", "url", base);
  HttpClient client;
  HttpRequest request = Propfind("http://dav/Sales/My Reports");
  request.credentials = Credentials{"CORP\\jones", "secret"};
  EXPECT_EQ(client.Send(request).status, 207);
  basic_only = true;
  HttpClient basic_client;
  EXPECT_EQ(basic_client.Send(request).status, 207);
  HttpRequest anonymous = Propfind("http://dav/Public");
  EXPECT_EQ(client.Send(anonymous).status, 401);
  platform::SetHostSetting("gone", "url", "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()));
  EXPECT_THROW(client.Send(Propfind("http://gone/Sales")), Error);
  SetWireTraceFile("");
  EXPECT_EQ(client.Send(anonymous).status, 401);  // no longer traced

  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  const std::string trace = text.str();
  SCOPED_TRACE(trace);
  // One block per exchange, each with its engine URL, where it went and how it ended.
  size_t blocks = 0;
  for (size_t at = trace.find("=== "); at != std::string::npos; at = trace.find("\n=== ", at + 1))
    ++blocks;
  EXPECT_EQ(blocks, 4u);
  EXPECT_NE(
      trace.find("PROPFIND http://dav/Sales/My%20Reports -> " + base + "/Sales/My%20Reports\n"),
      std::string::npos);
  EXPECT_NE(trace.find("PROPFIND http://gone/Sales -> "), std::string::npos);
  EXPECT_NE(trace.find("= 207 in "), std::string::npos);
  EXPECT_NE(trace.find("= 401 in "), std::string::npos);
  EXPECT_NE(trace.find("= failed: "), std::string::npos);
  EXPECT_NE(trace.find("< WWW-Authenticate: Digest realm=\"docs\""), std::string::npos);
  EXPECT_NE(trace.find("> Host: dav\n"), std::string::npos);
  EXPECT_NE(trace.find("> [body "), std::string::npos);
  // Every request the server read is in it, in order.
  size_t at = 0;
  std::vector<RecordedRequest> requests = server.requests();
  requests.pop_back();  // the one sent after tracing stopped
  for (const RecordedRequest& r : requests) {
    at = trace.find("> " + r.method + " " + r.target + " HTTP/1.1\n", at);
    ASSERT_NE(at, std::string::npos) << r.method << " " << r.target;
    ++at;
  }
  // Credentials are masked, whatever the method.
  EXPECT_NE(trace.find("> Authorization: Basic ***\n"), std::string::npos);
  EXPECT_NE(trace.find("> Authorization: Digest ***\n"), std::string::npos);
  EXPECT_EQ(trace.find("secret"), std::string::npos);
  EXPECT_EQ(trace.find("Q09SUFxqb25lczpzZWNyZXQ"), std::string::npos);  // base64 of the pair
  EXPECT_EQ(trace.find("response="), std::string::npos);
  for (const char* line : {"Cookie: id=1", "Set-Cookie: id=1; Path=/", "Authorization: token"})
    EXPECT_EQ(ExchangeTrace::Masked(line).find("id=1"), std::string::npos) << line;
  EXPECT_EQ(ExchangeTrace::Masked("Authorization: token"), "Authorization: ***");
  EXPECT_EQ(ExchangeTrace::Masked("Content-Type: text/xml"), "Content-Type: text/xml");
}

}  // namespace
}  // namespace orvex::server::webdav
