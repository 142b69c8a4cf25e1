// The WebDAV backend: connections and items over one shared session.
#include "server/webdav/webdav_backend.h"

#include <memory>

#include "server/webdav/session.h"
#include "server/webdav/webdav_item.h"
#include "server/webdav/webdav_version.h"

namespace orvex::server {
namespace {

class WebDavBackendImpl : public Backend {
 public:
  WebDavBackendImpl() : session_(std::make_shared<webdav::Session>()) {}

  void OpenConnection(const Connection& connection, const std::string& url, const std::string& user,
                      const std::string& password, int32_t /*options*/) override {
    session_->OpenConnection(connection, url, user, password);
  }

  void CloseConnection(const Connection& connection) override {
    session_->CloseConnection(connection);
  }

  std::unique_ptr<Item> CreateItem(ItemKind kind) override {
    return std::make_unique<webdav::WebDavItem>(kind, session_);
  }

  std::unique_ptr<Version> CreateVersion() override {
    return std::make_unique<webdav::WebDavVersion>(session_);
  }

 private:
  // Items share the session and may outlive the backend object.
  std::shared_ptr<webdav::Session> session_;
};

}  // namespace

std::shared_ptr<Backend> WebDavBackend() { return std::make_shared<WebDavBackendImpl>(); }

}  // namespace orvex::server
