#include "docstore/dav_handler.h"

#include <exception>

#include "docstore/auth.h"
#include "docstore/database.h"
#include "docstore/dav_common.h"
#include "docstore/names.h"
#include "docstore/url.h"
#include "docstore/xml_writer.h"

namespace orvex::docstore {

const char kAllowedMethods[] =
    "OPTIONS, GET, HEAD, PUT, DELETE, MKCOL, PROPFIND, PROPPATCH, COPY, MOVE, CHECKOUT, CHECKIN, "
    "UNCHECKOUT, PUBLISH, REPORT, LOCK, UNLOCK";

DavResponse Status(int code, const std::string& text) {
  DavResponse r;
  r.status = code;
  if (!text.empty()) {
    r.content_type = "text/plain; charset=utf-8";
    r.body = text + "\n";
  }
  return r;
}

DavResponse Precondition(int code, const std::string& condition) {
  DavResponse r;
  r.status = code;
  r.content_type = "application/xml; charset=\"utf-8\"";
  r.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:error xmlns:D=\"DAV:\"><D:" + condition +
           "/></D:error>\n";
  return r;
}

DavResponse MultiStatus(std::string body) {
  DavResponse r;
  r.status = 207;
  r.content_type = "application/xml; charset=\"utf-8\"";
  r.body = std::move(body);
  return r;
}

std::optional<XmlElement> ParseBody(const std::string& body, DavResponse& error) {
  auto parsed = ParseXml(body);
  if (!parsed.root) {
    error = Status(400, "malformed XML body: " + parsed.error);
    return std::nullopt;
  }
  return std::move(parsed.root);
}

std::optional<DavResponse> RefuseOutsider(const Access& access) {
  if (access.area != Area::kOutside && access.role == Role::kNone)
    return Status(403, "no access to workspace " + access.workspace);
  return std::nullopt;
}

bool HasLifeCycle(const Resource& doc) { return !doc.state.empty(); }

Target Resolve(Store& store, const std::string& path, std::optional<std::string>* inline_content) {
  Target t;
  auto parts = SplitPath(path);
  if (parts.size() == 3 && parts[0] == ".versions") {
    char* end = nullptr;
    long long id = std::strtoll(parts[1].c_str(), &end, 10);
    if (!end || *end) return t;
    long long seq = std::strtoll(parts[2].c_str(), &end, 10);
    if (!end || *end) return t;
    auto doc = store.FindById(id);
    if (!doc || doc->kind != Kind::kDocument) return t;
    auto v = store.FindVersion(id, seq);
    if (!v) return t;
    t.doc = doc;
    t.version = v;
    return t;
  }
  t.res = inline_content ? store.FindWithContent(path, *inline_content) : store.Find(path);
  return t;
}

std::optional<std::string> DestinationPath(const DavRequest& request) {
  std::string dest = request.Header("destination");
  if (dest.empty()) return std::nullopt;
  return ParseRequestPath(dest);
}

bool IsFixedItem(const Access& access, const Resource& r) {
  if (r.id == 1 || access.area == Area::kOutside || access.area == Area::kWorkspace ||
      access.area == Area::kSchema)
    return true;
  // The categories folder itself (/<workspace>/<categories>).
  return access.area == Area::kCategories && SplitPath(r.path).size() == 2;
}

std::string WorkingCopyPath(const Resource& doc) {
  return std::string(kWorkingCopiesPath) + "/" + std::to_string(doc.id);
}

std::optional<Resource> WorkingCopyOf(Store& store, const Resource& doc) {
  auto wc = store.Find(WorkingCopyPath(doc));
  if (wc && wc->kind == Kind::kWorkingCopy && wc->doc == doc.id) return wc;
  return std::nullopt;
}

bool HoldsOthersCheckout(Store& store, const Resource& r, const std::string& user) {
  if (r.kind == Kind::kDocument) return CheckedOutByOther(r, user);
  if (!r.IsCollection()) return false;
  for (const auto& child : store.Children(r.id))
    if (HoldsOthersCheckout(store, child, user)) return true;
  return false;
}

Resource CheckOutTo(Store& store, Resource& doc, const std::string& user) {
  doc.checked_out_by = user;
  if (doc.state != kStateCreated) doc.state = kStateCheckedOut;
  store.Update(doc);
  return store.CreateWorkingCopy(doc, WorkingCopyPath(doc));
}

void UndoCheckOut(Store& store, Store::Txn& txn, Resource& doc) {
  if (auto wc = WorkingCopyOf(store, doc)) store.DeleteTree(txn, *wc);
  doc.checked_out_by.clear();
  // A published version is a whole major number (1.0, 2.0).
  if (doc.state != kStateCreated)
    doc.state = doc.vmajor > 0 && doc.vminor == 0 ? kStateApproved : kStateCheckedIn;
  store.Update(doc);
}

Resource CreateDocument(Store& store, const Resource& parent, const std::string& name) {
  std::string profile = EffectiveDefaultProfile(store, parent);
  if (profile.empty()) profile = kClassDocument;
  return store.Create(parent, name, Kind::kDocument, profile);
}

bool StartLifeCycle(Store& store, const Resource& parent, Resource& doc, const std::string& user) {
  if (parent.content_class != kClassSmartFolder) return false;
  doc.state = kStateCreated;
  CheckOutTo(store, doc, user);
  return true;
}

DavHandler::BodyKind DavHandler::BodyFor(const std::string& method) {
  if (method == "PUT") return BodyKind::kFile;
  return BodyKind::kSmall;
}

std::optional<std::string> DavHandler::Authenticate(const std::string& authorization,
                                                    const std::string& method,
                                                    const std::string& target, bool& stale) {
  stale = false;
  if (auto digest = DigestAuth::Parse(authorization)) {
    std::optional<Store::DigestRecord> user;
    {
      Store::Txn txn(store_, Store::Txn::kLookUp);
      user = store_.FindDigest(digest->user);
      txn.Commit();
    }
    // The stored form was computed from the stored spelling of the name.
    if (!user || user->name != digest->user) return std::nullopt;
    const std::string& ha1 =
        digest->algorithm == DigestAuth::Algorithm::kMd5 ? user->md5 : user->sha256;
    auto verdict = digest_.Check(*digest, method, target, ha1);
    stale = verdict == DigestAuth::Verdict::kStale;
    if (verdict != DigestAuth::Verdict::kRight) return std::nullopt;
    return user->name;
  }
  auto credentials = ParseBasicAuth(authorization);
  if (!credentials) return std::nullopt;
  std::optional<Store::UserRecord> user;
  {
    Store::Txn txn(store_, Store::Txn::kLookUp);
    user = store_.FindUser(credentials->user);
    txn.Commit();
  }
  // The slow hash runs outside the transaction: nobody waits for it. An
  // unknown user's password is checked against a hash of nothing anybody
  // knows, so the answer takes as long as for a known user and does not
  // tell which names exist.
  static const std::string unknown = HashPassword(RandomPassword());
  bool right = VerifyPassword(credentials->password, user ? user->password_hash : unknown);
  if (!user || !right) return std::nullopt;
  return user->name;
}

std::vector<std::string> DavHandler::Challenges(bool stale) {
  auto challenges = digest_.Challenges(stale);
  challenges.push_back(std::string("Basic realm=\"") + DigestAuth::kRealm + "\"");
  return challenges;
}

DavResponse DavHandler::Handle(DavRequest& request) {
  try {
    try {
      return Dispatch(request);
    } catch (const StoreFullError&) {
      // The first request to find the disk full gives up the store's
      // reserve, so that deleting, which frees space, still works; a DELETE
      // is then tried once more.
      if (!store_.ReleaseReserve() || request.method != "DELETE") throw;
      return Dispatch(request);
    }
  } catch (const StoreFullError&) {
    return Status(507, "the store's disk is full");
  } catch (const StoreUnavailableError&) {
    // The database server went away: nothing was changed, and the next
    // request connects again.
    return Status(503, "the store's database cannot be reached");
  } catch (const std::exception& e) {
    return Status(500, std::string("internal error: ") + e.what());
  }
}

DavResponse DavHandler::Dispatch(DavRequest& request) {
  const std::string& m = request.method;
  if (m == "OPTIONS") return Options(request);
  if (m == "PROPFIND") return Propfind(request);
  if (m == "GET") return Get(request, false);
  if (m == "HEAD") return Get(request, true);
  if (m == "PUT") return Put(request);
  if (m == "DELETE") return Delete(request);
  if (m == "MKCOL") return Mkcol(request);
  if (m == "PROPPATCH") return Proppatch(request);
  if (m == "COPY") return CopyMove(request, false);
  if (m == "MOVE") return CopyMove(request, true);
  if (m == "CHECKOUT") return Checkout(request);
  if (m == "CHECKIN") return Checkin(request);
  if (m == "UNCHECKOUT") return Uncheckout(request);
  if (m == "PUBLISH") return Publish(request);
  if (m == "REPORT") return Report(request);
  if (m == "LOCK") return LockRequest(request);
  if (m == "UNLOCK") return UnlockRequest(request);
  DavResponse r = Status(501, "method not implemented");
  r.headers.emplace_back("Allow", kAllowedMethods);
  return r;
}

}  // namespace orvex::docstore
