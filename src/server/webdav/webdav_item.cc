#include "server/webdav/webdav_item.h"

#include <utility>

#include "server/error.h"
#include "server/names.h"
#include "server/webdav/request_body.h"
#include "server/webdav/resource_row.h"
#include "server/webdav/status.h"

namespace orvex::server::webdav {
namespace {

constexpr char kXmlContentType[] = "Content-Type: application/xml; charset=\"utf-8\"";

bool IsFolderKind(ItemKind kind) {
  return kind == ItemKind::kWorkspaceFolder || kind == ItemKind::kDocumentFolder ||
         kind == ItemKind::kCategoryFolder;
}

bool Succeeded(int status) { return status == 0 || (status >= 200 && status < 300); }

// The decoded path a target names, without trailing slashes, for comparing
// with the hrefs of a listing.
std::string ComparablePath(const Target& target) {
  std::string path = target.encode_path ? target.url.path : PercentDecode(target.url.path);
  return std::string(TrimTrailingSlashes(path));
}

}  // namespace

WebDavItem::WebDavItem(ItemKind kind, std::shared_ptr<Session> session)
    : Item(kind), session_(std::move(session)) {}

void WebDavItem::NotSupported(const char* call) const {
  throw Error(kErrNotSupported, std::string(call) + " is not offered by a " + ItemKindName(kind()));
}

const Target& WebDavItem::Bound() const {
  if (!bound_) throw Error(kErrGenericFailure, "the item is not open");
  return *bound_;
}

void WebDavItem::Bind(Target target) {
  bound_ = std::move(target);
  fields_.set_writer([this](const Fields::Changes& changes) { WriteFields(changes); });
}

void WebDavItem::Open(const BindArgs& args) {
  // Whatever the item was bound to before, a failed open leaves it closed.
  bound_.reset();
  fields_.set_writer(nullptr);
  Target target = session_->Resolve(args);
  std::vector<ResourceResponse> responses = session_->Propfind(target, 0);
  const ResourceResponse* self = nullptr;
  for (const ResourceResponse& r : responses) {
    if (Succeeded(r.status)) {
      self = &r;
      break;
    }
  }
  if (self == nullptr) {
    int status = responses.empty() ? 0 : responses.front().status;
    throw Error(ErrorForStatus(status, "PROPFIND"), "PROPFIND reported nothing for " + args.url);
  }
  fields_ = Fields(ResourceRow(*self, target.url));
  Bind(std::move(target));
}

void WebDavItem::SaveTo(const BindArgs& args) {
  if (!IsFolderKind(kind())) NotSupported("SaveTo");
  Target target = session_->Resolve(args);
  Fields::Changes changes = ServerChanges(fields_.pending());

  HttpResponse response = session_->Send(target, "MKCOL", {kXmlContentType}, MkcolBody(changes));
  if (response.status == 415) {
    // No extended MKCOL here: create the bare collection, then set the
    // values. A collection whose values could not be set is removed again,
    // so no folder without its content class is left behind.
    RequireSuccess(session_->Send(target, "MKCOL", {}, std::nullopt), "MKCOL");
    try {
      Proppatch(target, changes);
    } catch (const Error&) {
      try {
        session_->Send(target, "DELETE", {}, std::nullopt);
      } catch (const Error&) {
        // The original failure is the one to report.
      }
      throw;
    }
  } else {
    RequireSuccess(response, "MKCOL");
    if (response.status == 207) RequireAllPropertiesSet(ReadMultistatus(response), "MKCOL");
  }
  fields_.ClearPending();
  Bind(std::move(target));
}

void WebDavItem::Delete(const std::string& url) {
  if (kind() == ItemKind::kWorkspaceRoot) NotSupported("Delete");
  Target target = Bound();
  if (!url.empty()) {
    BindArgs args;
    args.url = url;
    Target named = session_->Resolve(args);
    target.url = named.url;
  }
  HttpResponse response = session_->Send(target, "DELETE", {}, std::nullopt);
  RequireSuccess(response, "DELETE");
  // 207: some members could not be deleted.
  if (response.status == 207) RequireAllPropertiesSet(ReadMultistatus(response), "DELETE");
  bound_.reset();
  fields_.set_writer(nullptr);
}

void WebDavItem::MoveTo(const std::string& url) {
  if (kind() == ItemKind::kWorkspaceRoot) NotSupported("MoveTo");
  const Target& source = Bound();
  BindArgs args;
  args.url = url;
  Target destination = source;
  destination.url = session_->Resolve(args).url;
  HttpResponse response = session_->Send(
      source, "MOVE",
      {"Destination: " + WireUrl(destination.url, destination.encode_path), "Overwrite: F"},
      std::nullopt);
  RequireSuccess(response, "MOVE");
  if (response.status == 207) RequireAllPropertiesSet(ReadMultistatus(response), "MOVE");
  Bind(std::move(destination));
}

Recordset WebDavItem::ListWorkspaces() {
  if (kind() != ItemKind::kWorkspaceRoot) NotSupported("ListWorkspaces");
  return ListChildren();
}

Recordset WebDavItem::ListSubfolders() {
  if (kind() != ItemKind::kWorkspaceFolder && kind() != ItemKind::kCategoryFolder)
    NotSupported("ListSubfolders");
  return ListChildren();
}

Recordset WebDavItem::ListChildren() {
  const Target& target = Bound();
  std::vector<ResourceResponse> responses = session_->Propfind(target, 1);
  std::string self = ComparablePath(target);
  std::vector<Fields> rows;
  rows.reserve(responses.size());
  for (const ResourceResponse& r : responses) {
    if (!Succeeded(r.status)) continue;
    if (TrimTrailingSlashes(PercentDecode(HrefPath(r.href))) == self) continue;
    rows.emplace_back(ResourceRow(r, target.url));
  }
  return Recordset(std::move(rows));
}

void WebDavItem::WriteFields(const Fields::Changes& changes) {
  Proppatch(Bound(), ServerChanges(changes));
}

void WebDavItem::Proppatch(const Target& target, const Fields::Changes& changes) {
  if (changes.empty()) return;
  HttpResponse response =
      session_->Send(target, "PROPPATCH", {kXmlContentType}, PropertyUpdateBody(changes));
  RequireSuccess(response, "PROPPATCH");
  if (response.status == 207) RequireAllPropertiesSet(ReadMultistatus(response), "PROPPATCH");
}

}  // namespace orvex::server::webdav
