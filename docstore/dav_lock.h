// Write locks on the wire: the conditions every request's If header and lock
// tokens must meet, the XML of active and supported locks, and the release
// of a lock (by UNLOCK or when it expires). LOCK and UNLOCK themselves are
// DavHandler methods (dav_lock.cc).
//
// A lock protects a resource's content and properties, and a collection's
// membership: a request that changes any of them must submit the token of a
// lock covering it in its If header, and only the user who took a lock can
// submit its token. In an enhanced folder a lock on a document nobody holds
// checks it out to the locker; releasing the lock gives that check-out back
// if nothing was written meanwhile.
#ifndef ORVEX_DOCSTORE_DAV_LOCK_H_
#define ORVEX_DOCSTORE_DAV_LOCK_H_

#include <optional>
#include <string>
#include <vector>

#include "docstore/dav_handler.h"
#include "docstore/lock_store.h"

namespace orvex::docstore {

// What a request changes, as far as locks are concerned: resources whose
// content or properties change, collections that gain or lose a member
// (both in `paths`), and resources removed or replaced with everything below
// them (`trees`).
struct LockScope {
  std::vector<std::string> paths;
  std::vector<std::string> trees;
};

// Checks a request's If header and lock tokens against `scope`: 400 for a
// malformed If header, 412 when it holds for none of its lists, 423 with
// <D:lock-token-submitted> naming the locked resources when a lock on the
// scope is not submitted. nullopt when the request may go ahead. Requests
// that change nothing pass an empty scope: their If header still counts.
std::optional<DavResponse> CheckConditions(Store& store, const DavRequest& request,
                                           const LockScope& scope = {});

// The <D:activelock> of `lock` as seen at `now_ms` (the remaining timeout),
// with the D prefix for DAV:.
std::string ActiveLockXml(Store& store, const std::string& host, const Lock& lock, int64_t now_ms);
// DAV:supportedlock's content: exclusive and shared write locks.
extern const char kSupportedLockXml[];

// Removes `lock`, giving back the check-out it made (see above).
void ReleaseLock(Store& store, Store::Txn& txn, const Lock& lock);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_DAV_LOCK_H_
