// OPTIONS, PROPFIND, GET, HEAD and REPORT.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>

#include "docstore/dav_common.h"
#include "docstore/dav_lock.h"
#include "docstore/names.h"
#include "docstore/url.h"
#include "docstore/xml_writer.h"

namespace orvex::docstore {
namespace {

// What a PROPFIND (or REPORT) asks for.
struct PropRequest {
  enum Mode { kAll, kNames, kSome } mode = kAll;
  std::vector<PropName> names;  // kSome: the requested names, in order
};

// Reads what a DAV:propfind (or DAV:version-tree) body asks for into `req`.
// A name asked for twice is answered once. The answer, when the body is
// refused: 400 without allprop, propname or prop; 413 when DAV:prop names
// more properties, longer names or more name bytes than the limits allow
// (each answer row echoes the names, so they bound its size).
std::optional<DavResponse> ReadPropRequest(const XmlElement& root, PropRequest& req) {
  for (const auto& child : root.children) {
    if (child.Is(kDav, "allprop")) {
      req.mode = PropRequest::kAll;
      return std::nullopt;
    }
    if (child.Is(kDav, "propname")) {
      req.mode = PropRequest::kNames;
      return std::nullopt;
    }
    if (!child.Is(kDav, "prop")) continue;
    req.mode = PropRequest::kSome;
    if (child.children.size() > kMaxNamedProperties)
      return Status(413, "too many properties named");
    std::set<PropName> seen;
    std::set<std::string_view> namespaces;
    size_t bytes = 0;
    for (const auto& p : child.children) {
      if (p.name.size() > kMaxNamedLocalName || p.ns.size() > kMaxNamedNamespace)
        return Status(413, "property name too long");
      if (!seen.insert({p.ns, p.name}).second) continue;
      bytes += p.name.size();
      if (namespaces.insert(p.ns).second) bytes += p.ns.size();
      if (bytes > kMaxNamedBytes) return Status(413, "property names too long together");
      req.names.push_back({p.ns, p.name});
    }
    return std::nullopt;
  }
  return Status(400, "DAV:propfind needs allprop, propname or prop");
}

// One <D:response> of an answer, written a property at a time so that a
// resource with large values goes out in pieces instead of being built
// whole. The properties asked for and found go in a 200 propstat, the ones
// missing in a 404 one by name.
class Row {
 public:
  Row(std::string href, std::vector<PropOut> props, const PropRequest& req)
      : href_(std::move(href)) {
    if (req.mode != PropRequest::kSome) {
      found_ = std::move(props);
      names_only_ = req.mode == PropRequest::kNames;
      return;
    }
    for (const auto& name : req.names) {
      auto hit = std::find_if(props.begin(), props.end(),
                              [&](const PropOut& p) { return p.name == name; });
      if (hit != props.end())
        found_.push_back(std::move(*hit));
      else
        missing_.push_back({name, {}});
    }
  }

  // Writes into `w` until the row is complete (true) or `w` holds `budget`
  // bytes (false: call again once they are taken).
  bool Write(MultistatusWriter& w, size_t budget) {
    if (stage_ == kStart) {
      std::vector<std::string> namespaces;
      for (const auto* list : {&found_, &missing_})
        for (const auto& p : *list) namespaces.push_back(p.name.ns);
      std::sort(namespaces.begin(), namespaces.end());
      namespaces.erase(std::unique(namespaces.begin(), namespaces.end()), namespaces.end());
      w.BeginResponse(href_, namespaces);
      stage_ = kFound;
      // A row asking for nothing found nothing missing still has a propstat.
      if (found_.empty() && missing_.empty()) {
        w.PropStat({}, StatusLine(200));
        stage_ = kEnd;
      }
    }
    if (stage_ == kFound) {
      if (!WriteList(w, budget, found_, 200, names_only_)) return false;
      stage_ = kMissing;
    }
    if (stage_ == kMissing && !WriteList(w, budget, missing_, 404, true)) return false;
    w.EndResponse();
    stage_ = kEnd;
    return true;
  }

 private:
  enum Stage { kStart, kFound, kMissing, kEnd };

  // Writes the rest of one propstat; false when the budget ran out first.
  bool WriteList(MultistatusWriter& w, size_t budget, std::vector<PropOut>& list, int status,
                 bool names_only) {
    if (list.empty()) return true;
    if (!open_) w.BeginPropStat();
    open_ = true;
    while (next_ < list.size()) {
      if (w.size() >= budget) return false;
      w.Prop(list[next_], names_only);
      list[next_] = {};  // written: its value is not held any longer
      ++next_;
    }
    w.EndPropStat(StatusLine(status));
    open_ = false;
    next_ = 0;
    return true;
  }

  std::string href_;
  std::vector<PropOut> found_;
  std::vector<PropOut> missing_;
  bool names_only_ = false;
  Stage stage_ = kStart;
  bool open_ = false;  // a propstat is started and not ended
  size_t next_ = 0;    // the next property of the current propstat
};

// Writes a whole response (a row that is not part of a long answer).
void WriteResponse(MultistatusWriter& w, std::string href, std::vector<PropOut> props,
                   const PropRequest& req) {
  Row(std::move(href), std::move(props), req).Write(w, SIZE_MAX);
}

PropFilter FilterOf(const PropRequest& req) {
  PropFilter filter;
  if (req.mode == PropRequest::kSome) {
    filter.all = false;
    filter.names = req.names;
  }
  return filter;
}

// The answer of a PROPFIND Depth 1 on a folder, written as the children are
// read, in pieces of about kListingPiece bytes, under one read transaction
// (one consistent snapshot of the folder however long the client takes).
struct Listing {
  static constexpr size_t kListingPiece = 64 * 1024;
  static constexpr int kBatch = 256;

  std::unique_ptr<Store::Txn> txn;
  MultistatusWriter writer;
  Resource folder;
  InheritedFromFolder inherited{folder, {}, {}};
  Access access;
  std::string host;
  std::string user;
  PropRequest req;
  PropFilter filter;
  int64_t after = 0;            // the last child written
  std::vector<Resource> batch;  // children read and not all written yet
  size_t next = 0;              // the next of them to write
  bool read_all = false;        // no children after `batch`
  std::optional<Row> row;       // the child being written
  size_t read_ahead = 0;        // batch[next, read_ahead) are read ahead
  size_t bytes = 0;             // written so far
  size_t rows = 0;              // rows written whole so far

  // How many rows to read ahead (Store::ReadAheadRow): about a piece's
  // worth by the rows so far, so an unread answer holds no more than that
  // beyond its piece, while small rows come a few dozen to a round trip.
  size_t Window() const {
    if (rows == 0) return 2;
    return std::clamp<size_t>(kListingPiece / std::max<size_t>(bytes / rows, 1), 1, 32);
  }

  // Appends the next piece to `out`; false once the document is complete.
  bool Next(Store& store, std::string& out) {
    // Below the root every child is a workspace with its own role; below a
    // workspace root, children lie in different areas (documents,
    // categories, schema). Deeper down they share the folder's access.
    bool own_access = folder.id == 1 || folder.content_class == kClassWorkspace;
    PropContext ctx{store, host, access, &inherited};
    const size_t started = out.size();
    // A piece ends as soon as it is full, even inside a row: with many
    // properties named or large values kept a row could be megabytes, and a
    // piece is what the server holds while a slow client takes the one
    // before. The rest of the row and of the batch waits for the next piece.
    while (out.size() + writer.size() < kListingPiece) {
      if (!row && next == batch.size()) {
        if (read_all) break;
        batch = store.ChildrenAfter(folder.id, after, kBatch);
        next = 0;
        read_ahead = 0;
        read_all = batch.size() < static_cast<size_t>(kBatch);
        if (batch.empty()) break;
      }
      if (!row) {
        for (size_t end = std::min(batch.size(), next + Window()); read_ahead < end; ++read_ahead)
          store.ReadAheadRow(batch[read_ahead], user, own_access);
        const Resource& child = batch[next++];
        after = child.id;
        if (own_access) {
          Access ca = AccessFor(store, child.path, user);
          PropContext cctx{store, host, ca, &inherited};
          row.emplace(HrefOf(child), ResourceProps(cctx, child, filter), req);
        } else {
          row.emplace(HrefOf(child), ResourceProps(ctx, child, filter), req);
        }
      }
      if (row->Write(writer, kListingPiece - std::min(kListingPiece, out.size()))) {
        row.reset();
        ++rows;
      }
    }
    if (row || next < batch.size() || !read_all) {
      out += writer.Take();
      bytes += out.size() - started;
      return true;
    }
    out += writer.Finish();
    txn->Commit();
    txn.reset();
    return false;
  }
};

// The answer of a version-tree REPORT, written from the versions read up
// front, in pieces of about Listing::kListingPiece bytes.
struct VersionTree {
  std::vector<Version> versions;
  size_t next = 0;
  MultistatusWriter writer;
  Resource doc;
  Access access;
  std::string host;
  PropRequest req;
  std::optional<Row> row;  // the version being written

  // Appends the next piece to `out`; false once the document is complete.
  bool Next(Store& store, std::string& out) {
    PropContext ctx{store, host, access};
    const size_t piece = Listing::kListingPiece;
    while ((row || next < versions.size()) && out.size() + writer.size() < piece) {
      if (!row) {
        const Version& v = versions[next++];
        row.emplace(VersionHref(doc, v), VersionProps(ctx, doc, v), req);
      }
      if (row->Write(writer, piece - std::min(piece, out.size()))) row.reset();
    }
    if (row || next < versions.size()) {
      out += writer.Take();
      return true;
    }
    out += writer.Finish();
    return false;
  }
};

}  // namespace

DavResponse DavHandler::Options(const DavRequest&) {
  DavResponse r = Status(200);
  r.headers.emplace_back("Allow", kAllowedMethods);
  r.headers.emplace_back("DAV", "1, 2, extended-mkcol, version-control, checkout-in-place");
  r.headers.emplace_back("MS-Author-Via", "DAV");
  return r;
}

DavResponse DavHandler::Propfind(const DavRequest& request) {
  // An outsider is refused first, whatever else is wrong with the request
  // (Precheck leaves that to this transaction when the body is here).
  auto txn = std::make_unique<Store::Txn>(store_, Store::Txn::kRead);
  store_.ReadAhead(request.path, request.user, Store::ReadFor::kProperties);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  std::string depth = request.Header("depth");
  if (depth != "0" && depth != "1") return Precondition(403, "propfind-finite-depth");
  PropRequest req;
  if (!request.body.empty()) {
    DavResponse error;
    auto root = ParseBody(request.body, error);
    if (!root) return error;
    if (!root->Is(kDav, "propfind")) return Status(400, "expected a DAV:propfind body");
    if (auto refused = ReadPropRequest(*root, req)) return *refused;
  }
  PropFilter filter = FilterOf(req);

  Target target = Resolve(store_, request.path);
  if (!target.Exists()) return Status(404, "not found");
  if (auto refused = CheckConditions(store_, request)) return *refused;
  MultistatusWriter w;
  PropContext ctx{store_, request.host, access};
  if (target.version) {
    WriteResponse(w, VersionHref(*target.doc, *target.version),
                  VersionProps(ctx, *target.doc, *target.version), req);
    return MultiStatus(w.Finish());
  }
  const Resource& res = *target.res;
  WriteResponse(w, HrefOf(res), ResourceProps(ctx, res, filter), req);
  if (depth == "1" && res.IsCollection() && request.path == kWorkspaceListPath) {
    // The workspace list: one response per workspace, at the workspace's
    // own path, whatever the user's role there.
    for (const auto& ws : store_.Workspaces()) {
      auto wr = store_.Find("/" + ws.name);
      if (!wr) continue;
      Access wa = AccessFor(store_, wr->path, request.user);
      PropContext wctx{store_, request.host, wa};
      WriteResponse(w, HrefOf(*wr), ResourceProps(wctx, *wr, filter), req);
    }
  } else if (depth == "1" && res.IsCollection()) {
    auto listing = std::make_shared<Listing>();
    listing->txn = std::move(txn);
    listing->writer = std::move(w);
    listing->folder = res;
    listing->access = access;
    listing->host = request.host;
    listing->user = request.user;
    listing->req = req;
    listing->filter = filter;
    DavResponse r = MultiStatus("");
    r.produce = [this, listing](std::string& out) { return listing->Next(store_, out); };
    return r;
  }
  txn->Commit();
  return MultiStatus(w.Finish());
}

DavResponse DavHandler::Get(const DavRequest& request, bool head) {
  Store::Txn txn(store_, Store::Txn::kRead);
  store_.ReadAhead(request.path, request.user,
                   head ? Store::ReadFor::kResource : Store::ReadFor::kContent);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  std::optional<std::string> inline_content;
  Target target = Resolve(store_, request.path, head ? nullptr : &inline_content);
  if (!target.Exists()) return Status(404, "not found");
  if (auto refused = CheckConditions(store_, request)) return *refused;
  DavResponse r;
  r.head = head;
  if (target.res && target.res->IsCollection()) {
    std::string listing;
    for (const auto& child : store_.Children(target.res->id))
      listing += child.name + (child.IsCollection() ? "/\n" : "\n");
    r.content_type = "text/plain; charset=utf-8";
    if (head) {
      r.file_length = static_cast<int64_t>(listing.size());
    } else {
      r.body = std::move(listing);
    }
    return r;
  }
  std::string blob = target.version ? target.version->blob : target.res->blob;
  int64_t length = target.version ? target.version->length : target.res->length;
  std::string type = target.version ? target.version->content_type : target.res->content_type;
  r.content_type = type.empty() ? "application/octet-stream" : type;
  r.file_length = length;
  if (target.res) r.headers.emplace_back("ETag", EtagOf(*target.res));
  if (!head && length > 0 && Store::IsInline(blob)) {
    // A version's content is read on its own; a resource's came with it.
    auto content = target.version ? store_.InlineContent(blob) : std::move(inline_content);
    if (!content) return Status(500, "content missing");
    r.body = std::move(*content);
  } else if (!head && length > 0) {
    // Opened inside the read transaction: the file stays readable through this
    // descriptor even if a later request replaces or deletes the document.
    r.file_fd = store_.OpenContent(blob);
    if (r.file_fd < 0) return Status(500, "content missing");
  }
  txn.Commit();
  return r;
}

DavResponse DavHandler::Report(const DavRequest& request) {
  DavResponse error;
  auto root = ParseBody(request.body, error);
  if (!root) return error;
  if (!root->Is(kDav, "version-tree")) return Precondition(403, "supported-report");
  // Without DAV:prop a version tree gives every property.
  PropRequest req;
  if (auto refused = ReadPropRequest(*root, req); refused && refused->status == 413)
    return *refused;

  Store::Txn txn(store_, Store::Txn::kRead);
  Access access = AccessFor(store_, request.path, request.user);
  if (auto refused = RefuseOutsider(access)) return *refused;
  Target target = Resolve(store_, request.path);
  if (!target.Exists()) return Status(404, "not found");
  if (!target.res || target.res->kind != Kind::kDocument)
    return Precondition(403, "supported-report");
  if (auto refused = CheckConditions(store_, request)) return *refused;
  // The versions are read now, under the transaction; their responses are
  // written in pieces as the client takes them, so a long history is never
  // held whole and the client reads while the rest is written.
  auto tree = std::make_shared<VersionTree>();
  tree->versions = store_.Versions(target.res->id);
  txn.Commit();
  tree->doc = *target.res;
  tree->access = access;
  tree->host = request.host;
  tree->req = req;
  DavResponse r = MultiStatus("");
  r.produce = [this, tree](std::string& out) { return tree->Next(store_, out); };
  return r;
}

}  // namespace orvex::docstore
