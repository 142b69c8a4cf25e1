// An Apache httpd with mod_dav serving a fresh directory tree on a loopback
// port, started from a standalone configuration: a WebDAV server nobody in
// this project wrote. Run as root, it serves as www-data.
#ifndef ORVEX_TESTS_SUPPORT_APACHE_SERVER_H_
#define ORVEX_TESTS_SUPPORT_APACHE_SERVER_H_

#include <filesystem>
#include <string>

#include "support/child_server.h"

namespace orvex::testing {

// Hands `dir` and everything below it to www-data, which Apache runs as when
// started by root (Apache with mod_dav_fs and with mod_dav_svn both need it);
// false when that fails.
bool GiveToServer(const std::filesystem::path& dir);

// A password as mod_authn_file takes it from a user file on every platform:
// "{SHA}" and the base64 of its SHA-1 (Apache on Linux reads no plain text).
std::string ApachePassword(const std::string& password);

// The first lines of the httpd.conf of a server whose files are in `dir`:
// its root, 127.0.0.1:`port`, pid and error files, run as www-data, with the
// event MPM, mod_authz_core, mod_dav and the DAV provider `provider` (a
// module name such as "dav_fs") loaded.
std::string ApacheConfigStart(const std::filesystem::path& dir, int port,
                              const std::string& provider);
// The LoadModule lines of Basic authentication from a user file.
std::string ApacheBasicModules();

class ApacheServer : public TreeServer {
 public:
  // Why Apache with mod_dav cannot run here, or "" when it can.
  static std::string Unavailable();

  ApacheServer();

  // Before Start: serve TLS only, with this PEM certificate and key
  // (mod_ssl); an empty `cert` goes back to clear text.
  void UseTls(const std::string& cert, const std::string& key);
  // Before Start: every request must authenticate with HTTP Digest
  // (mod_auth_digest) as `user` with `password`, in realm "docs".
  void RequireDigest(const std::string& user, const std::string& password);
  // Before Start: every request must authenticate with Negotiate
  // (mod_auth_gssapi, Kerberos), the service's key in `keytab`.
  void RequireNegotiate(const std::string& keytab);
  // Why mod_auth_gssapi cannot be used here, or "".
  static std::string NegotiateUnavailable();
  // Starts httpd in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers; Basic authentication is
  // mod_auth_basic's. False when it did not come up.
  bool Start();
  // Sends `method` with an XML body to `path` (for setting dead properties
  // up), over TLS and with Digest when the server wants them; the HTTP
  // status, or 0 when nothing answered.
  int Send(const std::string& method, const std::string& path, const std::string& body);

 private:
  std::string tls_cert_, tls_key_;
  std::string digest_user_, digest_password_;
  std::string keytab_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_APACHE_SERVER_H_
