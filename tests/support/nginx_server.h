// nginx with its dav module and dav-ext (PROPFIND, OPTIONS) serving a fresh
// directory tree on a loopback port, started from a standalone configuration
// with its own pid, log and temporary files: a WebDAV server that keeps no
// dead properties, and nobody in this project wrote it.
#ifndef ORVEX_TESTS_SUPPORT_NGINX_SERVER_H_
#define ORVEX_TESTS_SUPPORT_NGINX_SERVER_H_

#include <filesystem>
#include <string>

#include "support/child_server.h"
#include "support/temp_dir.h"

namespace orvex::testing {

class NginxServer {
 public:
  // Why nginx with dav-ext cannot run here, or "" when it can.
  static std::string Unavailable();

  NginxServer();  // a fresh, empty document root; both go with the object

  const std::filesystem::path& root() const { return root_; }
  // Before Start: every request must authenticate with HTTP Basic as `user`
  // (a "DOMAIN\name" is taken as it is) with `password`.
  void RequireBasic(const std::string& user, const std::string& password);
  // Starts nginx in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers. False when it did not come up.
  bool Start();
  int port() const { return port_; }

 private:
  TempDir temp_{"nginx"};
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path root_;
  int port_ = 0;
  ChildServer child_;
  std::string user_, password_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_NGINX_SERVER_H_
