#include "docstore/digest_auth.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <iterator>
#include <stdexcept>

namespace orvex::docstore {
namespace {

std::string Hex(const unsigned char* bytes, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

std::string Hash(DigestAuth::Algorithm algorithm, std::string_view text) {
  const EVP_MD* md = algorithm == DigestAuth::Algorithm::kMd5 ? EVP_md5() : EVP_sha256();
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (!EVP_Digest(text.data(), text.size(), out, &size, md, nullptr))
    throw std::runtime_error("cannot compute a digest");
  return Hex(out, size);
}

// The parts joined with colons, as the hashes take them.
std::string Join(std::initializer_list<std::string_view> parts) {
  std::string out;
  bool first = true;
  for (auto part : parts) {
    if (!first) out += ':';
    first = false;
    out += part;
  }
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::optional<DigestAuth::Credentials> DigestAuth::Parse(std::string_view header) {
  size_t pos = header.find_first_not_of(' ');
  if (pos == std::string_view::npos || header.size() - pos < 7 ||
      strncasecmp(header.data() + pos, "digest ", 7) != 0)
    return std::nullopt;
  pos += 7;
  std::map<std::string, std::string> params;
  while (pos < header.size()) {
    while (pos < header.size() && (header[pos] == ' ' || header[pos] == '\t' || header[pos] == ','))
      ++pos;
    if (pos >= header.size()) break;
    size_t eq = header.find('=', pos);
    if (eq == std::string_view::npos) return std::nullopt;
    std::string name;
    for (size_t i = pos; i < eq; ++i) {
      char c = header[i];
      if (c == ' ' || c == '\t') continue;
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    pos = eq + 1;
    while (pos < header.size() && (header[pos] == ' ' || header[pos] == '\t')) ++pos;
    std::string value;
    if (pos < header.size() && header[pos] == '"') {
      ++pos;
      bool closed = false;
      while (pos < header.size()) {
        char c = header[pos++];
        if (c == '\\' && pos < header.size()) {
          value += header[pos++];
        } else if (c == '"') {
          closed = true;
          break;
        } else {
          value += c;
        }
      }
      if (!closed) return std::nullopt;
    } else {
      while (pos < header.size() && header[pos] != ',' && header[pos] != ' ' && header[pos] != '\t')
        value += header[pos++];
    }
    if (name.empty() || !params.emplace(name, value).second) return std::nullopt;
  }
  if (params.count("username*") || (params.count("userhash") && params["userhash"] != "false"))
    return std::nullopt;
  Credentials c;
  std::string algorithm = params.count("algorithm") ? params["algorithm"] : "MD5";
  if (strcasecmp(algorithm.c_str(), "MD5") == 0)
    c.algorithm = Algorithm::kMd5;
  else if (strcasecmp(algorithm.c_str(), "SHA-256") == 0)
    c.algorithm = Algorithm::kSha256;
  else
    return std::nullopt;
  for (const char* required : {"username", "realm", "nonce", "uri", "response"})
    if (!params.count(required)) return std::nullopt;
  c.user = params["username"];
  c.realm = params["realm"];
  c.nonce = params["nonce"];
  c.uri = params["uri"];
  c.response = params["response"];
  c.cnonce = params["cnonce"];
  c.nc = params["nc"];
  c.qop = params["qop"];
  for (char& ch : c.response) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return c;
}

std::string DigestAuth::Ha1(Algorithm algorithm, std::string_view user, std::string_view realm,
                            std::string_view password) {
  return Hash(algorithm, Join({user, realm, password}));
}

std::string DigestAuth::Response(Algorithm algorithm, std::string_view ha1, std::string_view nonce,
                                 std::string_view nc, std::string_view cnonce,
                                 std::string_view method, std::string_view uri) {
  std::string ha2 = Hash(algorithm, Join({method, uri}));
  return Hash(algorithm, Join({ha1, nonce, nc, cnonce, "auth", ha2}));
}

DigestAuth::DigestAuth() {
  unsigned char bytes[32];
  if (::getentropy(bytes, sizeof bytes) != 0) throw std::runtime_error("no random bytes");
  key_.assign(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::string DigestAuth::NewNonce() {
  unsigned char bytes[8];
  if (::getentropy(bytes, sizeof bytes) != 0) throw std::runtime_error("no random bytes");
  return Sign(std::to_string(NowSeconds()) + "." + Hex(bytes, sizeof bytes));
}

std::string DigestAuth::Sign(const std::string& stamp) const {
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
       reinterpret_cast<const unsigned char*>(stamp.data()), stamp.size(), mac, &size);
  return stamp + "-" + Hex(mac, 16);
}

std::vector<std::string> DigestAuth::Challenges(bool stale) {
  std::string nonce = NewNonce();
  std::vector<std::string> out;
  for (const char* algorithm : {"SHA-256", "MD5"}) {
    std::string value = std::string("Digest realm=\"") + kRealm +
                        "\", qop=\"auth\", algorithm=" + algorithm + ", nonce=\"" + nonce + "\"";
    if (stale) value += ", stale=true";
    out.push_back(std::move(value));
  }
  return out;
}

DigestAuth::Verdict DigestAuth::Check(const Credentials& c, std::string_view method,
                                      std::string_view target, std::string_view ha1) {
  if (c.realm != kRealm || c.qop != "auth" || c.uri != target || c.cnonce.empty() ||
      c.nc.size() != 8 || c.nc.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return Verdict::kWrong;
  // The nonce: made by this server (its keyed hash), and when.
  auto dash = c.nonce.rfind('-');
  auto dot = c.nonce.find('.');
  if (dash == std::string::npos || dot == std::string::npos || dot == 0 || dot > 18 || dot > dash ||
      c.nonce.find_first_not_of("0123456789") < dot)
    return Verdict::kWrong;
  if (!SameText(Sign(c.nonce.substr(0, dash)), c.nonce)) return Verdict::kWrong;
  int64_t made = std::stoll(c.nonce.substr(0, dot));
  std::string expected = Response(c.algorithm, ha1, c.nonce, c.nc, c.cnonce, method, c.uri);
  if (!SameText(expected, c.response)) return Verdict::kWrong;
  int64_t now = NowSeconds();
  if (now - made > kNonceLifetime.count() || made > now) return Verdict::kStale;
  uint64_t count = std::stoull(c.nc, nullptr, 16);
  MutexLock lock(mutex_);
  // Counts of nonces past their lifetime are no longer needed: those nonces
  // are refused as stale before their count is looked at.
  if (counts_.size() > 100000) {
    for (auto it = counts_.begin(); it != counts_.end();) {
      int64_t at = std::stoll(it->first.substr(0, it->first.find('.')));
      it = now - at > kNonceLifetime.count() ? counts_.erase(it) : std::next(it);
    }
  }
  uint64_t& last = counts_[c.nonce];
  if (count <= last) return Verdict::kWrong;  // seen before: a replay
  last = count;
  return Verdict::kRight;
}

}  // namespace orvex::docstore
