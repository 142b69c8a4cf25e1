// A Kerberos realm of its own on loopback: an MIT KDC started by the test
// with its database, configuration and credential cache under a temporary
// directory. Starting it points this process's Kerberos library (and every
// child started after, such as an Apache with mod_auth_gssapi) at the realm
// through KRB5_CONFIG and KRB5CCNAME.
#ifndef ORVEX_TESTS_SUPPORT_KERBEROS_REALM_H_
#define ORVEX_TESTS_SUPPORT_KERBEROS_REALM_H_

#include <string>

#include "support/child_server.h"
#include "support/temp_dir.h"

namespace orvex::testing {

class KerberosRealm {
 public:
  static constexpr char kRealm[] = "ORVEX.TEST";

  // Why a KDC cannot run here, or "" when it can.
  static std::string Unavailable();

  KerberosRealm();
  ~KerberosRealm();  // stops the KDC and puts the environment back
  KerberosRealm(const KerberosRealm&) = delete;
  KerberosRealm& operator=(const KerberosRealm&) = delete;

  // Creates the database and starts the KDC; false with the reason in
  // error() when it did not come up.
  bool Start();
  // Adds `name` with `password`.
  bool AddUser(const std::string& name, const std::string& password);
  // Adds the service principal "HTTP/host" with a random key and writes it
  // to a keytab; the keytab's path, or "" on failure.
  std::string AddHttpService(const std::string& host);
  // Gets a ticket for `name` into the process's credential cache.
  bool Login(const std::string& name, const std::string& password);
  // Empties the credential cache.
  void Logout();

  const std::string& error() const { return error_; }

 private:
  bool Run(const std::string& command);

  TempDir dir_{"krb5"};
  std::string error_;
  std::string old_config_, old_cache_;
  bool had_config_ = false, had_cache_ = false;
  int port_ = 0;
  ChildServer kdc_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_KERBEROS_REALM_H_
