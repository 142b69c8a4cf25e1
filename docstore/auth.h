// HTTP Basic credentials and the stored form of passwords.
#ifndef ORVEX_DOCSTORE_AUTH_H_
#define ORVEX_DOCSTORE_AUTH_H_

#include <optional>
#include <string>
#include <string_view>

namespace orvex::docstore {

struct Credentials {
  std::string user;  // may carry a domain: "CORP\\jones"
  std::string password;
};

// Decodes standard base64 (padding required to be consistent); nullopt on
// any character outside the alphabet.
std::optional<std::string> DecodeBase64(std::string_view text);

// Parses an Authorization header value "Basic <base64(user:password)>".
// The user name ends at the first colon. Credentials holding a NUL are
// refused (nullopt).
std::optional<Credentials> ParseBasicAuth(std::string_view header);

// The stored form of a password: SHA-512 crypt ("$6$rounds=N$salt$hash")
// with a fresh random salt per call and kPasswordRounds rounds, so a copy of
// the store does not give away the passwords and each guess costs time.
inline constexpr unsigned long kPasswordRounds = 20000;
std::string HashPassword(const std::string& password);
// A fresh random password (from the kernel), for hashes nobody may match.
std::string RandomPassword();

// Does `password` match the stored form `hash`? Compares every byte, so the
// time taken does not tell how much of it matched. False for anything that
// is not a crypt hash (a plain password never matches itself).
bool VerifyPassword(const std::string& password, const std::string& hash);

// Is `text` in the stored form (a crypt hash), as opposed to plain text?
bool IsPasswordHash(std::string_view text);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_AUTH_H_
