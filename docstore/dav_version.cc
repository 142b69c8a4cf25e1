// CHECKOUT, CHECKIN, UNCHECKOUT and PUBLISH: the publishing life cycle of
// documents in enhanced folders.
#include "docstore/dav_common.h"
#include "docstore/dav_lock.h"
#include "docstore/names.h"
#include "docstore/url.h"
#include "wire/xml_text.h"

namespace orvex::docstore {
namespace {

std::string VersionLabel(const Resource& doc) {
  return std::to_string(doc.vmajor) + "." + std::to_string(doc.vminor);
}

// The document a life-cycle request names: the document itself, or the
// document of a working copy. Fills `error` when there is none.
std::optional<Resource> LifeCycleDocument(Store& store, const DavRequest& request,
                                          const Access& access, DavResponse& error) {
  if (auto refused = RefuseOutsider(access)) {
    error = *refused;
    return std::nullopt;
  }
  Target target = Resolve(store, request.path);
  if (!target.Exists()) {
    error = Status(404, "not found");
    return std::nullopt;
  }
  std::optional<Resource> doc = target.res;
  if (doc && doc->kind == Kind::kWorkingCopy) doc = store.FindById(doc->doc);
  if (!doc || doc->kind != Kind::kDocument) {
    error = Status(405, "only documents have a publishing life cycle");
    return std::nullopt;
  }
  if (!HasLifeCycle(*doc)) {
    error = Status(405, "documents of standard folders have no publishing life cycle");
    return std::nullopt;
  }
  if (access.role < Role::kAuthor) {
    error = Status(403, "readers cannot change documents");
    return std::nullopt;
  }
  // The life cycle changes the document: its locks need their tokens.
  if (auto refused = CheckConditions(store, request, {{doc->path}, {}})) {
    error = *refused;
    return std::nullopt;
  }
  return doc;
}

// The check-in comment: <D:checkin><D:comment>..</D:comment></D:checkin>
// in the body, or a percent-encoded Comment header.
std::optional<std::string> CheckinComment(const DavRequest& request, DavResponse& error) {
  if (!request.body.empty()) {
    auto root = ParseBody(request.body, error);
    if (!root) return std::nullopt;
    if (!root->Is(kDav, "checkin")) {
      error = Status(400, "expected a DAV:checkin body");
      return std::nullopt;
    }
    if (auto* comment = root->Child(kDav, "comment")) return comment->Text();
    return std::string();
  }
  auto decoded = PercentDecode(request.Header("comment"));
  if (!decoded || !wire::IsXmlText(*decoded)) {
    error = Status(400, "bad Comment header");
    return std::nullopt;
  }
  return decoded;
}

}  // namespace

DavResponse DavHandler::Checkout(const DavRequest& request) {
  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  DavResponse error;
  auto doc = LifeCycleDocument(store_, request, access, error);
  if (!doc) return error;
  if (CheckedOutByOther(*doc, request.user)) return Status(423, "checked out by another user");
  if (!doc->checked_out_by.empty()) return Status(409, "already checked out");
  Resource wc = CheckOutTo(store_, *doc, request.user);
  txn.Commit();
  DavResponse r = Status(200);
  r.headers.emplace_back("Location", AbsoluteUrl(request.host, wc.path));
  r.headers.emplace_back("Cache-Control", "no-cache");
  return r;
}

DavResponse DavHandler::Checkin(const DavRequest& request) {
  DavResponse error;
  auto comment = CheckinComment(request, error);
  if (!comment) return error;

  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  auto doc = LifeCycleDocument(store_, request, access, error);
  if (!doc) return error;
  if (CheckedOutByOther(*doc, request.user)) return Status(423, "checked out by another user");
  auto wc = WorkingCopyOf(store_, *doc);
  if (doc->checked_out_by.empty() || !wc) return Status(409, "not checked out");

  // The working copy becomes the document, and the document's new state is
  // recorded as a version.
  txn.ReleaseBlobLater(doc->blob);
  doc->blob = wc->blob;
  doc->length = wc->length;
  doc->content_type = wc->content_type;
  doc->content_class = wc->content_class;
  doc->vminor += 1;
  doc->state = kStateCheckedIn;
  doc->checked_out_by.clear();
  store_.ReplaceProps(doc->id, store_.Props(wc->id));
  store_.Update(*doc);
  store_.DeleteTree(txn, *wc);

  Version v;
  v.doc = doc->id;
  v.seq = store_.NextVersionSeq(doc->id);
  v.label = VersionLabel(*doc);
  v.comment = *comment;
  v.created = Store::Now();
  v.user = request.user;
  v.blob = doc->blob;
  v.length = doc->length;
  v.content_type = doc->content_type;
  v.props = store_.Props(doc->id);
  store_.AddVersion(v);
  txn.Commit();

  DavResponse r = Status(201);
  r.headers.emplace_back("Location", AbsoluteUrl(request.host, std::string(kVersionsPath) + "/" +
                                                                   std::to_string(doc->id) + "/" +
                                                                   std::to_string(v.seq)));
  return r;
}

DavResponse DavHandler::Uncheckout(const DavRequest& request) {
  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  DavResponse error;
  auto doc = LifeCycleDocument(store_, request, access, error);
  if (!doc) return error;
  if (CheckedOutByOther(*doc, request.user)) return Status(423, "checked out by another user");
  auto wc = WorkingCopyOf(store_, *doc);
  if (doc->checked_out_by.empty() || !wc) return Status(409, "not checked out");
  UndoCheckOut(store_, txn, *doc);
  txn.Commit();
  return Status(200);
}

DavResponse DavHandler::Publish(const DavRequest& request) {
  Store::Txn txn(store_);
  Access access = AccessFor(store_, request.path, request.user);
  DavResponse error;
  auto doc = LifeCycleDocument(store_, request, access, error);
  if (!doc) return error;
  if (doc->state == kStateApproved) return Status(200);
  if (doc->state != kStateCheckedIn) return Status(409, "only a checked-in document is published");
  auto latest = store_.LatestVersion(doc->id);
  if (!latest) return Status(409, "never checked in");
  doc->vmajor += 1;
  doc->vminor = 0;
  doc->state = kStateApproved;
  store_.SetVersionLabel(latest->id, VersionLabel(*doc));
  store_.Update(*doc);
  txn.Commit();
  return Status(200);
}

}  // namespace orvex::docstore
