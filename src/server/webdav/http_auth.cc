#include "server/webdav/http_auth.h"

#include <curl/curl.h>

#include <string>

#include "platform/host_settings.h"
#include "platform/text.h"

namespace orvex::server::webdav {

using platform::kAuthBasic;
using platform::kAuthDigest;
using platform::kAuthNegotiate;
using platform::kAuthNtlm;

unsigned OfferedAuthMethods(std::string_view challenges) {
  unsigned methods = 0;
  // Pieces between commas outside quoted strings are either a challenge
  // ("Digest realm=...") or one more parameter of the last ("nonce=...").
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i <= challenges.size(); ++i) {
    if (i < challenges.size()) {
      char c = challenges[i];
      if (c == '\\' && quoted) {
        ++i;
        continue;
      }
      if (c == '"') quoted = !quoted;
      if (c != ',' || quoted) continue;
    }
    std::string_view piece = challenges.substr(start, i - start);
    start = i + 1;
    size_t b = piece.find_first_not_of(" \t");
    if (b == std::string_view::npos) continue;
    piece.remove_prefix(b);
    size_t end = piece.find_first_of(" \t=");
    std::string_view token = piece.substr(0, end);
    if (end != std::string_view::npos) {
      size_t next = piece.find_first_not_of(" \t", end);
      if (next != std::string_view::npos && piece[next] == '=') continue;  // a parameter
    }
    if (platform::CompareNoCase(token, "basic") == 0)
      methods |= kAuthBasic;
    else if (platform::CompareNoCase(token, "digest") == 0)
      methods |= kAuthDigest;
    else if (platform::CompareNoCase(token, "negotiate") == 0)
      methods |= kAuthNegotiate;
    else if (platform::CompareNoCase(token, "ntlm") == 0)
      methods |= kAuthNtlm;
  }
  return methods;
}

unsigned StrongestAuthMethod(unsigned methods) {
  for (unsigned m : {kAuthNegotiate, kAuthNtlm, kAuthDigest, kAuthBasic})
    if ((methods & m) != 0) return m;
  return 0;
}

unsigned AvailableAuthMethods() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  unsigned methods = kAuthBasic | kAuthDigest;
  if ((info->features & CURL_VERSION_NTLM) != 0) methods |= kAuthNtlm;
  if ((info->features & CURL_VERSION_SPNEGO) != 0 && (info->features & CURL_VERSION_GSSAPI) != 0)
    methods |= kAuthNegotiate;
  return methods;
}

long CurlAuthBits(unsigned methods) {
  unsigned long bits = 0;
  if ((methods & kAuthBasic) != 0) bits |= CURLAUTH_BASIC;
  if ((methods & kAuthDigest) != 0) bits |= CURLAUTH_DIGEST;
  if ((methods & kAuthNegotiate) != 0) bits |= CURLAUTH_NEGOTIATE;
  if ((methods & kAuthNtlm) != 0) bits |= CURLAUTH_NTLM;
  return static_cast<long>(bits);
}

}  // namespace orvex::server::webdav
