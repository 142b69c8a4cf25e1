// Choosing an authentication method from what a server offers and what the
// host's settings allow (platform/host_settings.h: `auth`).
//
// Methods are the settings' bit set (platform::AuthMethod). A request
// first goes with the method already learned for its origin; failing that,
// with Basic up front where Basic is allowed (one exchange, as every
// server the library was built against answers it); otherwise with every
// allowed method, libcurl asking first and answering the challenge. A 401
// whose challenge names an allowed method not tried is answered once more
// with the strongest of those: Negotiate, then NTLM, then Digest, then
// Basic. The method that worked is remembered for the origin.
#ifndef ORVEX_SERVER_WEBDAV_HTTP_AUTH_H_
#define ORVEX_SERVER_WEBDAV_HTTP_AUTH_H_

#include <string_view>

namespace orvex::server::webdav {

// The methods named by WWW-Authenticate values ("Digest realm=\"x\",
// nonce=\"y\", Basic realm=\"x\""), several values joined by ", ".
// Schemes this library does not know are left out.
unsigned OfferedAuthMethods(std::string_view challenges);

// The strongest method in `methods`, or 0 for none.
unsigned StrongestAuthMethod(unsigned methods);

// The methods libcurl can do in this process (NTLM and Negotiate depend on
// how libcurl was built).
unsigned AvailableAuthMethods();

// The CURLAUTH_* bits for `methods`.
long CurlAuthBits(unsigned methods);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_HTTP_AUTH_H_
