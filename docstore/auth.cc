#include "docstore/auth.h"

#include <crypt.h>
#include <strings.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

namespace orvex::docstore {

std::optional<std::string> DecodeBase64(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    int v = value(c);
    if (v < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  if (count >= 6) return std::nullopt;  // a lone trailing character
  return out;
}

std::optional<Credentials> ParseBasicAuth(std::string_view header) {
  while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
  if (header.size() < 6 || strncasecmp(header.data(), "basic ", 6) != 0) return std::nullopt;
  header.remove_prefix(6);
  while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
  while (!header.empty() && header.back() == ' ') header.remove_suffix(1);
  auto decoded = DecodeBase64(header);
  if (!decoded) return std::nullopt;
  auto colon = decoded->find(':');
  if (colon == std::string::npos) return std::nullopt;
  // The password check stops at a NUL: what follows one would be ignored.
  if (decoded->find('\0') != std::string::npos) return std::nullopt;
  return Credentials{decoded->substr(0, colon), decoded->substr(colon + 1)};
}

std::string HashPassword(const std::string& password) {
  char salt[CRYPT_GENSALT_OUTPUT_SIZE];
  // A null random source makes libcrypt draw the salt from the kernel.
  if (!crypt_gensalt_rn("$6$", kPasswordRounds, nullptr, 0, salt, sizeof salt))
    throw std::runtime_error("cannot make a password salt");
  auto data = std::make_unique<crypt_data>();
  const char* hash = crypt_r(password.c_str(), salt, data.get());
  if (!hash || hash[0] != '$') throw std::runtime_error("cannot hash a password");
  return hash;
}

std::string RandomPassword() {
  unsigned char bytes[18];
  if (::getentropy(bytes, sizeof bytes) != 0) throw std::runtime_error("no random bytes");
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (unsigned char b : bytes) out += alphabet[b % 64];
  return out;
}

bool IsPasswordHash(std::string_view text) { return text.rfind("$6$", 0) == 0; }

bool VerifyPassword(const std::string& password, const std::string& hash) {
  if (!IsPasswordHash(hash)) return false;
  // crypt_data is large (about 32 KiB): on the heap, not a session's stack.
  auto data = std::make_unique<crypt_data>();
  const char* computed = crypt_r(password.c_str(), hash.c_str(), data.get());
  if (!computed) return false;
  std::string_view a(computed);
  unsigned char diff = a.size() == hash.size() ? 0 : 1;
  for (size_t i = 0; i < a.size() && i < hash.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ hash[i]);
  return diff == 0;
}

}  // namespace orvex::docstore
