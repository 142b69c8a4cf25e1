// lighttpd with mod_webdav serving a fresh directory tree on a loopback
// port, started from a standalone configuration, its dead properties kept
// in a SQLite file beside the tree: another WebDAV server nobody in this
// project wrote.
#ifndef ORVEX_TESTS_SUPPORT_LIGHTTPD_SERVER_H_
#define ORVEX_TESTS_SUPPORT_LIGHTTPD_SERVER_H_

#include <string>

#include "support/child_server.h"

namespace orvex::testing {

class LighttpdServer : public TreeServer {
 public:
  // Why lighttpd with mod_webdav cannot run here, or "" when it can.
  static std::string Unavailable();

  LighttpdServer() : TreeServer("lighttpd") {}

  // Starts lighttpd in the foreground as a child (it dies with the test)
  // and waits, bounded, until it answers; Basic authentication is mod_auth's,
  // its users in a plain file. False when it did not come up.
  bool Start();
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_LIGHTTPD_SERVER_H_
