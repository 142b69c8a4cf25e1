// HTTP Digest authentication (RFC 7616) on the server's side, with
// qop=auth and the algorithms MD5 and SHA-256: the challenges a 401 carries,
// the parsing of an "Authorization: Digest ..." header and the check of its
// response against the user's stored H(user:realm:password).
//
// Nonces carry the time they were made, random bytes and a keyed hash of
// both, so the server keeps no state to check them; one is good for kNonceLifetime, and
// a nonce count (nc) must grow from one request to the next on each nonce,
// so a request seen once is not taken again.
#ifndef ORVEX_DOCSTORE_DIGEST_AUTH_H_
#define ORVEX_DOCSTORE_DIGEST_AUTH_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "docstore/mutex.h"

namespace orvex::docstore {

class DigestAuth {
 public:
  static constexpr char kRealm[] = "docstore";
  static constexpr std::chrono::seconds kNonceLifetime{300};
  enum class Algorithm { kMd5, kSha256 };

  struct Credentials {
    std::string user;
    std::string realm;
    std::string nonce;
    std::string uri;
    std::string response;
    std::string cnonce;
    std::string nc;
    std::string qop;
    Algorithm algorithm = Algorithm::kMd5;
  };
  // Parses an Authorization header value "Digest name=value, ...". nullopt
  // when it is not Digest, is malformed, or asks for what this server does
  // not offer (a -sess algorithm, a hashed or encoded user name).
  static std::optional<Credentials> Parse(std::string_view header);

  // H(user:realm:password) in lower-case hex, the form the store keeps.
  static std::string Ha1(Algorithm algorithm, std::string_view user, std::string_view realm,
                         std::string_view password);
  // The response a client with `ha1` sends for qop=auth.
  static std::string Response(Algorithm algorithm, std::string_view ha1, std::string_view nonce,
                              std::string_view nc, std::string_view cnonce, std::string_view method,
                              std::string_view uri);

  DigestAuth();  // with a fresh random key for its nonces

  // The WWW-Authenticate values of a 401, SHA-256 first; `stale` tells the
  // client its nonce expired and the same credentials may be sent again.
  std::vector<std::string> Challenges(bool stale);

  enum class Verdict { kRight, kWrong, kStale };
  // Checks `c`, sent with a request of `method` for `target`, against the
  // user's stored `ha1` for c.algorithm. kStale: right, but the nonce has
  // expired.
  Verdict Check(const Credentials& c, std::string_view method, std::string_view target,
                std::string_view ha1);

 private:
  // A fresh nonce: the time, random bytes, and Sign's hash of both.
  std::string NewNonce();
  // `stamp` followed by "-" and its keyed hash.
  std::string Sign(const std::string& stamp) const;

  std::string key_;
  Mutex mutex_;
  std::map<std::string, uint64_t> counts_ ORVEX_GUARDED_BY(mutex_);  // nonce: the last nc taken
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_DIGEST_AUTH_H_
