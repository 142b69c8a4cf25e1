// nginx with its dav module and dav-ext (PROPFIND, OPTIONS) serving a fresh
// directory tree on a loopback port, started from a standalone configuration
// with its own pid, log and temporary files: a WebDAV server that keeps no
// dead properties, and nobody in this project wrote it.
#ifndef ORVEX_TESTS_SUPPORT_NGINX_SERVER_H_
#define ORVEX_TESTS_SUPPORT_NGINX_SERVER_H_

#include <string>

#include "support/child_server.h"

namespace orvex::testing {

class NginxServer : public TreeServer {
 public:
  // Why nginx with dav-ext cannot run here, or "" when it can.
  static std::string Unavailable();

  NginxServer() : TreeServer("nginx") {}

  // Starts nginx in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers. False when it did not come up.
  bool Start();
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_NGINX_SERVER_H_
