// PUT, DELETE, MKCOL, PROPPATCH, COPY and MOVE.
#include <set>

#include "docstore/dav_common.h"
#include "docstore/dav_lock.h"
#include "docstore/names.h"
#include "docstore/url.h"
#include "docstore/xml_writer.h"
#include "wire/xml_text.h"

namespace orvex::docstore {
namespace {

bool IsFolderClass(const std::string& c) {
  return c == kClassSmartFolder || c == kClassKnowledgeFolder;
}

bool StartsWithPath(const std::string& path, const std::string& prefix) {
  if (prefix == "/") return true;
  return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
         path[prefix.size()] == '/';
}

// One property change of a PROPPATCH or an extended MKCOL.
struct PropChange {
  PropName name;
  bool remove = false;
  PropValue value;
  // A DAV:resourcetype set to a plain collection, the only type an
  // extended MKCOL may ask for here.
  bool plain_collection = false;
};

bool IsPlainCollectionType(const XmlElement& e) {
  return e.Is(kDav, "resourcetype") && e.children.size() == 1 &&
         e.children[0].Is(kDav, "collection") && e.children[0].children.empty();
}

// Reads the value of a property element: typed by its dt attribute,
// multi-valued through its v children, an XML fragment when it holds
// elements, else its text.
PropValue ReadValue(const XmlElement& e) {
  PropValue v;
  if (auto* dt = e.Attr(kTypesNs, "dt")) v.type = *dt;
  if (v.IsMulti()) {
    for (const auto& child : e.children)
      if (child.Is(kValuesNs, "v")) v.values.push_back(child.Text());
    return v;
  }
  if (v.type.empty() && !e.children.empty()) {
    v.type = "#xml";
    v.text = e.InnerXml();
    return v;
  }
  v.text = e.Text();
  return v;
}

// Reads <D:set>/<D:remove> blocks (in document order) under `parent`.
// nullopt when a property lies in a namespace that cannot be declared (the
// xml prefix's or that of namespace declarations): such a property could
// never be written back.
std::optional<std::vector<PropChange>> ReadChanges(const XmlElement& parent) {
  std::vector<PropChange> changes;
  for (const auto& block : parent.children) {
    bool remove = block.Is(kDav, "remove");
    if (!remove && !block.Is(kDav, "set")) continue;
    for (const auto& prop : block.children) {
      if (!prop.Is(kDav, "prop")) continue;
      for (const auto& p : prop.children) {
        if (wire::IsReservedNamespace(p.ns)) return std::nullopt;
        PropChange c;
        c.name = {p.ns, p.name};
        c.remove = remove;
        if (!remove) c.value = ReadValue(p);
        c.plain_collection = !remove && IsPlainCollectionType(p);
        changes.push_back(std::move(c));
      }
    }
  }
  return changes;
}

bool IsBooleanText(const std::string& t) { return t == "0" || t == "1"; }

// Do the properties `kept` stay within the store's limits per resource once
// `changes` are applied (kMaxKeptProperties, kMaxKeptPropertyBytes)?
bool WithinPropertyLimits(PropMap kept, const std::vector<PropChange>& changes) {
  for (const auto& c : changes) {
    if (c.name == PropName{kDav, "contentclass"}) continue;  // not a kept property
    if (c.remove)
      kept.erase(c.name);
    else
      kept[c.name] = c.value;
  }
  if (kept.size() > kMaxKeptProperties) return false;
  size_t bytes = 0;
  for (const auto& [name, value] : kept) {
    bytes += name.ns.size() + name.local.size() + value.type.size() + value.text.size();
    for (const auto& v : value.values) bytes += v.size();
  }
  return bytes <= kMaxKeptPropertyBytes;
}

// The multistatus answer of a PROPPATCH (or a failed extended MKCOL):
// `failed` holds the names refused with their status; every other name
// fails with 424 when anything failed.
DavResponse ChangesAnswer(const std::string& href, const std::vector<PropChange>& changes,
                          const std::map<PropName, int>& failed) {
  MultistatusWriter w;
  w.BeginResponse(href);
  std::map<int, std::vector<PropOut>> by_status;
  for (const auto& c : changes) {
    int status = 200;
    if (auto it = failed.find(c.name); it != failed.end())
      status = it->second;
    else if (!failed.empty())
      status = 424;
    by_status[status].push_back({c.name, {}});
  }
  for (const auto& [status, props] : by_status) w.PropStat(props, StatusLine(status), true);
  w.EndResponse();
  return MultiStatus(w.Finish());
}

}  // namespace

// Checks that a change may be applied to `r`; returns 0 or a status.
static int CheckChange(Store& store, const Access& access, const Resource& r, const PropChange& c) {
  const PropName contentclass{kDav, "contentclass"};
  if (c.name == contentclass) {
    if (c.remove) return 403;
    const std::string& cls = c.value.text;
    if (r.kind == Kind::kDocument || r.kind == Kind::kWorkingCopy) {
      // A document's class is one of the workspace's profiles.
      auto def =
          store.Find(JoinPath("/" + access.workspace, access.settings.schema_folder) + "/" + cls);
      if (cls.empty() || cls.find('/') != std::string::npos || !def ||
          def->content_class != kClassContentClassDef)
        return 409;
      return 0;
    }
    if (access.area == Area::kDocuments && IsFolderClass(r.content_class) && IsFolderClass(cls))
      return 0;
    if (access.area == Area::kCategories && r.content_class == kClassCategoryFolder &&
        cls == kClassCategoryFolder)
      return 0;
    return 403;
  }
  if (IsLiveProperty(c.name)) return 403;
  if (!c.remove && (c.name == PropName{kDav, "ishidden"} ||
                    c.name == PropName{kPublishingNs, kIsHiddenInPortal})) {
    // A flag is a boolean whether or not the request says so; saying it is
    // something else is refused like a value that is not one.
    if (!c.value.type.empty() && c.value.type != "boolean") return 409;
    if (!IsBooleanText(c.value.text)) return 409;
  }
  // Clients find items by their display names as well: one that cannot be
  // a name ("", "..", "a/b") is refused.
  if (!c.remove && c.name == PropName{kDav, "displayname"} &&
      (!c.value.type.empty() || !IsValidSegment(c.value.text)))
    return 409;
  if (c.name.local.empty()) return 400;
  return 0;
}

static void ApplyChange(Store& store, Resource& r, const PropChange& c) {
  if (c.name == PropName{kDav, "contentclass"}) {
    r.content_class = c.value.text;
    return;
  }
  if (c.remove) {
    store.RemoveProp(r.id, c.name);
    return;
  }
  PropValue v = c.value;
  if (c.name == PropName{kDav, "ishidden"} || c.name == PropName{kPublishingNs, kIsHiddenInPortal})
    v.type = "boolean";
  store.SetProp(r.id, c.name, v);
}

std::optional<DavResponse> DavHandler::CheckPutTarget(Store::Txn&, const DavRequest& request,
                                                      Target& target) {
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return refused;
  // The content type is kept and answered in listings.
  if (!wire::IsXmlText(request.Header("content-type"))) return Status(400, "bad Content-Type");
  target = Resolve(store_, request.path);
  if (target.version) return Status(405, "versions cannot be changed");
  if (target.res) {
    const Resource& r = *target.res;
    if (r.IsCollection()) return Status(405, "a collection has no content");
    // Preconditions are weighed after permission: a user who may not write
    // here is refused as such, whether or not the document exists.
    if (!access.CanWrite()) return Status(403, "not allowed to write here");
    if (request.Header("if-none-match") == "*")
      return Status(412, "the document exists (If-None-Match: *)");
    if (r.kind == Kind::kWorkingCopy) {
      // A working copy is its check-out holder's: the locks on its document
      // guard the document's own URL.
      auto doc = store_.FindById(r.doc);
      if (!doc || CheckedOutByOther(*doc, request.user))
        return Status(423, "checked out by another user");
      return CheckConditions(store_, request);
    }
    if (CheckedOutByOther(r, request.user)) return Status(423, "checked out by another user");
    return CheckConditions(store_, request, {{r.path}, {}});
  }
  if (access.area != Area::kDocuments) return Status(403, "documents live in document folders");
  auto parent = store_.Find(ParentPath(request.path));
  if (!parent || !parent->IsCollection()) return Status(409, "the parent folder does not exist");
  if (!access.CanWrite()) return Status(403, "not allowed to write here");
  if (!IsValidSegment(LastSegment(request.path))) return Status(400, "bad document name");
  return CheckConditions(store_, request, {{parent->path}, {}});
}

std::optional<DavResponse> DavHandler::Precheck(const DavRequest& request, bool body_to_come) {
  // These refuse an outsider first themselves, in their own transaction
  // with their other first look-ups (Store::ReadAhead): with no body to
  // wait for, a check before them would only cost the database a round
  // trip more.
  if (!body_to_come && (request.method == "GET" || request.method == "HEAD" ||
                        request.method == "PROPFIND" || request.method == "PUT"))
    return std::nullopt;
  std::optional<DavResponse> refused;
  if (BodyFor(request.method) == BodyKind::kFile && body_to_come) {
    Store::Txn txn(store_, Store::Txn::kRead);
    Target target;
    refused = CheckPutTarget(txn, request, target);
    txn.Commit();
  } else {
    // The role it reads is kept for the request (Store::RequestScope).
    Store::Txn txn(store_, Store::Txn::kLookUp);
    refused = RefuseOutsider(AccessFor(store_, request.path, request.user));
    txn.Commit();
  }
  return refused;
}

DavResponse DavHandler::Put(DavRequest& request) {
  // A large body is on disk: flush it and rename it into the store before
  // the transaction starts, so other writers never wait for a large flush.
  // If the request is refused or anything below fails, the orphaned file
  // goes. A small body goes into the database with the transaction.
  std::string blob;
  if (!request.body_file.empty()) blob = store_.CommitContent(request.body_file);
  struct Orphan {
    Store& store;
    std::string blob;
    bool keep = false;
    ~Orphan() {
      if (!keep && !blob.empty()) store.RemoveContent(blob);
    }
  } orphan{store_, blob};
  Store::Txn txn(store_);
  // The checks' look-ups and a small body's row go to the database in one
  // round trip; a refusal rolls the row back with the transaction.
  store_.ReadAhead(request.path, request.user, Store::ReadFor::kChange);
  if (request.body_file.empty() && !request.body.empty())
    blob = store_.AddInlineContent(request.body);
  Target target;
  if (auto refused = CheckPutTarget(txn, request, target)) return *refused;
  store_.DropReadAhead();
  if (!request.body_file.empty() && !store_.ClaimContent(blob))
    return Status(503, "the upload waited so long that its content was collected");
  std::string content_type = request.Header("content-type");
  if (content_type.empty()) content_type = "application/octet-stream";
  auto write_content = [&](Resource& r) {
    txn.ReleaseBlobLater(r.blob);
    r.blob = blob;
    r.length = request.body_length;
    r.content_type = content_type;
    store_.Update(r);
  };

  int status = 204;
  if (target.res && target.res->kind == Kind::kWorkingCopy) {
    write_content(*target.res);
  } else if (target.res) {
    Resource doc = *target.res;
    if (HasLifeCycle(doc)) {
      // Writes to a document of an enhanced folder go to its working copy;
      // a document nobody holds is checked out to the writer first.
      std::optional<Resource> wc = WorkingCopyOf(store_, doc);
      if (doc.checked_out_by.empty() || !wc) wc = CheckOutTo(store_, doc, request.user);
      write_content(*wc);
    } else {
      write_content(doc);
    }
  } else {
    auto parent = *store_.Find(ParentPath(request.path));
    Resource doc = CreateDocument(store_, parent, LastSegment(request.path));
    write_content(doc);
    StartLifeCycle(store_, parent, doc, request.user);
    status = 201;
  }
  txn.Commit();
  orphan.keep = true;
  DavResponse r = Status(status);
  return r;
}

DavResponse DavHandler::Delete(const DavRequest& request) {
  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  Target target = Resolve(store_, request.path);
  if (!target.Exists()) return Status(404, "not found");
  if (target.version) return Status(403, "versions cannot be deleted");
  const Resource& r = *target.res;
  if (r.kind == Kind::kWorkingCopy) return Status(403, "use UNCHECKOUT to drop a working copy");
  if (IsFixedItem(access, r)) return Status(403, "this item cannot be deleted");
  if (!access.CanWrite()) return Status(403, "not allowed to delete here");
  if (HoldsOthersCheckout(store_, r, request.user))
    return Status(423, "checked out by another user");
  if (auto refused = CheckConditions(store_, request, {{ParentPath(r.path)}, {r.path}}))
    return *refused;
  store_.DeleteTree(txn, r);
  LockStore(store_).RemoveAtOrBelow(r.path);
  txn.Commit();
  return Status(204);
}

DavResponse DavHandler::Mkcol(const DavRequest& request) {
  std::vector<PropChange> changes;
  if (!request.body.empty()) {
    std::string type = request.Header("content-type");
    auto semi = type.find(';');
    if (semi != std::string::npos) type.resize(semi);
    while (!type.empty() && type.back() == ' ') type.pop_back();
    if (type != "application/xml" && type != "text/xml")
      return Status(415, "MKCOL takes an extended-MKCOL XML body only");
    DavResponse error;
    auto root = ParseBody(request.body, error);
    if (!root) return error;
    if (!root->Is(kDav, "mkcol")) return Status(415, "expected a DAV:mkcol body");
    auto read = ReadChanges(*root);
    if (!read) return Status(400, "properties in a reserved namespace cannot be stored");
    // Asking for a collection is what MKCOL does anyway: that resource
    // type is no property to keep. Any other type is refused below.
    std::erase_if(*read, [](const PropChange& c) { return c.plain_collection; });
    changes = std::move(*read);
  }

  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  if (Resolve(store_, request.path).Exists()) return Status(405, "something exists there");
  if (access.area != Area::kDocuments && access.area != Area::kCategories)
    return Status(403, "folders live in workspaces and category trees");
  auto parent = store_.Find(ParentPath(request.path));
  if (!parent || !parent->IsCollection()) return Status(409, "the parent does not exist");
  if (!access.CanWrite()) return Status(403, "not allowed to create folders here");
  if (!IsValidSegment(LastSegment(request.path))) return Status(400, "bad folder name");
  if (access.area == Area::kCategories && parent->content_class != kClassCategoryFolder)
    return Status(409, "the parent is not a category");
  if (auto refused = CheckConditions(store_, request, {{parent->path}, {}})) return *refused;

  Resource r;
  r.path = request.path;
  r.kind = Kind::kCollection;
  r.content_class = access.area == Area::kCategories ? kClassCategoryFolder : kClassKnowledgeFolder;
  std::map<PropName, int> failed;
  for (const auto& c : changes)
    if (c.remove)
      failed[c.name] = 403;
    else if (int status = CheckChange(store_, access, r, c); status != 0)
      failed[c.name] = status == 409 ? 403 : status;
  if (!failed.empty()) {
    DavResponse answer = ChangesAnswer(EncodeHref(request.path, true), changes, failed);
    answer.status = 403;
    return answer;
  }
  if (!WithinPropertyLimits({}, changes))
    return Status(413, "the folder would keep more properties than the store takes");
  for (const auto& c : changes)
    if (c.name == PropName{kDav, "contentclass"}) r.content_class = c.value.text;
  Resource created =
      store_.Create(*parent, LastSegment(request.path), Kind::kCollection, r.content_class);
  for (const auto& c : changes)
    if (c.name != PropName{kDav, "contentclass"}) ApplyChange(store_, created, c);
  txn.Commit();
  DavResponse answer = Status(201);
  return answer;
}

DavResponse DavHandler::Proppatch(const DavRequest& request) {
  DavResponse error;
  auto root = ParseBody(request.body, error);
  if (!root) return error;
  if (!root->Is(kDav, "propertyupdate")) return Status(400, "expected a DAV:propertyupdate body");
  auto read = ReadChanges(*root);
  if (!read) return Status(400, "properties in a reserved namespace cannot be stored");
  std::vector<PropChange> changes = std::move(*read);

  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  Target target = Resolve(store_, request.path);
  if (!target.Exists()) return Status(404, "not found");
  if (target.version) return Status(403, "versions cannot be changed");
  Resource r = *target.res;
  if (!access.CanWrite()) return Status(403, "not allowed to change this item");
  if (r.kind == Kind::kWorkingCopy) {
    auto doc = store_.FindById(r.doc);
    if (!doc || CheckedOutByOther(*doc, request.user))
      return Status(423, "checked out by another user");
  } else if (CheckedOutByOther(r, request.user)) {
    return Status(423, "checked out by another user");
  }
  LockScope scope;
  if (r.kind != Kind::kWorkingCopy) scope.paths.push_back(r.path);
  if (auto refused = CheckConditions(store_, request, scope)) return *refused;

  std::map<PropName, int> failed;
  for (const auto& c : changes)
    if (int status = CheckChange(store_, access, r, c); status != 0) failed[c.name] = status;
  std::string href = HrefOf(r);
  if (failed.empty() && r.kind == Kind::kDocument && HasLifeCycle(r) && !changes.empty()) {
    // Changes to a document of an enhanced folder go to its working copy.
    std::optional<Resource> wc = WorkingCopyOf(store_, r);
    if (r.checked_out_by.empty() || !wc) wc = CheckOutTo(store_, r, request.user);
    r = *wc;
  }
  if (failed.empty() && !WithinPropertyLimits(store_.Props(r.id), changes))
    return Status(413, "the item would keep more properties than the store takes");
  if (failed.empty()) {
    for (const auto& c : changes) ApplyChange(store_, r, c);
    store_.Update(r);
    txn.Commit();
  }
  return ChangesAnswer(href, changes, failed);
}

DavResponse DavHandler::CopyMove(const DavRequest& request, bool move) {
  auto dest = DestinationPath(request);
  if (!dest) return Status(400, "missing or bad Destination header");
  std::string overwrite = request.Header("overwrite");
  if (!overwrite.empty() && overwrite != "T" && overwrite != "F")
    return Status(400, "Overwrite must be T or F");
  bool may_overwrite = overwrite != "F";
  std::string depth = request.Header("depth");
  if (!depth.empty() && depth != "0" && depth != "infinity" && depth != "Infinity")
    return Status(400, "Depth must be 0 or infinity");
  if (move && depth == "0") return Status(400, "MOVE of a collection is always deep");

  Store::Txn txn(store_);
  Access src_access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(src_access)) return *refused;
  Access dst_access = AccessFor(store_, *dest, request.user);
  if (auto refused = RefuseOutsider(dst_access)) return *refused;
  Target source = Resolve(store_, request.path);
  if (!source.Exists()) return Status(404, "not found");
  if (!source.res || source.res->kind == Kind::kWorkingCopy)
    return Status(403, "versions and working copies cannot be copied or moved");
  const Resource src = *source.res;
  if (*dest == src.path || StartsWithPath(*dest, src.path) || StartsWithPath(src.path, *dest))
    return Status(403, "source and destination overlap");
  if (move && (IsFixedItem(src_access, src) || !src_access.CanWrite()))
    return Status(403, "not allowed to move this item");
  if (!dst_access.CanWrite()) return Status(403, "not allowed to write at the destination");
  bool same_kind = (src_access.area == Area::kDocuments && dst_access.area == Area::kDocuments) ||
                   (src_access.area == Area::kCategories && dst_access.area == Area::kCategories);
  if (!same_kind) return Status(403, "items stay in their kind of tree");
  if (!IsValidSegment(LastSegment(*dest))) return Status(400, "bad destination name");
  auto parent = store_.Find(ParentPath(*dest));
  if (!parent || !parent->IsCollection()) return Status(409, "the destination's parent is missing");
  if (move && HoldsOthersCheckout(store_, src, request.user))
    return Status(423, "checked out by another user");

  int status = 201;
  Target existing = Resolve(store_, *dest);
  if (existing.Exists()) {
    if (!may_overwrite) return Status(412, "the destination exists (Overwrite: F)");
    if (!existing.res || existing.res->kind == Kind::kWorkingCopy ||
        IsFixedItem(dst_access, *existing.res))
      return Status(403, "the destination cannot be replaced");
    if (HoldsOthersCheckout(store_, *existing.res, request.user))
      return Status(423, "the destination is checked out by another user");
  }
  // The destination's folder gains a member, a replaced destination goes
  // whole; a move takes the source from its folder with everything below it.
  LockScope scope{{parent->path}, {}};
  if (existing.Exists()) scope.trees.push_back(*dest);
  if (move) {
    scope.paths.push_back(ParentPath(src.path));
    scope.trees.push_back(src.path);
  }
  if (auto refused = CheckConditions(store_, request, scope)) return *refused;
  if (existing.Exists()) {
    // A replaced destination is deleted, and its locks with it.
    store_.DeleteTree(txn, *existing.res);
    LockStore(store_).RemoveAtOrBelow(*dest);
    status = 204;
    parent = store_.Find(ParentPath(*dest));
  }

  std::string name = LastSegment(*dest);
  Resource placed;
  if (move) {
    // Locks stay with the URLs they were taken on: the moved resources
    // leave theirs behind, and those go.
    store_.MoveTree(src, *parent, name);
    LockStore(store_).RemoveAtOrBelow(src.path);
    placed = *store_.FindById(src.id);
  } else {
    placed = store_.CopyTree(src, *parent, name, depth != "0");
  }
  if (placed.kind == Kind::kDocument) {
    // A document takes the life cycle of the folder it lands in.
    bool enhanced = parent->content_class == kClassSmartFolder;
    if (!enhanced && HasLifeCycle(placed)) {
      if (auto wc = WorkingCopyOf(store_, placed)) store_.DeleteTree(txn, *wc);
      placed.state.clear();
      placed.checked_out_by.clear();
      store_.Update(placed);
    } else if (enhanced && !HasLifeCycle(placed)) {
      placed.state = kStateCheckedIn;
      store_.Update(placed);
    }
  }
  txn.Commit();
  return Status(status);
}

}  // namespace orvex::docstore
