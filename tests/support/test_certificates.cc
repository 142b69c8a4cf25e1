#include "support/test_certificates.h"

#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace orvex::testing {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("test certificates: " + what);
}

EVP_PKEY* NewKey() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  if (key == nullptr) Fail("no key");
  return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  if (ext == nullptr || X509_add_ext(cert, ext, -1) != 1) Fail("extension " + value);
  X509_EXTENSION_free(ext);
}

X509* NewCertificate(EVP_PKEY* key, const std::string& common_name, long serial, long from_days,
                     long to_days) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), from_days * 86400);
  X509_gmtime_adj(X509_getm_notAfter(cert), to_days * 86400);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>(common_name.c_str()), -1, -1,
                             0);
  return cert;
}

void WritePem(const std::string& path, X509* cert, EVP_PKEY* key) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) Fail("cannot write " + path);
  bool ok = cert != nullptr
                ? PEM_write_X509(f, cert) == 1
                : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  std::fclose(f);
  if (!ok) Fail("cannot write " + path);
}

bool IsAddress(const std::string& name) {
  unsigned char buf[16];
  return inet_pton(AF_INET, name.c_str(), buf) == 1 || inet_pton(AF_INET6, name.c_str(), buf) == 1;
}

}  // namespace

struct TestAuthority::Keys {
  EVP_PKEY* key = nullptr;
  X509* cert = nullptr;
  long serial = 1;
  ~Keys() {
    X509_free(cert);
    EVP_PKEY_free(key);
  }
};

TestAuthority::TestAuthority(const std::string& dir, const std::string& name)
    : dir_(dir), ca_file_(dir + "/" + name + "-ca.pem"), keys_(std::make_unique<Keys>()) {
  keys_->key = NewKey();
  keys_->cert = NewCertificate(keys_->key, name + " test authority", keys_->serial++, -1, 365);
  X509_set_issuer_name(keys_->cert, X509_get_subject_name(keys_->cert));
  AddExtension(keys_->cert, keys_->cert, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(keys_->cert, keys_->cert, NID_key_usage, "critical,keyCertSign,cRLSign");
  AddExtension(keys_->cert, keys_->cert, NID_subject_key_identifier, "hash");
  if (X509_sign(keys_->cert, keys_->key, EVP_sha256()) == 0) Fail("cannot sign the authority");
  WritePem(ca_file_, keys_->cert, nullptr);
}

TestAuthority::~TestAuthority() = default;

CertificateFiles TestAuthority::Issue(const std::string& stem,
                                      const std::vector<std::string>& names, bool expired) {
  EVP_PKEY* key = NewKey();
  X509* cert = NewCertificate(key, names.empty() ? stem : names.front(), keys_->serial++,
                              expired ? -30 : -1, expired ? -1 : 365);
  X509_set_issuer_name(cert, X509_get_subject_name(keys_->cert));
  std::string alt;
  for (const std::string& n : names)
    alt += (alt.empty() ? "" : ",") + std::string(IsAddress(n) ? "IP:" : "DNS:") + n;
  if (!alt.empty()) AddExtension(cert, keys_->cert, NID_subject_alt_name, alt);
  AddExtension(cert, keys_->cert, NID_basic_constraints, "CA:FALSE");
  AddExtension(cert, keys_->cert, NID_ext_key_usage, "serverAuth");
  AddExtension(cert, keys_->cert, NID_authority_key_identifier, "keyid");
  bool signed_ok = X509_sign(cert, keys_->key, EVP_sha256()) != 0;
  CertificateFiles files{dir_ + "/" + stem + ".pem", dir_ + "/" + stem + ".key"};
  if (signed_ok) {
    WritePem(files.cert, cert, nullptr);
    WritePem(files.key, nullptr, key);
  }
  X509_free(cert);
  EVP_PKEY_free(key);
  if (!signed_ok) Fail("cannot sign " + stem);
  return files;
}

}  // namespace orvex::testing
