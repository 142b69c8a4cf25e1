// An Apache httpd with mod_dav serving a fresh directory tree on a loopback
// port, started from a standalone configuration: a WebDAV server nobody in
// this project wrote. Run as root, it serves as www-data.
#ifndef ORVEX_TESTS_SUPPORT_APACHE_SERVER_H_
#define ORVEX_TESTS_SUPPORT_APACHE_SERVER_H_

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace orvex::testing {

class ApacheServer {
 public:
  // Why Apache with mod_dav cannot run here, or "" when it can.
  static std::string Unavailable();

  // Creates a fresh, empty document root under a temporary directory.
  ApacheServer();
  ~ApacheServer();  // stops the server; the directory goes with it

  const std::filesystem::path& root() const { return root_; }
  // Starts httpd in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers. False when it did not come up.
  bool Start();
  void Stop();
  int port() const { return port_; }
  // Sends `method` with an XML body to `path` (for setting dead properties
  // up); the HTTP status, or 0 when nothing answered.
  int Send(const std::string& method, const std::string& path, const std::string& body);

 private:
  TempDir temp_{"apache"};
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path root_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_APACHE_SERVER_H_
