// Answers of any size reach every client, and what one request can make the
// server write and hold is bounded by the request: HTTP/1.0 clients get
// listings and version trees piece by piece like HTTP/1.1 ones, property
// names are echoed within their documented limits, and a client that does
// not read its answer holds no more than the documented buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/docstore_client.h"
#include "support/raw_connection.h"
#include "support/seed.h"

namespace orvex::docstore::testing {
namespace {

namespace seed = orvex::testing::seed;
using seed::Json;

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

// An HTTP/1.1 client takes listings and version trees in chunks as they are
// produced, whole and in order; one that speaks HTTP/1.0 cannot, and gets
// the whole answer unchunked, ended by the close of the connection.
TEST_F(AnswersTest, LargeListingsAndVersionTreesReachHttp11AndHttp10ClientsWhole) {
  Client guest(server_->port(), "guest", "guest");
  EXPECT_EQ(guest.Send("PROPFIND", "/W/Many/", {{"Depth", "1"}}).Header("transfer-encoding"),
            "chunked");
  auto tree = guest.Send("REPORT", "/W/Kept/history.txt", {{"Content-Type", "application/xml"}},
                         "<D:version-tree xmlns:D=\"DAV:\"><D:allprop/></D:version-tree>");
  ASSERT_EQ(tree.status, 207);
  EXPECT_EQ(tree.Header("transfer-encoding"), "chunked") << "the history was not streamed";
  EXPECT_GT(tree.body.size(), 64u * 1024);  // several pieces
  auto versions = ParseMultistatus(tree.body);
  ASSERT_EQ(versions.size(), static_cast<size_t>(kVersions));
  for (size_t i = 0; i < versions.size(); ++i)
    ASSERT_EQ(versions[i].Text("urn:schemas-microsoft-com:publishing:Comment"),
              "check-in " + std::to_string(i));
  // The connection stays usable after the stream.
  EXPECT_EQ(guest.Send("GET", "/W/Kept/history.txt").status, 200);

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
    std::string head = raw.substr(0, raw.find("\r\n\r\n"));
    for (char& ch : head) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(head.rfind("http/1.1 207 ", 0), 0u) << head;  // the server's own version
    EXPECT_EQ(head.find("chunked"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nconnection: close"), std::string::npos) << head;
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

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A PROPFIND body naming each {namespace, local name} of `names`.
std::string Named(const std::vector<std::pair<std::string, std::string>>& names) {
  std::string body = "<D:propfind xmlns:D=\"DAV:\"><D:prop>";
  for (const auto& [ns, local] : names) body += "<" + local + " xmlns=\"" + ns + "\"/>";
  return body + "</D:prop></D:propfind>";
}

TEST_F(AnswersTest, NamedPropertiesBoundWhatEachRowEchoes) {
  Client guest(server_->port(), "guest", "guest");
  auto list = [&](const std::string& body) {
    return guest.Send("PROPFIND", "/W/Many/", {{"Depth", "1"}}, body);
  };
  // Past a name's limits, or their sum, the request is refused before any
  // row is written.
  EXPECT_EQ(list(Named({{"urn:" + std::string(1021, 'n'), "a"}})).status, 413);
  EXPECT_EQ(list(Named({{"urn:x:", std::string(257, 'a')}})).status, 413);
  std::vector<std::pair<std::string, std::string>> spread;
  for (int i = 0; i < 700; ++i)
    spread.push_back({"urn:" + std::to_string(i) + std::string(96, 's'), "a"});
  EXPECT_EQ(list(Named(spread)).status, 413);
  // At the limits: a long namespace is written once in each response, not
  // once for each property named in it, and the answer stays within a small
  // multiple of the request for each row.
  std::string ns = "urn:" + std::string(1020, 'n');
  std::vector<std::pair<std::string, std::string>> one_ns;
  for (int i = 0; i < 50; ++i) one_ns.push_back({ns, "p" + std::to_string(i)});
  std::string body = Named(one_ns);
  auto answer = list(body);
  ASSERT_EQ(answer.status, 207);
  size_t rows = ParseMultistatus(answer.body).size();
  EXPECT_EQ(rows, kDocuments + 1u);
  EXPECT_LE(Count(answer.body, ns), rows);
  EXPECT_LE(answer.body.size(), rows * (body.size() + 2048));
  // The properties still come back by their full names.
  EXPECT_EQ(ParseMultistatus(answer.body)[1].props.count(ns + "#p49"), 1u);
  // A name asked for many times is answered once per row.
  std::vector<std::pair<std::string, std::string>> same(500, {"urn:x:", "dup"});
  answer = list(Named(same));
  ASSERT_EQ(answer.status, 207);
  EXPECT_EQ(Count(answer.body, "dup"), rows);
}

// What the kernel holds unsent on the server's side of a connection from
// `client_port` to `server_port` (/proc/net/tcp's tx_queue), or -1.
long ServerSendQueue(uint16_t server_port, uint16_t client_port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues;
    fields >> slot >> local >> remote >> state >> queues;
    auto port = [](const std::string& address) {
      return static_cast<uint16_t>(std::stoul(address.substr(address.find(':') + 1), nullptr, 16));
    };
    if (port(local) != server_port || port(remote) != client_port) continue;
    return std::stol(queues.substr(0, queues.find(':')), nullptr, 16);
  }
  return -1;
}

TEST(AnswerBoundsTest, UnreadAnswersHoldOnePieceAndTheSocketBuffer) {
  // Rows of four 60 KB values each, asked for by name beside 300 names no
  // row has (each answered as not found): about 24 MB an answer.
  Json docs = Json::array();
  Json props = Json::object();
  for (int p = 0; p < 4; ++p) props["urn:x:#v" + std::to_string(p)] = std::string(60000, 'v');
  for (int i = 0; i < 100; ++i)
    docs.push_back(seed::Document("h" + std::to_string(i), {{"properties", props}}));
  auto server = StartServer(seed::Store(
      {seed::Workspace("W", {{"guest", "reader"}}, {seed::Folder("Heavy", false, docs)})}));
  std::vector<std::pair<std::string, std::string>> names;
  for (int p = 0; p < 4; ++p) names.push_back({"urn:x:", "v" + std::to_string(p)});
  for (int i = 0; i < 300; ++i) names.push_back({"urn:y:", "unset-" + std::to_string(i)});
  const std::string body = Named(names);
  const std::string request =
      "PROPFIND /W/Heavy/ HTTP/1.1\r\nHost: docs\r\n" + std::string(kGuestAuth) +
      "Depth: 1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  // One answer read whole first, so the server's lasting allocations are
  // made before the heap is measured.
  {
    RawConnection reader(server->port());
    reader.Send(request);
    while (reader.Read(1000).find("\r\n0\r\n\r\n") == std::string::npos && !reader.closed()) {
    }
  }
  size_t before = HeapInUse();
  constexpr size_t kUnread = 10;
  std::vector<std::unique_ptr<RawConnection>> unread;
  for (size_t i = 0; i < kUnread; ++i) {
    unread.push_back(std::make_unique<RawConnection>(server->port(), "127.0.0.1", 16 * 1024));
    ASSERT_TRUE(unread.back()->Send(request));
  }
  // Until the server stops sending on all of them (bounded: it ends a
  // connection that moves nothing for 10 s).
  std::vector<long> queued(kUnread, -1);
  size_t peak = 0;
  for (int quiet = 0, rounds = 0; quiet < 5 && rounds < 60; ++rounds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    peak = std::max(peak, HeapInUse());
    bool moved = false;
    for (size_t i = 0; i < kUnread; ++i) {
      long now = ServerSendQueue(server->port(), unread[i]->local_port());
      moved |= now != queued[i];
      queued[i] = now;
    }
    quiet = moved ? 0 : quiet + 1;
  }
  const long send_buffer = ConnectionLimits{}.send_buffer_bytes;
  // A connection still waiting for a worker holds nothing yet; at least one
  // must be held up by its reader for the bound to mean anything.
  EXPECT_GT(*std::max_element(queued.begin(), queued.end()), 0);
  for (long q : queued) EXPECT_LE(q, 2 * send_buffer);
  // The server holds a piece, the row being written and a reading
  // connection's page cache for each.
  EXPECT_LT(peak - std::min(peak, before), size_t{kUnread} * (3u << 19));
  // Other clients are served meanwhile.
  Client guest(server->port(), "guest", "guest");
  EXPECT_EQ(guest.Send("PROPFIND", "/W/Heavy/h1", {{"Depth", "0"}}).status, 207);
}

}  // namespace
}  // namespace orvex::docstore::testing
