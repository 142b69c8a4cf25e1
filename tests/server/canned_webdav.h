// The WebDAV provider in front of a canned-response server mapped as host
// "docs", and builders of the multistatus answers the handlers give.
#ifndef ORVEX_TESTS_SERVER_CANNED_WEBDAV_H_
#define ORVEX_TESTS_SERVER_CANNED_WEBDAV_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host_map.h"
#include "server/canned_http_server.h"
#include "server/connection.h"
#include "server/webdav/webdav_backend.h"

namespace orvex::testing {

// The path a request named, without the final '/' collections are sent
// with: what handlers that serve folders and documents alike look at.
inline std::string PathOf(const RecordedRequest& r) {
  std::string path = r.target;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// One response whose properties all answered 200.
inline std::string Response(const std::string& href, const std::string& props) {
  return "<D:response><D:href>" + href + "</D:href><D:propstat><D:prop>" + props +
         "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>";
}

inline std::string Collection(const std::string& href, const std::string& props = "") {
  return Response(href, "<D:resourcetype><D:collection/></D:resourcetype>" + props);
}

// A multistatus body with the prefixes D (DAV:), b (data types) and x (values).
inline std::string Multistatus(const std::string& responses) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:multistatus xmlns:D=\"DAV:\" "
         "xmlns:b=\"urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/\" xmlns:x=\"xml:\">" +
         responses + "</D:multistatus>";
}

class CannedWebDavTest : public ::testing::Test {
 protected:
  // Until a test says otherwise every request is answered by a collection
  // at the requested path.
  CannedWebDavTest()
      : server_([this](const RecordedRequest& r) {
          std::lock_guard<std::mutex> lock(mu_);
          if (handler_) return handler_(r);
          return CannedReply::Multistatus(Multistatus(Collection(PathOf(r) + "/")));
        }) {
    platform::MapHost("docs", {"127.0.0.1", server_.port()});
  }
  ~CannedWebDavTest() override { platform::UnmapHost("docs"); }

  void Answer(std::function<CannedReply(const RecordedRequest&)> handler) {
    std::lock_guard<std::mutex> lock(mu_);
    handler_ = std::move(handler);
  }
  std::vector<RecordedRequest> Requests() const { return server_.requests(); }

  // A connection set up the way the engine sets it up.
  std::unique_ptr<server::Connection> NewConnection() {
    auto c = std::make_unique<server::Connection>(backend_);
    c->SetProvider("MSDAIPP.DSO");
    c->SetProperty("Prompt", int32_t{4});
    c->SetProperty("Url Encoding", int16_t{1});
    return c;
  }
  // One of those, opened on the workspace list.
  std::unique_ptr<server::Connection> OpenConnection(const std::string& user = "CORP\\jones",
                                                     const std::string& password = "secret") {
    auto c = NewConnection();
    c->Open("http://docs/Public/Workspaces", user, password, -1);
    return c;
  }
  static server::BindArgs Args(const std::string& url, const server::Connection* active = nullptr) {
    server::BindArgs a;
    a.url = url;
    a.active_connection = active;
    return a;
  }

  std::mutex mu_;
  std::function<CannedReply(const RecordedRequest&)> handler_;
  CannedHttpServer server_;
  std::shared_ptr<server::Backend> backend_ = server::WebDavBackend();
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SERVER_CANNED_WEBDAV_H_
