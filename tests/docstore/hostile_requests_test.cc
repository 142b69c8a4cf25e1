// Hostile requests: each is refused with a 4xx and the server keeps serving.
#include <gtest/gtest.h>

#include "support/raw_connection.h"
#include "support/sample_store.h"

namespace orvex::docstore::testing {
namespace {

class HostileTest : public SampleStoreTest {
 protected:
  // Sends one raw request as smith (who may read every workspace) and
  // returns the status the server answered with.
  int Raw(const std::string& request_line, const std::string& headers = "",
          const std::string& body = "") {
    std::string bytes = request_line + "\r\nHost: docs\r\n" + kSmithAuth + headers;
    if (!body.empty()) bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    bytes += "Connection: close\r\n\r\n" + body;
    return StatusOf(SendRaw(server_->port(), bytes));
  }

  // The server still answers a normal request.
  void ExpectStillServing() {
    Client smith(server_->port(), "CORP\\smith", "secret");
    EXPECT_EQ(smith.Send("PROPFIND", "/Board/", {{"Depth", "0"}}).status, 207);
  }
};

TEST_F(HostileTest, PathTraversalRawAndEncodedIsRefused) {
  // Each of these tries to climb out of Sales (where jones may write) into
  // Board (where he has no role) or out of the store.
  for (const char* target :
       {"/Sales/../Board/Minutes/", "/Sales/%2e%2e/Board/", "/Sales/%2E%2E/Board/",
        "/Sales/..%2fBoard/", "/Sales/%2e%2e%2fBoard/", "/Sales/..%5cBoard/", "/Sales/..\\Board/",
        "/Sales/./Reports/", "/Sales/%2e/Reports/", "/../../etc/passwd",
        "/%2e%2e/%2e%2e/etc/passwd", "/Sales/%00/", "/Sales/%0d%0aX:y/", "/Sales/%zz/", "/Sales/%/",
        "/Sales/#frag"}) {
    int status = Raw(std::string("PROPFIND ") + target + " HTTP/1.1", "Depth: 0\r\n");
    EXPECT_EQ(status, 400) << target;
  }
  // A traversal in the Destination of MOVE or COPY is refused the same way,
  // and nothing moves.
  for (const char* dest : {"http://docs/Sales/../Board/x.txt", "http://docs/Board/%2e%2e/x.txt",
                           "/Sales/%2e%2e/Board/x.txt"}) {
    EXPECT_EQ(jones_->Send("COPY", "/Sales/readme.txt", {{"Destination", dest}}).status, 400)
        << dest;
    EXPECT_EQ(jones_->Send("MOVE", "/Sales/readme.txt", {{"Destination", dest}}).status, 400)
        << dest;
  }
  EXPECT_EQ(jones_->Send("GET", "/Sales/readme.txt").status, 200);
  ExpectStillServing();
}

TEST_F(HostileTest, OversizedHeadersAndBodiesAreRefused) {
  std::string huge_header = "X-Padding: " + std::string(20 * 1024, 'a') + "\r\n";
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", "Depth: 0\r\n" + huge_header), 431);
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "X-H" + std::to_string(i) + ": value\r\n";
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", "Depth: 0\r\n" + many), 431);
  EXPECT_EQ(Raw("GET /" + std::string(20 * 1024, 'a') + " HTTP/1.1"), 431);
  ExpectStillServing();

  // An XML body past 1 MiB: announced by Content-Length, or sent chunked.
  std::string big = "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:prop>";
  while (big.size() < 2 * 1024 * 1024) big += "<D:displayname/>";
  big += "</D:prop></D:propfind>";
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", "Depth: 0\r\n", big), 413);
  std::string chunked = "PROPFIND /Sales/ HTTP/1.1\r\nHost: docs\r\n" + std::string(kSmithAuth) +
                        "Depth: 0\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (int i = 0; i < 40; ++i) {
    char size[16];
    std::snprintf(size, sizeof size, "%x\r\n", 64 * 1024);
    chunked += size + std::string(64 * 1024, ' ') + "\r\n";
  }
  chunked += "0\r\n\r\n";
  EXPECT_EQ(StatusOf(SendRaw(server_->port(), chunked)), 413);
  // A PUT announcing more than the store takes is refused before the body.
  EXPECT_EQ(StatusOf(SendRaw(server_->port(), "PUT /Sales/huge.bin HTTP/1.1\r\nHost: docs\r\n" +
                                                  std::string(kSmithAuth) +
                                                  "Content-Length: 999999999999999\r\n\r\nabc")),
            413);
  ExpectStillServing();
}

TEST_F(HostileTest, XmlEntityExpansionIsRefused) {
  std::string laughs =
      "<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE lolz [<!ENTITY lol \"lol\">"
      "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
      "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
      "<!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">"
      "<!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">"
      "<!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">"
      "<!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">"
      "<!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">"
      "<!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">]>\n"
      "<D:propertyupdate xmlns:D=\"DAV:\"><D:set><D:prop>"
      "<Note xmlns=\"urn:example:\">&lol9;</Note></D:prop></D:set></D:propertyupdate>";
  EXPECT_EQ(jones_->Send("PROPPATCH", "/Sales/readme.txt", {}, laughs).status, 400);
  std::string external =
      "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
      "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:displayname>&e;</D:displayname></D:prop>"
      "</D:propfind>";
  EXPECT_EQ(jones_->Send("PROPFIND", "/Sales/", {{"Depth", "0"}}, external).status, 400);
  std::string deep = "<D:propfind xmlns:D=\"DAV:\">";
  for (int i = 0; i < 200; ++i) deep += "<a>";
  for (int i = 0; i < 200; ++i) deep += "</a>";
  deep += "</D:propfind>";
  EXPECT_EQ(jones_->Send("PROPFIND", "/Sales/", {{"Depth", "0"}}, deep).status, 400);
  EXPECT_EQ(jones_->Send("PROPFIND", "/Sales/", {{"Depth", "0"}}, "<D:propfind").status, 400);
  // Nothing was stored.
  auto rows = jones_->Propfind("/Sales/readme.txt", 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_FALSE(rows[0].props.count("urn:example:Note"));
  ExpectStillServing();
}

TEST_F(HostileTest, InvalidUtf8IsRefused) {
  for (const char* target : {"/Sales/%C3%28/", "/Sales/%FF/", "/Sales/%ED%A0%80/", "/Sales/%C0%AF/",
                             "/Sales/\xff\xfe/"}) {
    EXPECT_EQ(Raw(std::string("PROPFIND ") + target + " HTTP/1.1", "Depth: 0\r\n"), 400) << target;
  }
  std::string bad_value =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propertyupdate xmlns:D=\"DAV:\"><D:set>"
      "<D:prop><Note xmlns=\"urn:example:\">\xc3\x28</Note></D:prop></D:set>"
      "</D:propertyupdate>";
  EXPECT_EQ(jones_->Send("PROPPATCH", "/Sales/readme.txt", {}, bad_value).status, 400);
  EXPECT_EQ(
      jones_->Send("MOVE", "/Sales/readme.txt", {{"Destination", "http://docs/Sales/%C3%28.txt"}})
          .status,
      400);
  EXPECT_EQ(jones_->Send("CHECKIN", "/Sales/Reports/forecast.txt", {{"Comment", "%FF"}}).status,
            400);
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", "Depth: 0\r\nHost2: \xff\r\n"), 207);
  ExpectStillServing();
}

TEST_F(HostileTest, GarbageAndHalfRequestsDoNotStopTheServer) {
  EXPECT_EQ(StatusOf(SendRaw(server_->port(), "HELLO\r\n\r\n")), 400);
  EXPECT_EQ(StatusOf(SendRaw(server_->port(), "GET / HTTP/9.9\r\n\r\n")), 400);
  EXPECT_EQ(StatusOf(SendRaw(server_->port(), std::string("\0\1\2\3", 4) + "\r\n\r\n")), 400);
  // A request cut off in the middle of its header or body: the connection
  // ends without an answer, and nothing is stored.
  SendRaw(server_->port(), "PROPFIND /Sales/ HTTP/1.1\r\nHost: do", 200);
  SendRaw(server_->port(),
          "PUT /Sales/half.txt HTTP/1.1\r\nHost: docs\r\n" + std::string(kSmithAuth) +
              "Content-Length: 100\r\n\r\nonly part",
          200);
  EXPECT_EQ(smith_->Send("GET", "/Sales/half.txt").status, 404);
  EXPECT_EQ(smith_->Send("FROBNICATE", "/Sales/").status, 501);
  ExpectStillServing();
}

TEST_F(HostileTest, BodyFramingFollowsHttp11) {
  auto send = [&](const std::string& framing, const std::string& body) {
    return StatusOf(SendRaw(
        server_->port(), "PROPFIND /Sales/ HTTP/1.1\r\nHost: docs\r\n" + std::string(kSmithAuth) +
                             "Depth: 0\r\nConnection: close\r\n" + framing + "\r\n" + body));
  };
  std::string chunked_body =
      "11\r\n<D:propfind xmlns\r\n23\r\n:D=\"DAV:\"><D:allprop/></D:propfind>\r\n0\r\n\r\n";
  EXPECT_EQ(send("Transfer-Encoding: chunked\r\n", chunked_body), 207);
  EXPECT_EQ(send("Transfer-Encoding: Chunked\r\n", chunked_body), 207);
  // Not ending with chunked: the body's end is unknown.
  EXPECT_EQ(send("Transfer-Encoding: chunked, identity\r\n", chunked_body), 400);
  EXPECT_EQ(send("Transfer-Encoding: gzip\r\n", chunked_body), 400);
  EXPECT_EQ(send("Transfer-Encoding: chunked\r\nTransfer-Encoding: gzip\r\n", chunked_body), 400);
  EXPECT_EQ(send("Transfer-Encoding: chunked, chunked\r\n", chunked_body), 400);
  // A coding the server does not implement.
  EXPECT_EQ(send("Transfer-Encoding: gzip, chunked\r\n", chunked_body), 501);
  EXPECT_EQ(send("Transfer-Encoding: identity\r\nTransfer-Encoding: chunked\r\n", chunked_body),
            501);
  // Both ways of framing, in either order.
  EXPECT_EQ(send("Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", chunked_body), 400);
  EXPECT_EQ(send("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n", chunked_body), 400);
  // Malformed chunks: a size that is not hex, a missing CRLF after the data,
  // a chunk longer than announced.
  EXPECT_EQ(send("Transfer-Encoding: chunked\r\n", "zz\r\nabc\r\n0\r\n\r\n"), 400);
  EXPECT_EQ(send("Transfer-Encoding: chunked\r\n", "3\r\nabcX0\r\n\r\n"), 400);
  EXPECT_EQ(send("Transfer-Encoding: chunked\r\n", "3\r\nabcdef\r\n0\r\n\r\n"), 400);
  ExpectStillServing();
}

TEST_F(HostileTest, AUserWithoutARoleIsRefusedBeforeTheBodyIsRead) {
  // jones has no role in Board: whatever the body, empty, malformed or never
  // sent, the answer is 403.
  auto send = [&](const std::string& method, const std::string& target, const std::string& rest) {
    return StatusOf(SendRaw(server_->port(),
                            method + " " + target +
                                " HTTP/1.1\r\nHost: docs\r\nConnection: close\r\n" + kJonesAuth +
                                rest,
                            2000));
  };
  EXPECT_EQ(send("REPORT", "/Board/Minutes/", "Content-Length: 0\r\n\r\n"), 403);
  EXPECT_EQ(send("PROPPATCH", "/Board/Minutes/", "Content-Length: 5\r\n\r\n<oops"), 403);
  EXPECT_EQ(send("PROPFIND", "/Board/", "Depth: 1\r\nContent-Length: 5\r\n\r\n<oops"), 403);
  EXPECT_EQ(send("MKCOL", "/Board/Minutes/x/",
                 "Content-Type: text/plain\r\nContent-Length: 3\r\n\r\nabc"),
            403);
  // A body announced but never sent: the refusal does not wait for it.
  EXPECT_EQ(send("PROPPATCH", "/Board/Minutes/", "Content-Length: 100000\r\n\r\n"), 403);
  // In Sales, where jones is an author, the same bodies reach the parser.
  EXPECT_EQ(send("PROPPATCH", "/Sales/Reports/", "Content-Length: 5\r\n\r\n<oops"), 400);
  ExpectStillServing();
}

TEST_F(HostileTest, AmbiguousHostAndCredentialsAreRefused) {
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", "Depth: 0\r\nHost: elsewhere\r\n"), 400);
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", std::string("Depth: 0\r\n") + kSmithAuth), 400);
  // base64("guest:guest") beside smith's: neither may be picked.
  EXPECT_EQ(Raw("PROPFIND /Sales/ HTTP/1.1", std::string("Depth: 0\r\n") + kGuestAuth), 400);
  std::string without_host = "PROPFIND /Sales/ HTTP/1.1\r\n" + std::string(kSmithAuth) +
                             "Depth: 0\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(StatusOf(SendRaw(server_->port(), without_host)), 400);
  // HTTP/1.0 had no Host: such a request is still served.
  std::string old = "PROPFIND /Sales/ HTTP/1.0\r\n" + std::string(kSmithAuth) + "Depth: 0\r\n\r\n";
  EXPECT_EQ(SendRaw(server_->port(), old).rfind("HTTP/1.1 207 ", 0), 0u);
  ExpectStillServing();
}

TEST_F(HostileTest, DisplayNamesAndHiddenFlagsAreChecked) {
  // Display names must be path segments; the flags are booleans whatever type a
  // request gives them.
  auto set = [&](const std::string& prop) {
    return jones_->Send("PROPPATCH", "/Sales/Archive/", {},
                        "<D:propertyupdate xmlns:D=\"DAV:\" "
                        "xmlns:b=\"urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/\"><D:set>"
                        "<D:prop>" +
                            prop + "</D:prop></D:set></D:propertyupdate>");
  };
  for (const char* refused :
       {"<D:displayname></D:displayname>", "<D:displayname>../../x</D:displayname>",
        "<D:displayname>a/b</D:displayname>", "<D:ishidden b:dt=\"int\">1</D:ishidden>",
        "<D:ishidden b:dt=\"string\">1</D:ishidden>", "<D:ishidden>yes</D:ishidden>"}) {
    auto r = set(refused);
    EXPECT_EQ(r.status, 207) << refused;
    EXPECT_NE(r.body.find("409"), std::string::npos) << refused;
  }
  auto r =
      set("<D:ishidden b:dt=\"boolean\">1</D:ishidden><D:displayname>Old things</D:displayname>");
  EXPECT_EQ(r.body.find("409"), std::string::npos) << r.body;
  auto row = One(*jones_, "/Sales/Archive/");
  EXPECT_TRUE(row.Flag("DAV:ishidden"));
  EXPECT_EQ(row.Text("DAV:displayname"), "Old things");
}

TEST_F(HostileTest, RequestsAskNoMoreMemoryThanTheLimitsAllow) {
  // A guest (a reader) naming more properties than a listing may ask for.
  auto named = [](size_t count) {
    std::string body = "<D:propfind xmlns:D=\"DAV:\"><D:prop>";
    for (size_t i = 0; i < count; ++i) body += "<p" + std::to_string(i) + " xmlns=\"urn:x:\"/>";
    return body + "</D:prop></D:propfind>";
  };
  EXPECT_EQ(guest_->Send("PROPFIND", "/Sales/Reports/", {{"Depth", "1"}}, named(1000)).status, 207);
  EXPECT_EQ(guest_->Send("PROPFIND", "/Sales/Reports/", {{"Depth", "1"}}, named(1001)).status, 413);
  std::string report = named(1001);
  report.replace(report.find("propfind"), 8, "version-tree");
  report.replace(report.rfind("propfind"), 8, "version-tree");
  EXPECT_EQ(guest_->Send("REPORT", "/Sales/Reports/forecast.txt", {}, report).status, 413);

  // Dead properties kept by one resource: past the size or the count, the
  // whole change is refused and nothing of it is kept, however it is
  // spread over requests.
  auto set = [](const std::string& props) {
    return "<D:propertyupdate xmlns:D=\"DAV:\"><D:set><D:prop>" + props +
           "</D:prop></D:set></D:propertyupdate>";
  };
  std::string chunk(100 * 1024, 'v');
  for (const char* name : {"A", "B"}) {
    EXPECT_EQ(
        jones_
            ->Send("PROPPATCH", "/Sales/Archive/", {},
                   set("<" + std::string(name) + " xmlns=\"urn:x:\">" + chunk + "</" + name + ">"))
            .status,
        207);
  }
  EXPECT_EQ(
      jones_->Send("PROPPATCH", "/Sales/Archive/", {}, set("<C xmlns=\"urn:x:\">" + chunk + "</C>"))
          .status,
      413);
  // Replacing a value by one of the same size stays within the limit.
  EXPECT_EQ(
      jones_->Send("PROPPATCH", "/Sales/Archive/", {}, set("<A xmlns=\"urn:x:\">" + chunk + "</A>"))
          .status,
      207);
  std::string many;
  for (int i = 0; i < 1001; ++i)
    many += "<n" + std::to_string(i) + " xmlns=\"urn:y:\">1</n" + std::to_string(i) + ">";
  EXPECT_EQ(jones_->Send("PROPPATCH", "/Sales/Reports/2001/", {}, set(many)).status, 413);
  EXPECT_EQ(
      jones_
          ->Send("MKCOL", "/Sales/Big/", {{"Content-Type", "application/xml"}},
                 "<D:mkcol xmlns:D=\"DAV:\"><D:set><D:prop>" + many + "</D:prop></D:set></D:mkcol>")
          .status,
      413);
  EXPECT_EQ(jones_->Send("GET", "/Sales/Big/").status, 404);
  auto rows = jones_->Propfind("/Sales/Archive/", 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].Text("urn:x:A"));
  EXPECT_FALSE(rows[0].Text("urn:x:C"));
  rows = jones_->Propfind("/Sales/Reports/2001/", 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_FALSE(rows[0].Text("urn:y:n0"));
  // A document of an enhanced folder: the refused change does not leave it
  // checked out either.
  EXPECT_EQ(jones_->Send("PROPPATCH", "/Sales/Reports/forecast.txt", {}, set(many)).status, 413);
  rows = jones_->Propfind("/Sales/Reports/forecast.txt", 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_FALSE(rows[0].Flag("urn:schemas-microsoft-com:publishing:IsCheckedOut"));
}

}  // namespace
}  // namespace orvex::docstore::testing
