// SabreDAV 1.8 (php-sabre-dav) under PHP's built-in web server, serving a
// fresh directory tree on a loopback port from a generated front script:
// its tree keeps dead properties in a `.sabredav` file in each directory
// (that release has no separate property store), locks in a file beside the
// tree. Another WebDAV server nobody in this project wrote.
#ifndef ORVEX_TESTS_SUPPORT_SABRE_SERVER_H_
#define ORVEX_TESTS_SUPPORT_SABRE_SERVER_H_

#include <string>

#include "support/child_server.h"

namespace orvex::testing {

class SabreServer : public TreeServer {
 public:
  // Why php with SabreDAV cannot run here, or "" when it can.
  static std::string Unavailable();

  SabreServer() : TreeServer("sabre") {}

  // Starts `php -S` in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers. False when it did not come up.
  bool Start();
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_SABRE_SERVER_H_
