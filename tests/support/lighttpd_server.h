// lighttpd with mod_webdav serving a fresh directory tree on a loopback
// port, started from a standalone configuration, its dead properties kept
// in a SQLite file beside the tree: another WebDAV server nobody in this
// project wrote.
#ifndef ORVEX_TESTS_SUPPORT_LIGHTTPD_SERVER_H_
#define ORVEX_TESTS_SUPPORT_LIGHTTPD_SERVER_H_

#include <filesystem>
#include <string>

#include "support/child_server.h"
#include "support/temp_dir.h"

namespace orvex::testing {

class LighttpdServer {
 public:
  // Why lighttpd with mod_webdav cannot run here, or "" when it can.
  static std::string Unavailable();

  LighttpdServer();  // a fresh, empty document root; both go with the object

  const std::filesystem::path& root() const { return root_; }
  // Before Start: every request must authenticate with HTTP Basic
  // (mod_auth, its users in a plain file) as `user` (a "DOMAIN\name" is
  // taken as it is) with `password`.
  void RequireBasic(const std::string& user, const std::string& password);
  // Starts lighttpd in the foreground as a child (it dies with the test)
  // and waits, bounded, until it answers. False when it did not come up.
  bool Start();
  int port() const { return port_; }

 private:
  TempDir temp_{"lighttpd"};
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path root_;
  int port_ = 0;
  ChildServer child_;
  std::string user_, password_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_LIGHTTPD_SERVER_H_
