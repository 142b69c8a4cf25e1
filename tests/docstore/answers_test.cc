// Answers of any size reach every client, and what one request can make the
// server write and hold is bounded by the request: HTTP/1.0 clients get
// listings and version trees piece by piece like HTTP/1.1 ones, property
// names are echoed within their documented limits, and a client that does
// not read its answer holds no more than the documented buffers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "support/docstore_client.h"
#include "support/raw_connection.h"
#include "support/seed.h"

namespace orvex::docstore::testing {
namespace {

namespace seed = orvex::testing::seed;
using seed::Json;

constexpr char kGuestAuth[] = "Authorization: Basic Z3Vlc3Q6Z3Vlc3Q=\r\n";
constexpr int kDocuments = 800;
constexpr int kVersions = 300;

// A workspace the guest reads: a folder of kDocuments documents and a
// document with kVersions versions.
std::string BigSeed() {
  Json docs = Json::array();
  for (int i = 0; i < kDocuments; ++i) docs.push_back(seed::Document("d" + std::to_string(i)));
  Json versions = Json::array();
  for (int i = 0; i < kVersions; ++i)
    versions.push_back({{"content", "v" + std::to_string(i)},
                        {"comment", "check-in " + std::to_string(i)},
                        {"user", "CORP\\jones"}});
  Json history = seed::Document("history.txt", {{"versions", versions}});
  return seed::Store({seed::Workspace(
      "W", {{"guest", "reader"}, {"CORP\\jones", "author"}},
      {seed::Folder("Many", false, docs), seed::Folder("Kept", true, {history})})});
}

class AnswersTest : public ::testing::Test {
 protected:
  void SetUp() override { server_ = StartServer(BigSeed()); }

  std::string Request(const std::string& line, const std::string& headers,
                      const std::string& body = "") {
    std::string bytes = line + "\r\nHost: docs\r\n" + kGuestAuth + headers;
    if (!body.empty()) bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return bytes + "\r\n" + body;
  }

  std::unique_ptr<Server> server_;
};

// The body of a raw answer that ends with the connection.
std::string BodyOf(const std::string& raw) {
  auto end = raw.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : raw.substr(end + 4);
}

TEST_F(AnswersTest, Http10ClientsGetLargeListingsAndVersionTreesWhole) {
  std::string report =
      "<?xml version=\"1.0\"?><D:version-tree xmlns:D=\"DAV:\"><D:prop><D:version-name/>"
      "<D:comment/><D:creator-displayname/></D:prop></D:version-tree>";
  struct Case {
    std::string request;
    size_t responses;
  };
  for (const Case& c :
       {Case{Request("PROPFIND /W/Many/ HTTP/1.0", "Depth: 1\r\n"), kDocuments + 1u},
        // Keep-alive asked for: the answer without a length still ends with
        // the connection.
        Case{Request("PROPFIND /W/Many/ HTTP/1.0", "Depth: 1\r\nConnection: keep-alive\r\n"),
             kDocuments + 1u},
        Case{Request("REPORT /W/Kept/history.txt HTTP/1.0", "", report), kVersions + 0u}}) {
    RawConnection conn(server_->port());
    ASSERT_TRUE(conn.Send(c.request));
    std::string raw = conn.ReadToEnd(5000);
    EXPECT_TRUE(conn.closed()) << c.request;
    EXPECT_EQ(StatusOf(raw), 207) << raw.substr(0, 200);
    std::string head = raw.substr(0, raw.find("\r\n\r\n"));
    EXPECT_EQ(head.find("chunked"), std::string::npos) << head;
    std::string body = BodyOf(raw);
    EXPECT_GT(body.size(), 64u * 1024) << c.request;
    EXPECT_EQ(ParseMultistatus(body).size(), c.responses) << c.request;
  }
  // A 1.0 client that reads nothing does not hold up the stop.
  RawConnection unread(server_->port(), "127.0.0.1", 4096);
  ASSERT_TRUE(unread.Send(Request("PROPFIND /W/Many/ HTTP/1.0", "Depth: 1\r\n")));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  server_->Stop();
}

}  // namespace
}  // namespace orvex::docstore::testing
