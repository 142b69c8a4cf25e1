// Write locks as the store keeps them: one row per lock, named by its token,
// on the store path of the locked resource (its root). Locks live in the
// database, so they survive a restart, and each carries the moment it
// expires: a lock past it counts as gone in every query here, and
// Expired lists it for removal (dav_lock.h).
//
// Every call runs inside the caller's Store::Txn.
#ifndef ORVEX_DOCSTORE_LOCK_STORE_H_
#define ORVEX_DOCSTORE_LOCK_STORE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "docstore/store.h"

namespace orvex::docstore {

struct Lock {
  std::string token;       // "opaquelocktoken:<uuid>"
  std::string root;        // store path of the locked resource
  bool infinite = false;   // depth infinity: the root and everything below it
  bool exclusive = true;   // exclusive, or shared with other shared locks
  std::string owner;       // the client's DAV:owner content as XML, "" for none
  std::string principal;   // the user who took the lock (stored spelling)
  int64_t timeout = 0;     // seconds granted by the last LOCK or refresh
  int64_t expires_ms = 0;  // when it expires, milliseconds since the epoch
  // The locked document's etag right after this lock checked it out (a
  // document of an enhanced folder nobody held); 0 when it checked nothing
  // out. Releasing the lock gives such a check-out back when nothing was
  // written meanwhile.
  int64_t checkout_etag = 0;

  // Does the lock cover the resource at `path` (its root, or below a root
  // with depth infinity)?
  bool Covers(const std::string& path) const;
};

// A new lock token, unique across stores and time (a random UUID).
std::string NewLockToken();

// Milliseconds since the epoch, the clock lock expiry is measured on.
int64_t LockClockMs();

class LockStore {
 public:
  explicit LockStore(Store& store) : store_(store) {}

  // The unexpired lock with this token.
  std::optional<Lock> Find(const std::string& token);
  // Unexpired locks covering `path`: rooted at it, or with depth infinity
  // at one of its ancestors.
  std::vector<Lock> Covering(const std::string& path);
  // Sends Covering's look-up ahead (Statement::Prefetch).
  void PrefetchCovering(const std::string& path);
  // Unexpired locks rooted strictly below `path`.
  std::vector<Lock> Below(const std::string& path);
  // Unexpired locks rooted at `path`.
  std::vector<Lock> RootedAt(const std::string& path);

  void Add(const Lock& lock);
  void Refresh(const std::string& token, int64_t timeout, int64_t expires_ms);
  void SetCheckoutEtag(const std::string& token, int64_t etag);
  void Remove(const std::string& token);
  // Removes every lock rooted at or below `path` (its resources are gone
  // from there).
  void RemoveAtOrBelow(const std::string& path);

  // Locks whose expiry has passed at `now_ms`, still stored.
  std::vector<Lock> Expired(int64_t now_ms);
  // The earliest expiry of any stored lock, nullopt when there is none.
  std::optional<int64_t> NextExpiry();

 private:
  std::vector<Lock> Query(const std::string& where, const std::string& path);
  // The statement of Query, bound. It leaves the expiry to Query, so that
  // the same look-up sent ahead and read later is bound the same way.
  Statement& QueryStatement(const std::string& where, const std::string& path);
  Store& store_;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_LOCK_STORE_H_
