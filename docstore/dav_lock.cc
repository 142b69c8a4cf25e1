// LOCK and UNLOCK, and what every other request owes the locks (dav_lock.h).
#include "docstore/dav_lock.h"

#include <strings.h>

#include <algorithm>
#include <map>

#include "docstore/dav_common.h"
#include "docstore/if_header.h"
#include "docstore/names.h"
#include "docstore/url.h"
#include "docstore/xml_writer.h"

namespace orvex::docstore {
namespace {

// A lock lasts an hour unless the client asks otherwise, and a week at most
// (also when it asks for an infinite one): a client that dies holding a lock
// blocks nobody for longer.
constexpr int64_t kDefaultLockSeconds = 3600;
constexpr int64_t kMaxLockSeconds = 7 * 24 * 3600;
// What a lock keeps of its DAV:owner.
constexpr size_t kMaxOwnerBytes = 4096;

// The timeout granted for a Timeout header: its first value the server
// understands ("Second-N" or "Infinite"), within kMaxLockSeconds.
int64_t GrantedTimeout(const std::string& header) {
  size_t pos = 0;
  while (pos < header.size()) {
    size_t comma = header.find(',', pos);
    if (comma == std::string::npos) comma = header.size();
    std::string value = header.substr(pos, comma - pos);
    pos = comma + 1;
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t") + 1);
    if (strcasecmp(value.c_str(), "Infinite") == 0) return kMaxLockSeconds;
    if (value.size() > 7 && strncasecmp(value.c_str(), "Second-", 7) == 0 &&
        value.find_first_not_of("0123456789", 7) == std::string::npos) {
      // Digits past what a week needs cannot fit an int64 and need no
      // reading.
      if (value.size() - 7 > 7) return kMaxLockSeconds;
      return std::clamp<int64_t>(std::stoll(value.substr(7)), 1, kMaxLockSeconds);
    }
  }
  return kDefaultLockSeconds;
}

std::string RootHref(Store& store, const std::string& root) {
  auto r = store.Find(root);
  return EncodeHref(root, r && r->IsCollection());
}

// <D:error><D:{condition}><D:href>..</D:href>...</D:{condition}></D:error>
DavResponse LockError(int code, const std::string& condition,
                      const std::vector<std::string>& hrefs) {
  DavResponse r = Precondition(code, condition);
  std::string inner;
  for (const auto& href : hrefs) inner += "<D:href>" + XmlEscape(href) + "</D:href>";
  r.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:error xmlns:D=\"DAV:\"><D:" + condition +
           ">" + inner + "</D:" + condition + "></D:error>\n";
  return r;
}

// A LOCK's answer: the lock discovery of the locks it took or refreshed.
DavResponse LockAnswer(int status, Store& store, const std::string& host,
                       const std::vector<Lock>& locks) {
  DavResponse r = Status(status);
  r.content_type = "application/xml; charset=\"utf-8\"";
  r.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:prop xmlns:D=\"DAV:\"><D:lockdiscovery>";
  int64_t now = LockClockMs();
  for (const auto& lock : locks) r.body += ActiveLockXml(store, host, lock, now);
  r.body += "</D:lockdiscovery></D:prop>\n";
  return r;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// The state an If header's conditions are weighed against: the resource's
// entity tag (nullopt when nothing is there) and the locks covering it.
struct ResourceState {
  std::optional<std::string> etag;
  std::vector<Lock> locks;
};

ResourceState StateOf(Store& store, const std::string& path) {
  ResourceState state;
  Target target = Resolve(store, path);
  if (target.res) state.etag = EtagOf(*target.res);
  if (target.version) state.etag = VersionEtag(*target.version);
  state.locks = LockStore(store).Covering(path);
  return state;
}

bool ListHolds(const IfList& list, const ResourceState& state) {
  for (const auto& c : list.conditions) {
    bool match = c.etag ? state.etag && EtagsMatch(*state.etag, c.value)
                        : std::any_of(state.locks.begin(), state.locks.end(),
                                      [&](const Lock& l) { return l.token == c.value; });
    if (match == c.negate) return false;
  }
  return true;
}

}  // namespace

const char kSupportedLockXml[] =
    "<D:lockentry><D:lockscope><D:exclusive/></D:lockscope><D:locktype><D:write/></D:locktype>"
    "</D:lockentry><D:lockentry><D:lockscope><D:shared/></D:lockscope><D:locktype><D:write/>"
    "</D:locktype></D:lockentry>";

std::string ActiveLockXml(Store& store, const std::string& host, const Lock& lock, int64_t now_ms) {
  int64_t left = std::max<int64_t>(0, (lock.expires_ms - now_ms + 999) / 1000);
  std::string out = "<D:activelock><D:locktype><D:write/></D:locktype><D:lockscope>";
  out += lock.exclusive ? "<D:exclusive/>" : "<D:shared/>";
  out += "</D:lockscope><D:depth>";
  out += lock.infinite ? "infinity" : "0";
  out += "</D:depth>";
  if (!lock.owner.empty()) out += "<D:owner>" + lock.owner + "</D:owner>";
  out += "<D:timeout>Second-" + std::to_string(left) + "</D:timeout>";
  out += "<D:locktoken><D:href>" + XmlEscape(lock.token) + "</D:href></D:locktoken>";
  out += "<D:lockroot><D:href>" + XmlEscape("http://" + host + RootHref(store, lock.root)) +
         "</D:href></D:lockroot></D:activelock>";
  return out;
}

std::optional<DavResponse> CheckConditions(Store& store, const DavRequest& request,
                                           const LockScope& scope) {
  std::vector<std::string> submitted;
  std::string if_text = request.Header("if");
  if (!if_text.empty()) {
    auto header = ParseIfHeader(if_text);
    if (!header) return Status(400, "malformed If header");
    std::map<std::string, ResourceState> states;
    bool holds = false;
    for (const auto& list : header->lists) {
      // A tag that names no path of this server names nothing here.
      if (list.tagged && list.path.empty()) continue;
      const std::string& path = list.tagged ? list.path : request.path;
      auto it = states.find(path);
      if (it == states.end()) it = states.emplace(path, StateOf(store, path)).first;
      if (ListHolds(list, it->second)) {
        holds = true;
        break;
      }
    }
    if (!holds) return Status(412, "the If header holds for none of its lists");
    submitted = header->Tokens();
  }

  LockStore locks(store);
  std::vector<std::string> refused;
  auto check = [&](const std::string& path) {
    auto covering = locks.Covering(path);
    bool unlocked = std::any_of(covering.begin(), covering.end(), [&](const Lock& l) {
      return Contains(submitted, l.token) && SameUser(l.principal, request.user);
    });
    if (covering.empty() || unlocked) return;
    for (const auto& l : covering) {
      std::string href = RootHref(store, l.root);
      if (!Contains(refused, href)) refused.push_back(href);
    }
  };
  for (const auto& path : scope.paths) check(path);
  for (const auto& tree : scope.trees) {
    check(tree);
    for (const auto& below : locks.Below(tree)) check(below.root);
  }
  if (!refused.empty()) return LockError(423, "lock-token-submitted", refused);
  return std::nullopt;
}

void ReleaseLock(Store& store, Store::Txn& txn, const Lock& lock) {
  LockStore locks(store);
  locks.Remove(lock.token);
  if (lock.checkout_etag == 0) return;
  // Another lock on the document (the same user's: nobody else can lock a
  // document checked out to them) takes the check-out over.
  auto others = locks.RootedAt(lock.root);
  if (!others.empty()) {
    locks.SetCheckoutEtag(others.front().token, lock.checkout_etag);
    return;
  }
  // Given back only when nothing happened since: the document unchanged
  // (no check-in, no new check-out) and its working copy never written.
  auto doc = store.Find(lock.root);
  if (!doc || doc->kind != Kind::kDocument || doc->etag != lock.checkout_etag ||
      !SameUser(doc->checked_out_by, lock.principal))
    return;
  auto wc = WorkingCopyOf(store, *doc);
  if (wc && wc->etag == 1) UndoCheckOut(store, txn, *doc);
}

DavResponse DavHandler::LockRequest(const DavRequest& request) {
  std::string depth = request.Header("depth");
  if (!depth.empty() && depth != "0" && strcasecmp(depth.c_str(), "infinity") != 0)
    return Status(400, "Depth must be 0 or infinity");
  int64_t timeout = GrantedTimeout(request.Header("timeout"));
  std::optional<XmlElement> info;
  if (!request.body.empty()) {
    DavResponse error;
    info = ParseBody(request.body, error);
    if (!info) return error;
    if (!info->Is(kDav, "lockinfo")) return Status(400, "expected a DAV:lockinfo body");
  }

  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  Target target = Resolve(store_, request.path);
  if (target.version || (target.res && target.res->kind == Kind::kWorkingCopy))
    return Status(405, "versions and working copies are not locked; lock the document");
  if (!access.CanWrite()) return Status(403, "not allowed to lock here");
  LockStore locks(store_);
  int64_t now = LockClockMs();

  if (!info) {
    // A refresh: the If header names the lock, which must cover the
    // resource (directly, or through a collection locked with depth
    // infinity).
    if (!target.res) return Status(404, "not found");
    if (request.Header("if").empty())
      return Status(400, "a LOCK without a body refreshes the lock its If header names");
    if (auto refused = CheckConditions(store_, request)) return *refused;
    std::vector<Lock> refreshed;
    for (const auto& token : ParseIfHeader(request.Header("if"))->Tokens()) {
      auto lock = locks.Find(token);
      if (!lock || !lock->Covers(request.path) || !SameUser(lock->principal, request.user))
        continue;
      lock->timeout = timeout;
      lock->expires_ms = now + timeout * 1000;
      locks.Refresh(lock->token, lock->timeout, lock->expires_ms);
      refreshed.push_back(*lock);
    }
    if (refreshed.empty()) return Precondition(412, "lock-token-submitted");
    txn.Commit();
    return LockAnswer(200, store_, request.host, refreshed);
  }

  Lock lock;
  const XmlElement* scope = info->Child(kDav, "lockscope");
  if (!scope || (!scope->Child(kDav, "exclusive") && !scope->Child(kDav, "shared")))
    return Status(400, "DAV:lockinfo needs a lockscope of exclusive or shared");
  const XmlElement* type = info->Child(kDav, "locktype");
  if (!type || !type->Child(kDav, "write")) return Status(422, "only write locks are supported");
  if (const XmlElement* owner = info->Child(kDav, "owner")) lock.owner = owner->InnerXml();
  if (lock.owner.size() > kMaxOwnerBytes) return Status(413, "DAV:owner is too large");
  lock.exclusive = scope->Child(kDav, "exclusive") != nullptr;
  lock.infinite = depth != "0";
  lock.token = NewLockToken();
  lock.root = request.path;
  lock.principal = request.user;
  lock.timeout = timeout;
  lock.expires_ms = now + timeout * 1000;

  std::optional<Resource> parent;
  if (target.res) {
    if (auto refused = CheckConditions(store_, request)) return *refused;
  } else {
    // An unmapped URL: the lock creates an empty document there, as an
    // empty PUT would, and it needs what such a PUT needs.
    if (access.area != Area::kDocuments) return Status(403, "documents live in document folders");
    parent = store_.Find(ParentPath(request.path));
    if (!parent || !parent->IsCollection()) return Status(409, "the parent folder does not exist");
    if (!IsValidSegment(LastSegment(request.path))) return Status(400, "bad document name");
    if (auto refused = CheckConditions(store_, request, {{parent->path}, {}})) return *refused;
  }

  // Another exclusive lock, or any lock beside an exclusive one, conflicts:
  // one covering the resource, or (for depth infinity) one below it.
  std::vector<Lock> near = locks.Covering(request.path);
  if (lock.infinite)
    for (auto& below : locks.Below(request.path)) near.push_back(std::move(below));
  std::vector<std::string> conflicting;
  for (const auto& other : near)
    if (lock.exclusive || other.exclusive) conflicting.push_back(RootHref(store_, other.root));
  if (!conflicting.empty()) return LockError(423, "no-conflicting-lock", conflicting);

  int status = 200;
  if (target.res) {
    // A lock promises its holder the writes it covers: where someone else
    // holds a check-out, no write of the locker's could succeed.
    Resource r = *target.res;
    if ((lock.infinite || !r.IsCollection()) && HoldsOthersCheckout(store_, r, request.user))
      return Status(423, "checked out by another user");
    if (r.kind == Kind::kDocument && HasLifeCycle(r) && r.checked_out_by.empty()) {
      CheckOutTo(store_, r, request.user);
      lock.checkout_etag = r.etag;
    }
  } else {
    Resource doc = CreateDocument(store_, *parent, LastSegment(request.path));
    if (StartLifeCycle(store_, *parent, doc, request.user)) lock.checkout_etag = doc.etag;
    status = 201;
  }
  locks.Add(lock);
  txn.Commit();
  DavResponse answer = LockAnswer(status, store_, request.host, {lock});
  answer.headers.emplace_back("Lock-Token", "<" + lock.token + ">");
  return answer;
}

DavResponse DavHandler::UnlockRequest(const DavRequest& request) {
  std::string header = request.Header("lock-token");
  header.erase(0, header.find_first_not_of(" \t"));
  header.erase(header.find_last_not_of(" \t") + 1);
  if (header.size() < 3 || header.front() != '<' || header.back() != '>')
    return Status(400, "UNLOCK needs a Lock-Token header: <token>");
  std::string token = header.substr(1, header.size() - 2);

  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  if (!Resolve(store_, request.path).Exists()) return Status(404, "not found");
  auto lock = LockStore(store_).Find(token);
  if (!lock || !lock->Covers(request.path))
    return Precondition(409, "lock-token-matches-request-uri");
  // Coordinators may clear the locks of others (a client that died holding
  // one); anybody else only their own.
  if (!SameUser(lock->principal, request.user) && access.role < Role::kCoordinator)
    return Status(403, "the lock belongs to another user");
  ReleaseLock(store_, txn, *lock);
  txn.Commit();
  return Status(204);
}

void DavHandler::ExpireLocks() {
  int64_t now = LockClockMs();
  {
    Store::Txn txn(store_, Store::Txn::kRead);
    auto next = LockStore(store_).NextExpiry();
    txn.Commit();
    if (!next || *next > now) return;
  }
  Store::Txn txn(store_);
  for (const auto& lock : LockStore(store_).Expired(now)) ReleaseLock(store_, txn, lock);
  txn.Commit();
}

}  // namespace orvex::docstore
