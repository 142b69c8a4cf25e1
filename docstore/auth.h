// HTTP Basic credentials.
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
// The user name ends at the first colon.
std::optional<Credentials> ParseBasicAuth(std::string_view header);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_AUTH_H_
