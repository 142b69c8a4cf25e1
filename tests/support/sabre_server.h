// SabreDAV 1.8 (php-sabre-dav) under PHP's built-in web server, serving a
// fresh directory tree on a loopback port from a generated front script:
// its tree keeps dead properties in a `.sabredav` file in each directory
// (that release has no separate property store), locks in a file beside the
// tree. Another WebDAV server nobody in this project wrote.
#ifndef ORVEX_TESTS_SUPPORT_SABRE_SERVER_H_
#define ORVEX_TESTS_SUPPORT_SABRE_SERVER_H_

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace orvex::testing {

class SabreServer {
 public:
  // Why php with SabreDAV cannot run here, or "" when it can.
  static std::string Unavailable();

  SabreServer();   // a fresh, empty document root
  ~SabreServer();  // stops the server; the directory goes with it

  const std::filesystem::path& root() const { return root_; }
  // Before Start: every request must authenticate with HTTP Basic as `user`
  // (a "DOMAIN\name" is taken as it is) with `password`.
  void RequireBasic(const std::string& user, const std::string& password);
  // Starts `php -S` in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers. False when it did not come up.
  bool Start();
  void Stop();
  int port() const { return port_; }

 private:
  TempDir temp_{"sabre"};
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path root_;
  int port_ = 0;
  pid_t pid_ = -1;
  std::string user_, password_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_SABRE_SERVER_H_
