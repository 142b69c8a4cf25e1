#include "support/kerberos_realm.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/ports.h"

namespace orvex::testing {
namespace {

constexpr const char* kPrograms[] = {"/usr/sbin/krb5kdc", "/usr/sbin/kdb5_util",
                                     "/usr/sbin/kadmin.local", "/usr/bin/kinit",
                                     "/usr/bin/kdestroy"};

}  // namespace

std::string KerberosRealm::Unavailable() {
  for (const char* p : kPrograms)
    if (::access(p, X_OK) != 0) return std::string(p) + " is not installed (krb5-kdc, krb5-user)";
  return {};
}

KerberosRealm::KerberosRealm() {
  if (const char* v = ::getenv("KRB5_CONFIG")) old_config_ = v, had_config_ = true;
  if (const char* v = ::getenv("KRB5CCNAME")) old_cache_ = v, had_cache_ = true;
}

KerberosRealm::~KerberosRealm() {
  auto restore = [](const char* name, bool had, const std::string& value) {
    if (had)
      ::setenv(name, value.c_str(), 1);
    else
      ::unsetenv(name);
  };
  restore("KRB5_CONFIG", had_config_, old_config_);
  restore("KRB5CCNAME", had_cache_, old_cache_);
  ::unsetenv("KRB5_KDC_PROFILE");
  ::unsetenv("KRB5RCACHETYPE");
}

bool KerberosRealm::Run(const std::string& command) {
  const std::string log = dir_.path() + "/commands.log";
  if (std::system((command + " >>" + log + " 2>&1").c_str()) == 0) return true;
  std::ifstream in(log);
  error_ = "'" + command + "' failed: " +
           std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return false;
}

bool KerberosRealm::Start() {
  const std::string d = dir_.path();
  port_ = FreeLoopbackPort();
  std::ofstream(d + "/krb5.conf") << "[libdefaults]\n default_realm = " << kRealm
                                  << "\n dns_lookup_realm = false\n dns_lookup_kdc = false\n"
                                  << " dns_canonicalize_hostname = false\n rdns = false\n"
                                  << " udp_preference_limit = 1\n"
                                  << "[realms]\n " << kRealm << " = {\n  kdc = 127.0.0.1:" << port_
                                  << "\n }\n[domain_realm]\n localhost = " << kRealm << "\n";
  std::ofstream(d + "/kdc.conf") << "[kdcdefaults]\n kdc_ports = " << port_
                                 << "\n kdc_tcp_ports = " << port_ << "\n[realms]\n " << kRealm
                                 << " = {\n  database_name = " << d << "/principal\n"
                                 << "  key_stash_file = " << d << "/stash\n  acl_file = " << d
                                 << "/kadm5.acl\n }\n[logging]\n kdc = FILE:" << d << "/kdc.log\n";
  std::ofstream(d + "/kadm5.acl") << "";
  ::setenv("KRB5_CONFIG", (d + "/krb5.conf").c_str(), 1);
  ::setenv("KRB5_KDC_PROFILE", (d + "/kdc.conf").c_str(), 1);
  ::setenv("KRB5CCNAME", ("FILE:" + d + "/ccache").c_str(), 1);
  ::setenv("KRB5RCACHETYPE", "none", 1);  // no replay cache for the services either
  if (!Run(std::string("/usr/sbin/kdb5_util -r ") + kRealm + " -P master create -s")) return false;
  if (kdc_.Start("/usr/sbin/krb5kdc", {"krb5kdc", "-n"}, port_, 100)) return true;
  error_ = "the KDC did not start";
  return false;
}

bool KerberosRealm::AddUser(const std::string& name, const std::string& password) {
  return Run("/usr/sbin/kadmin.local -q 'addprinc -pw " + password + " " + name + "'");
}

std::string KerberosRealm::AddHttpService(const std::string& host) {
  const std::string keytab = dir_.path() + "/http.keytab";
  if (!Run("/usr/sbin/kadmin.local -q 'addprinc -randkey HTTP/" + host + "'") ||
      !Run("/usr/sbin/kadmin.local -q 'ktadd -k " + keytab + " HTTP/" + host + "'"))
    return {};
  // The server's own user reads it (Apache drops to www-data).
  std::filesystem::permissions(keytab, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all |
                                                std::filesystem::perms::group_exec |
                                                std::filesystem::perms::others_exec);
  return keytab;
}

bool KerberosRealm::Login(const std::string& name, const std::string& password) {
  return Run("echo '" + password + "' | /usr/bin/kinit " + name);
}

void KerberosRealm::Logout() { Run("/usr/bin/kdestroy"); }

}  // namespace orvex::testing
