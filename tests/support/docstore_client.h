// A small HTTP client for the docstore tests: one keep-alive connection to
// an in-process server, in clear or over TLS, Basic credentials, and a reader for multistatus
// answers (namespaces matched by URI).
#ifndef ORVEX_TESTS_SUPPORT_DOCSTORE_CLIENT_H_
#define ORVEX_TESTS_SUPPORT_DOCSTORE_CLIENT_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docstore/server.h"

namespace orvex::docstore::testing {

struct HttpResult {
  int status = 0;
  std::map<std::string, std::string> headers;  // lower-case names
  std::string body;

  std::string Header(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? "" : it->second;
  }
};

// One property value of a multistatus answer.
struct WireValue {
  std::string type;                 // the dt attribute, "" when absent
  std::string text;                 // scalar text
  std::vector<std::string> values;  // v elements of a multi-valued value
  int status = 200;                 // of the propstat that held it
};

struct WireResponse {
  std::string href;
  std::map<std::string, WireValue> props;  // by full name ("DAV:displayname")

  // The text of a property with status 200, or nullopt.
  std::optional<std::string> Text(const std::string& name) const;
  bool Flag(const std::string& name) const { return Text(name) == "1"; }
  std::vector<std::string> Values(const std::string& name) const;
};

// Parses a multistatus body; throws std::runtime_error when it is not one.
std::vector<WireResponse> ParseMultistatus(const std::string& body);

class Client {
 public:
  // With `tls`, the client speaks TLS to the server and takes any
  // certificate: the tests that use it check the server's answers, not its
  // identity.
  Client(uint16_t port, std::string user, std::string password, std::string host = "docs",
         bool tls = false);
  ~Client();

  HttpResult Send(const std::string& method, const std::string& target,
                  const std::map<std::string, std::string>& headers = {},
                  const std::string& body = "");

  // PROPFIND allprop with the given depth; the responses (empty and the
  // status in last_status() when the answer is not 207).
  std::vector<WireResponse> Propfind(const std::string& target, int depth = 0);
  int last_status() const { return last_status_; }

  void set_credentials(std::string user, std::string password) {
    user_ = std::move(user);
    password_ = std::move(password);
  }
  void set_host(std::string host) { host_ = std::move(host); }

 private:
  struct Connection;
  std::unique_ptr<Connection> conn_;
  uint16_t port_;
  bool tls_;
  std::string user_;
  std::string password_;
  std::string host_;
  int last_status_ = 0;
};

// Sends raw bytes on a fresh connection and returns whatever the server
// answers before it closes the connection (or after `timeout_ms` idle).
std::string SendRaw(uint16_t port, const std::string& bytes, int timeout_ms = 5000);

// Where a test's store lives: `store_dir` itself (SQLite; empty: in
// memory), or, in the suite's PostgreSQL run (ORVEX_TEST_POSTGRES holds the
// cluster's connection parameters), a database of that cluster: a new one
// for a store in memory, one named after the folder for a store on disk, so
// that a restart on the same folder finds the same store.
std::string StoreLocation(const std::string& store_dir = "");
// True in the PostgreSQL run: tests of what a SQLite store keeps in its
// folder skip.
bool StoreInPostgres();

// Starts a server on an ephemeral port with the built-in sample store (or
// the given seed text), kept where StoreLocation(store_dir) says.
std::unique_ptr<Server> StartServer(const std::string& seed_json = "",
                                    const std::string& store_dir = "");

}  // namespace orvex::docstore::testing

#endif  // ORVEX_TESTS_SUPPORT_DOCSTORE_CLIENT_H_
