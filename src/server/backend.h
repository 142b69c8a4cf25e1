// The seam between the engine's server objects and whatever serves them.
//
// A Backend opens connections and creates the server's item objects. The
// WebDAV provider (server/webdav/webdav_backend.h, a library above this
// one) is the real one; tests put a recording fake in its place and assert
// the exact values each call passes.
#ifndef ORVEX_SERVER_BACKEND_H_
#define ORVEX_SERVER_BACKEND_H_

#include <cstdint>
#include <memory>
#include <string>

#include "server/item.h"
#include "server/version.h"

namespace orvex::server {

class Connection;

class Backend {
 public:
  virtual ~Backend() = default;

  // Opens `connection` on `url` with its current provider settings; throws
  // server::Error when the server cannot be reached or refuses the log-on.
  virtual void OpenConnection(const Connection& connection, const std::string& url,
                              const std::string& user, const std::string& password,
                              int32_t options) = 0;
  // Forgets whatever OpenConnection kept for `connection`.
  virtual void CloseConnection(const Connection& connection) = 0;

  // A new, unbound server object of the given kind.
  virtual std::unique_ptr<Item> CreateItem(ItemKind kind) = 0;
  // A new version object (check-out, check-in, publish, history).
  virtual std::unique_ptr<Version> CreateVersion() = 0;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_BACKEND_H_
