// A certificate authority made on the spot, and the server certificates it
// issues, written as PEM files for the servers and clients of a test.
#ifndef ORVEX_TESTS_SUPPORT_TEST_CERTIFICATES_H_
#define ORVEX_TESTS_SUPPORT_TEST_CERTIFICATES_H_

#include <memory>
#include <string>
#include <vector>

namespace orvex::testing {

struct CertificateFiles {
  std::string cert;  // PEM certificate
  std::string key;   // PEM private key, unencrypted
};

class TestAuthority {
 public:
  // A new authority named `name`; its certificate goes to DIR/NAME-ca.pem.
  // Throws std::runtime_error when OpenSSL fails.
  TestAuthority(const std::string& dir, const std::string& name);
  ~TestAuthority();
  TestAuthority(const TestAuthority&) = delete;
  TestAuthority& operator=(const TestAuthority&) = delete;

  const std::string& ca_file() const { return ca_file_; }

  // A server certificate for `names` ("localhost", "127.0.0.1": DNS names
  // and IP addresses), written as DIR/STEM.pem and DIR/STEM.key; valid
  // from yesterday for a year, or, when `expired`, one that ended yesterday.
  CertificateFiles Issue(const std::string& stem, const std::vector<std::string>& names,
                         bool expired = false);

 private:
  struct Keys;
  std::string dir_;
  std::string ca_file_;
  std::unique_ptr<Keys> keys_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_TEST_CERTIFICATES_H_
