// An Apache httpd with mod_dav serving a directory tree on a loopback port,
// started from a standalone configuration for one test suite: a WebDAV
// server nobody in this project wrote.
#ifndef ORVEX_TESTS_INTEROP_APACHE_SERVER_H_
#define ORVEX_TESTS_INTEROP_APACHE_SERVER_H_

#include <filesystem>
#include <string>

namespace orvex::testing {

class ApacheServer {
 public:
  // Why Apache cannot run here (not installed, not root), or "" when it can.
  static std::string Unavailable();

  // Creates a fresh document root under a temporary directory.
  ApacheServer();
  ~ApacheServer();

  const std::filesystem::path& root() const { return root_; }
  // Starts httpd on 127.0.0.1 and waits until it answers; false on failure.
  bool Start();
  void Stop();
  int port() const { return port_; }
  // Sends `method` with an XML body to `path` (for setting dead properties
  // up); returns the HTTP status, or 0 when nothing answered.
  int Send(const std::string& method, const std::string& path, const std::string& body);

 private:
  std::filesystem::path dir_;
  std::filesystem::path root_;
  int port_ = 0;
  bool running_ = false;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_INTEROP_APACHE_SERVER_H_
