#include "docstore/lock_store.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "docstore/database.h"

namespace orvex::docstore {
namespace {

constexpr char kLockColumns[] =
    "token, root, infinite, exclusive, owner, principal, timeout, expires, checkout_etag";

// The prefix every path strictly below ?1 starts with.
constexpr char kBelowPrefix[] = "(CASE WHEN ?1 = '/' THEN '/' ELSE ?1 || '/' END)";

Lock ReadLock(Statement& s) {
  Lock l;
  l.token = s.Text(0);
  l.root = s.Text(1);
  l.infinite = s.Int(2) != 0;
  l.exclusive = s.Int(3) != 0;
  l.owner = s.Text(4);
  l.principal = s.Text(5);
  l.timeout = s.Int(6);
  l.expires_ms = s.Int(7);
  l.checkout_etag = s.Int(8);
  return l;
}

}  // namespace

bool Lock::Covers(const std::string& path) const {
  if (path == root) return true;
  if (!infinite) return false;
  if (root == "/") return true;
  return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
         path[root.size()] == '/';
}

std::string NewLockToken() {
  std::random_device random;
  unsigned char bytes[16];
  for (size_t i = 0; i < sizeof bytes; i += 4) {
    uint32_t word = random();
    for (size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
  }
  bytes[6] = (bytes[6] & 0x0f) | 0x40;  // version 4: random
  bytes[8] = (bytes[8] & 0x3f) | 0x80;  // the RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return std::string("opaquelocktoken:") + text;
}

int64_t LockClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

Statement& LockStore::QueryStatement(const std::string& where, const std::string& path) {
  return store_
      .Sql(std::string("SELECT ") + kLockColumns + " FROM locks WHERE " + where + " ORDER BY rowid")
      .Bind(1, path);
}

std::vector<Lock> LockStore::Query(const std::string& where, const std::string& path) {
  std::vector<Lock> out;
  Statement& s = QueryStatement(where, path);
  const int64_t now = LockClockMs();
  while (s.Step()) {
    Lock lock = ReadLock(s);
    if (lock.expires_ms > now) out.push_back(std::move(lock));
  }
  return out;
}

std::optional<Lock> LockStore::Find(const std::string& token) {
  auto found = Query("token = ?1", token);
  if (found.empty()) return std::nullopt;
  return found.front();
}

namespace {
// A handful of locks at most: the table is scanned rather than asked for
// every ancestor of the path.
constexpr char kCovering[] =
    "root = ?1 OR (infinite = 1 AND (root = '/' OR substr(?1, 1, length(root) + 1) = root || "
    "'/'))";
}  // namespace

std::vector<Lock> LockStore::Covering(const std::string& path) { return Query(kCovering, path); }

void LockStore::PrefetchCovering(const std::string& path) {
  QueryStatement(kCovering, path).Prefetch();
}

std::vector<Lock> LockStore::Below(const std::string& path) {
  return Query(
      std::string("root <> ?1 AND substr(root, 1, length(") + kBelowPrefix + ")) = " + kBelowPrefix,
      path);
}

std::vector<Lock> LockStore::RootedAt(const std::string& path) { return Query("root = ?1", path); }

void LockStore::Add(const Lock& l) {
  Statement& s = store_.Sql(std::string("INSERT INTO locks(") + kLockColumns +
                            ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  s.Bind(1, l.token)
      .Bind(2, l.root)
      .Bind(3, int64_t{l.infinite})
      .Bind(4, int64_t{l.exclusive})
      .Bind(5, l.owner)
      .Bind(6, l.principal)
      .Bind(7, l.timeout)
      .Bind(8, l.expires_ms)
      .Bind(9, l.checkout_etag)
      .Run();
}

void LockStore::Refresh(const std::string& token, int64_t timeout, int64_t expires_ms) {
  store_.Sql("UPDATE locks SET timeout = ?2, expires = ?3 WHERE token = ?1")
      .Bind(1, token)
      .Bind(2, timeout)
      .Bind(3, expires_ms)
      .Run();
}

void LockStore::SetCheckoutEtag(const std::string& token, int64_t etag) {
  store_.Sql("UPDATE locks SET checkout_etag = ?2 WHERE token = ?1")
      .Bind(1, token)
      .Bind(2, etag)
      .Run();
}

void LockStore::Remove(const std::string& token) {
  store_.Sql("DELETE FROM locks WHERE token = ?1").Bind(1, token).Run();
}

void LockStore::RemoveAtOrBelow(const std::string& path) {
  store_
      .Sql(std::string("DELETE FROM locks WHERE root = ?1 OR substr(root, 1, length(") +
           kBelowPrefix + ")) = " + kBelowPrefix)
      .Bind(1, path)
      .Run();
}

std::vector<Lock> LockStore::Expired(int64_t now_ms) {
  std::vector<Lock> out;
  Statement& s = store_.Sql(std::string("SELECT ") + kLockColumns +
                            " FROM locks WHERE expires <= ?1 ORDER BY expires");
  s.Bind(1, now_ms);
  while (s.Step()) out.push_back(ReadLock(s));
  return out;
}

std::optional<int64_t> LockStore::NextExpiry() {
  Statement& s = store_.Sql("SELECT MIN(expires) FROM locks");
  if (!s.Step() || s.IsNull(0)) return std::nullopt;
  return s.Int(0);
}

}  // namespace orvex::docstore
