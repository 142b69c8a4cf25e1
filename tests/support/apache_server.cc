#include "support/apache_server.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <pwd.h>
#include <unistd.h>

#include <fstream>

#include "support/ports.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kApache[] = "/usr/sbin/apache2";
constexpr char kModules[] = "/usr/lib/apache2/modules";

size_t Discard(char*, size_t size, size_t n, void*) { return size * n; }

std::string Md5Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_Digest(text.data(), text.size(), digest, &n, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < n; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 15];
  }
  return out;
}

constexpr char kRealm[] = "docs";

}  // namespace

bool GiveToServer(const fs::path& dir) {
  if (::geteuid() != 0) return true;
  passwd* pw = ::getpwnam("www-data");
  if (pw == nullptr) return false;
  if (::chown(dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) return false;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (::lchown(entry.path().c_str(), pw->pw_uid, pw->pw_gid) != 0) return false;
  return true;
}

std::string ApachePassword(const std::string& password) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_Digest(password.data(), password.size(), digest, &n, EVP_sha1(), nullptr);
  unsigned char encoded[2 * EVP_MAX_MD_SIZE];
  const int length = EVP_EncodeBlock(encoded, digest, static_cast<int>(n));
  return "{SHA}" + std::string(reinterpret_cast<char*>(encoded), static_cast<size_t>(length));
}

void ApacheServer::UseTls(const std::string& cert, const std::string& key) {
  tls_cert_ = cert;
  tls_key_ = key;
}

void ApacheServer::RequireDigest(const std::string& user, const std::string& password) {
  digest_user_ = user;
  digest_password_ = password;
}

void ApacheServer::RequireNegotiate(const std::string& keytab) { keytab_ = keytab; }

std::string ApacheServer::NegotiateUnavailable() {
  if (!fs::exists(fs::path(kModules) / "mod_auth_gssapi.so"))
    return "mod_auth_gssapi is not installed (libapache2-mod-auth-gssapi)";
  return {};
}

std::string ApacheConfigStart(const fs::path& dir, int port, const std::string& provider) {
  const std::string m = kModules;
  return "ServerRoot \"" + dir.string() +
         "\"\nServerName docs\nListen 127.0.0.1:" + std::to_string(port) + "\nPidFile " +
         (dir / "httpd.pid").string() + "\nErrorLog " + (dir / "error.log").string() +
         "\nUser www-data\nGroup www-data\n" + "LoadModule mpm_event_module " + m +
         "/mod_mpm_event.so\n" + "LoadModule authz_core_module " + m + "/mod_authz_core.so\n" +
         "LoadModule dav_module " + m + "/mod_dav.so\n" + "LoadModule " + provider + "_module " +
         m + "/mod_" + provider + ".so\n";
}

std::string ApacheBasicModules() {
  const std::string m = kModules;
  return "LoadModule authn_core_module " + m + "/mod_authn_core.so\n" +
         "LoadModule authn_file_module " + m + "/mod_authn_file.so\n" +
         "LoadModule authz_user_module " + m + "/mod_authz_user.so\n" +
         "LoadModule auth_basic_module " + m + "/mod_auth_basic.so\n";
}

std::string ApacheServer::Unavailable() {
  if (::access(kApache, X_OK) != 0) return "apache2 is not installed";
  if (!fs::exists(fs::path(kModules) / "mod_dav_fs.so")) return "mod_dav_fs is not installed";
  return {};
}

ApacheServer::ApacheServer() : TreeServer("apache") {
  // The server's own user must be able to pass through to the tree.
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::create_directories(dir_ / "lock");
}

bool ApacheServer::Start() {
  if (!GiveToServer(root_) || !GiveToServer(dir_ / "lock")) return false;
  port_ = FreeLoopbackPort();
  const std::string m = kModules;
  std::ofstream conf(dir_ / "httpd.conf");
  conf << ApacheConfigStart(dir_, port_, "dav_fs") << "DavLockDB "
       << (dir_ / "lock" / "DavLock").string() << "\n"
       << "DocumentRoot " << root_.string() << "\n";
  if (!tls_cert_.empty())
    conf << "LoadModule ssl_module " << m << "/mod_ssl.so\n"
         << "SSLEngine on\nSSLCertificateFile " << tls_cert_ << "\nSSLCertificateKeyFile "
         << tls_key_ << "\n";
  if (!keytab_.empty())
    conf << "LoadModule authn_core_module " << m << "/mod_authn_core.so\n"
         << "LoadModule authz_user_module " << m << "/mod_authz_user.so\n"
         << "LoadModule auth_gssapi_module " << m << "/mod_auth_gssapi.so\n";
  else if (!digest_user_.empty())
    conf << "LoadModule authn_core_module " << m << "/mod_authn_core.so\n"
         << "LoadModule authn_file_module " << m << "/mod_authn_file.so\n"
         << "LoadModule authz_user_module " << m << "/mod_authz_user.so\n"
         << "LoadModule auth_digest_module " << m << "/mod_auth_digest.so\n";
  else if (!user_.empty())
    conf << ApacheBasicModules();
  conf << "<Directory " << root_.string() << ">\n  Dav On\n";
  if (!keytab_.empty()) {
    conf << "  AuthType GSSAPI\n  AuthName Kerberos\n  GssapiCredStore keytab:" << keytab_
         << "\n  GssapiAllowedMech krb5\n  Require valid-user\n";
  } else if (!digest_user_.empty()) {
    const fs::path users = dir_ / "digest.users";
    std::ofstream(users) << digest_user_ << ":" << kRealm << ":"
                         << Md5Hex(digest_user_ + ":" + kRealm + ":" + digest_password_) << "\n";
    conf << "  AuthType Digest\n  AuthName " << kRealm << "\n  AuthDigestProvider file\n"
         << "  AuthUserFile " << users.string() << "\n  Require valid-user\n";
  } else if (!user_.empty()) {
    const fs::path users = dir_ / "basic.users";
    std::ofstream(users) << user_ << ":" << ApachePassword(password_) << "\n";
    conf << "  AuthType Basic\n  AuthName " << kRealm << "\n  AuthBasicProvider file\n"
         << "  AuthUserFile " << users.string() << "\n  Require valid-user\n";
  } else {
    conf << "  Require all granted\n";
  }
  conf << "</Directory>\n";
  conf.close();
  return child_.Start(kApache, {kApache, "-f", (dir_ / "httpd.conf").string(), "-D", "FOREGROUND"},
                      port_);
}

int ApacheServer::Send(const std::string& method, const std::string& path,
                       const std::string& body) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return 0;
  const std::string url = (tls_cert_.empty() ? "http" : "https") + std::string("://127.0.0.1:") +
                          std::to_string(port_) + path;
  if (!tls_cert_.empty()) {
    // Only for setting the tree up: what the library checks is its own business.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
  }
  if (!digest_user_.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
    curl_easy_setopt(curl, CURLOPT_USERNAME, digest_user_.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, digest_password_.c_str());
  }
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/xml");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  if (!body.empty()) curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  long status = 0;
  if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return static_cast<int>(status);
}

}  // namespace orvex::testing
