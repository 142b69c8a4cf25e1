#include "server/webdav/webdav_item.h"

#include <utility>

#include "server/error.h"
#include "server/names.h"
#include "server/stream.h"
#include "server/webdav/dialect.h"
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

// The answers servers give an extended MKCOL they do not take: a malformed
// or forbidden body, a method refused with a body, an unsupported media
// type, an unimplemented extension.
bool RefusesExtendedMkcol(long status) {
  return status == 400 || status == 403 || status == 405 || status == 415 || status == 501;
}

// A decoded path in the one spelling a listing compares by: runs of '/'
// read as one and trailing slashes are dropped, so "/Sales//Reports/" and
// "/Sales/Reports" name the same folder, as they do on the server.
std::string CanonicalPath(std::string_view decoded) {
  std::string out;
  out.reserve(decoded.size());
  for (char c : decoded)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  return std::string(TrimTrailingSlashes(out));
}

// The path a target names, for comparing with the hrefs of a listing. With
// URL encoding on, the engine's path is sent encoded, so it is already what
// the server decodes; otherwise it went out as given and is decoded here.
std::string ComparablePath(const Target& target) {
  return CanonicalPath(target.encode_path ? target.url.path : PercentDecode(target.url.path));
}

bool Plain(const Target& target) { return target.dialect == Dialect::kWebDav; }

// A listing's body: the properties behind `columns`, or everything.
std::string ListingBodyFor(const Target& target, Item::Columns columns) {
  return columns.empty() ? EverythingBody(target.dialect) : ListingBody(columns);
}

// Where a target of a plain server lies relative to its workspace's
// categories folder, which only the provider answers.
CategoryPlace CategoryPlaceOf(const Target& target) {
  if (!Plain(target)) return CategoryPlace::kOutside;
  return webdav::CategoryPlaceOf(target.encode_path ? target.url.path
                                                    : PercentDecode(target.url.path));
}

[[noreturn]] void NoCategories(const Target& target) {
  throw Error(kErrPermissionDenied,
              "this server keeps no categories: " + WireUrl(target.url, false) + " not made");
}

// The first 2xx response of a Depth 0 answer; throws the mapped error of the
// first response when none succeeded.
const ResourceResponse& SelfResponse(const std::vector<ResourceResponse>& responses,
                                     const std::string& url) {
  for (const ResourceResponse& r : responses)
    if (Succeeded(r.status)) return r;
  int status = responses.empty() ? 0 : responses.front().status;
  throw Error(ErrorForStatus(status, "PROPFIND"), "PROPFIND reported nothing for " + url);
}

// Every property a schema object of any kind is read for (docs/protocol.md,
// "Schema"): a server whose allprop leaves dead properties out still
// answers them when named.
const std::vector<std::string>& SchemaObjectProperties() {
  static const std::vector<std::string> names = {kPropDisplayName,
                                                 kPropContentClass,
                                                 kPropDescription,
                                                 kPropPropertyOrder,
                                                 kPropIsRequired,
                                                 kPropExtendedType,
                                                 kPropIsMultivalued,
                                                 kPropDictionary,
                                                 kPropIsRetrieved,
                                                 kPropIsReadOnly,
                                                 kPropDictionaryValues,
                                                 kPropIsRestricted,
                                                 "urn:schemas-microsoft-com:exch-data:type"};
  return names;
}

// Reads the schema object `id` in the schema folder `folder`: PROPFIND
// Depth 0 on the folder's URL with the id appended as one segment, naming
// the schema's properties.
Fields ReadSchemaObject(Session& session, const Target& folder, const std::string& id) {
  // An id is one path segment; one that cannot be names nothing.
  if (id.empty() || id.find('/') != std::string::npos)
    throw Error(kErrObjectNotFound, "not a schema id: " + id);
  Target target = folder;
  target.collection = false;
  std::string base(TrimTrailingSlashes(target.url.path));
  target.url.path = base + "/" + (target.encode_path ? id : PercentEncodePath(id));
  std::vector<ResourceResponse> responses =
      session.SendForMultistatus(target, "PROPFIND", 0, PropBody(SchemaObjectProperties()));
  return ResourceRow(SelfResponse(responses, id), target.url);
}

class WebDavSchemaDefinition : public SchemaDefinition {
 public:
  WebDavSchemaDefinition(SchemaKind kind, std::string id, Fields fields,
                         std::shared_ptr<Session> session, Target folder)
      : SchemaDefinition(kind, std::move(id), std::move(fields)),
        session_(std::move(session)),
        folder_(std::move(folder)) {}

  std::unique_ptr<SchemaDefinition> PropertyDefinition(const std::string& id) override {
    if (kind() != SchemaKind::kContentClass)
      throw Error(kErrNotSupported, "only a content class definition lists properties");
    return std::make_unique<WebDavSchemaDefinition>(
        SchemaKind::kProperty, id, ReadSchemaObject(*session_, folder_, id), session_, folder_);
  }

 private:
  std::shared_ptr<Session> session_;
  Target folder_;
};

}  // namespace

Fields WebDavItem::Row(ResourceResponse response, const Target& target, bool workspace) {
  Fields row = ResourceRow(std::move(response), target.url);
  if (Plain(target)) DressPlainRow(row, workspace);
  return row;
}

void WebDavItem::NotSupported(const char* call) const {
  throw Error(kErrNotSupported, std::string(call) + " is not offered by a " + ItemKindName(kind()));
}

WebDavItem::WebDavItem(ItemKind kind, std::shared_ptr<Session> session)
    : Item(kind), session_(std::move(session)) {}

Target WebDavItem::Resolve(const BindArgs& args) const {
  Target target = session_->Resolve(args);
  target.collection = kind() != ItemKind::kDocument;
  return target;
}

const Target& WebDavItem::Bound() const {
  if (!bound_) throw Error(kErrGenericFailure, "the item is not open");
  return *bound_;
}

void WebDavItem::Bind(Target target) {
  bound_ = std::move(target);
  workspace_.reset();
  fields_.set_writer([this](const Fields::Changes& changes) { WriteFields(changes); });
}

void WebDavItem::Open(const BindArgs& args) {
  // Whatever the item was bound to before, a failed open leaves it closed.
  bound_.reset();
  workspace_.reset();
  fields_.set_writer(nullptr);
  OpenTarget(Resolve(args), args.url, args.active_connection);
}

void WebDavItem::OpenDocument(const std::string& url, int32_t /*options*/) {
  if (kind() != ItemKind::kDocument) NotSupported("OpenDocument");
  bound_.reset();
  workspace_.reset();
  fields_.set_writer(nullptr);
  BindArgs args;
  args.url = url;
  OpenTarget(Resolve(args), url, nullptr);
}

void WebDavItem::OpenTarget(Target target, const std::string& url, const Connection* active) {
  switch (CategoryPlaceOf(target)) {
    case CategoryPlace::kFolder:
      fields_ = EmptyCategoriesFolder(target.url);
      return Bind(std::move(target));
    case CategoryPlace::kBelow:
      throw Error(kErrObjectNotFound, "this server keeps no categories: " + url);
    case CategoryPlace::kOutside:
      break;
  }
  std::optional<std::vector<ResourceResponse>> reused = session_->TakeOpenAnswer(active, target);
  std::vector<ResourceResponse> responses =
      reused ? std::move(*reused) : session_->Propfind(target, 0);
  fields_ = Row(SelfResponse(responses, url), target);
  Bind(std::move(target));
}

void WebDavItem::SaveTo(const BindArgs& args) {
  if (kind() == ItemKind::kDocument) return SaveDocument(args);
  if (!IsFolderKind(kind())) NotSupported("SaveTo");
  Target target = Resolve(args);
  if (CategoryPlaceOf(target) != CategoryPlace::kOutside) NoCategories(target);
  Fields::Changes changes = ServerChanges(fields_.pending());

  // A plain server's folders are all standard: their class is not sent
  // (Proppatch), and an extended MKCOL would be refused anyway.
  std::optional<HttpResponse> extended;
  if (!Plain(target))
    extended = session_->Send(target, "MKCOL", {kXmlContentType}, MkcolBody(changes));
  if (!extended || RefusesExtendedMkcol(extended->status)) {
    // No extended MKCOL here (or not with these values): create the bare
    // collection, then set the values. A collection whose values could not
    // be set is removed again, so no folder without its content class is
    // left behind. A refusal of the place itself (an existing folder, no
    // right to write) refuses the plain MKCOL the same way.
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
    RequireSuccess(*extended, "MKCOL");
    if (extended->status == 207) RequireAllPropertiesSet(ReadMultistatus(*extended), "MKCOL");
  }
  fields_.ClearPending();
  Bind(std::move(target));
}

void WebDavItem::SaveDocument(const BindArgs& args) {
  Target target = Resolve(args);
  const Stream& content = ContentStream();
  const bool create_only = args.create_option != kCreateOverwrite;
  // Some plain servers ignore If-None-Match: a document there is looked
  // for first, so it is never replaced unasked.
  if (create_only && Plain(target)) {
    HttpResponse found = session_->Send(target, "PROPFIND", {"Depth: 0", kXmlContentType},
                                        PropBody({kPropResourceType}));
    if (found.status == 207)
      throw Error(kErrAlreadyExists, "a document exists at " + WireUrl(target.url, false));
    if (found.status != 404) RequireSuccess(found, "PROPFIND");
  }
  std::vector<std::string> headers = {"Content-Type: application/octet-stream"};
  if (create_only) headers.emplace_back("If-None-Match: *");
  HttpResponse response =
      session_->SendFile(target, "PUT", std::move(headers), FileBody{content.fd(), content.size()});
  RequireSuccess(response, "PUT");
  Bind(target);
  Fields::Changes changes = ServerChanges(fields_.pending());
  fields_.ClearPending();
  try {
    Proppatch(target, changes);
  } catch (const Error&) {
    // On a plain server the content and the values are one write: a
    // document this PUT created whose values could not be set is removed
    // again, so a failed upload leaves no new document behind (a server
    // without properties, nginx, refuses every PROPPATCH). A replaced
    // document keeps its new content: the old one is gone either way. The
    // portal's writes stay as they were sent, as they always have.
    if (response.status == 201 && Plain(target)) {
      try {
        session_->Send(target, "DELETE", {}, std::nullopt);
      } catch (const Error&) {
        // The original failure is the one to report.
      }
    }
    throw;
  }
}

void WebDavItem::Save() {
  Bound();
  fields_.Update();
}

void WebDavItem::Delete(const std::string& url) {
  if (kind() == ItemKind::kWorkspaceRoot) NotSupported("Delete");
  Target target = Bound();
  if (!url.empty()) {
    BindArgs args;
    args.url = url;
    Target named = Resolve(args);
    target.url = named.url;
  }
  if (CategoryPlaceOf(target) != CategoryPlace::kOutside) NoCategories(target);
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
  destination.url = Resolve(args).url;
  HttpResponse response = session_->Send(
      source, "MOVE",
      {"Destination: " + WireUrl(SentUrl(destination), destination.encode_path), "Overwrite: F"},
      std::nullopt);
  RequireSuccess(response, "MOVE");
  if (response.status == 207) RequireAllPropertiesSet(ReadMultistatus(response), "MOVE");
  Bind(std::move(destination));
}

Recordset WebDavItem::ListWorkspaces(Columns columns) {
  if (kind() != ItemKind::kWorkspaceRoot) NotSupported("ListWorkspaces");
  const Target& target = Bound();
  if (!Plain(target)) return ListChildren(false, columns);
  // On a plain server the workspaces are the collections listed here.
  std::vector<Fields> rows;
  for (ResourceResponse& r :
       session_->SendForMultistatus(target, "PROPFIND", 1, ListingBodyFor(target, columns))) {
    if (!Succeeded(r.status) || !r.is_collection) continue;
    if (CanonicalPath(PercentDecode(HrefPath(r.href))) == ComparablePath(target)) continue;
    rows.emplace_back(Row(std::move(r), target, /*workspace=*/true));
  }
  return Recordset(std::move(rows));
}

Recordset WebDavItem::ListSubfolders(Columns columns) {
  if (kind() != ItemKind::kWorkspaceFolder && kind() != ItemKind::kCategoryFolder)
    NotSupported("ListSubfolders");
  return ListChildren(false, columns);
}

Recordset WebDavItem::ListItems() {
  if (kind() != ItemKind::kDocumentFolder) NotSupported("ListItems");
  return ListChildren(true, {});
}

Recordset WebDavItem::ListChildren(bool documents_only, Columns columns) {
  const Target& target = Bound();
  if (CategoryPlaceOf(target) != CategoryPlace::kOutside) return Recordset();
  return RowsOf(
      session_->SendForMultistatus(target, "PROPFIND", 1, ListingBodyFor(target, columns)), target,
      documents_only);
}

Recordset WebDavItem::OpenAndListSubfolders(const BindArgs& args, Columns columns) {
  if (kind() != ItemKind::kWorkspaceFolder && kind() != ItemKind::kCategoryFolder)
    return Item::OpenAndListSubfolders(args, columns);
  return OpenAndList(args, false, columns);
}

Recordset WebDavItem::OpenAndListItems(const BindArgs& args) {
  if (kind() != ItemKind::kDocumentFolder) return Item::OpenAndListItems(args);
  return OpenAndList(args, true, {});
}

Recordset WebDavItem::OpenAndList(const BindArgs& args, bool documents_only, Columns columns) {
  bound_.reset();
  fields_.set_writer(nullptr);
  Target target = Resolve(args);
  if (CategoryPlaceOf(target) != CategoryPlace::kOutside) {
    Open(args);
    return Recordset();
  }
  std::vector<ResourceResponse> responses =
      session_->SendForMultistatus(target, "PROPFIND", 1, ListingBodyFor(target, columns));
  const std::string self_path = ComparablePath(target);
  const ResourceResponse* self = nullptr;
  for (const ResourceResponse& r : responses) {
    if (CanonicalPath(PercentDecode(HrefPath(r.href))) != self_path) continue;
    self = &r;
    break;
  }
  // Without a usable answer for the folder itself the listing cannot stand
  // in for the open: ask the two questions one by one.
  if (self == nullptr || !Succeeded(self->status)) {
    Open(args);
    return ListChildren(documents_only, columns);
  }
  fields_ = Row(*self, target);
  Bind(target);
  return RowsOf(std::move(responses), target, documents_only);
}

Recordset WebDavItem::RowsOf(std::vector<ResourceResponse> responses, const Target& target,
                             bool documents_only) const {
  std::string self = ComparablePath(target);
  std::vector<Fields> rows;
  rows.reserve(responses.size());
  for (ResourceResponse& r : responses) {
    if (!Succeeded(r.status)) continue;
    if (CanonicalPath(PercentDecode(HrefPath(r.href))) == self) continue;
    // Each response is read once: its row takes its properties over.
    Fields row = Row(std::move(r), target);
    if (documents_only && FlagValue(row.Value(kColIsCollection))) continue;
    rows.emplace_back(std::move(row));
  }
  return Recordset(std::move(rows));
}

const WebDavItem::Workspace& WebDavItem::WorkspaceOf() {
  const Target& target = Bound();
  if (workspace_) return *workspace_;
  if (Plain(target)) {
    workspace_ = Workspace{VariantArray{Variant(kBuiltInProfile)}, std::string()};
    return *workspace_;
  }
  if (fields_.Contains(kPropSchemaCollectionRef)) {
    workspace_ = Workspace{fields_.Value(kPropDocumentProfiles),
                           fields_.Value(kPropSchemaCollectionRef).ToString()};
    return *workspace_;
  }
  // Bound below the workspace: ask the workspace itself.
  std::string path = CanonicalPath(target.url.path);
  size_t end = path.find('/', 1);
  Target workspace = target;
  workspace.url.path = path.substr(0, end);
  if (workspace.url.path.empty())
    throw Error(kErrObjectNotFound, "no workspace above " + WireUrl(target.url, false));
  std::vector<ResourceResponse> responses = session_->SendForMultistatus(
      workspace, "PROPFIND", 0, PropBody({kPropDocumentProfiles, kPropSchemaCollectionRef}));
  Fields f(ResourceRow(SelfResponse(responses, workspace.url.path), workspace.url));
  const Variant& location = f.Value(kPropSchemaCollectionRef);
  workspace_ = Workspace{f.Value(kPropDocumentProfiles),
                         location.IsNull() ? std::string() : location.ToString()};
  return *workspace_;
}

std::vector<std::string> WebDavItem::DocumentProfiles() {
  if (kind() == ItemKind::kDocumentFolder) {
    Bound();
    return StringList(fields_.Value(kPropDocumentProfiles), kPropDocumentProfiles);
  }
  if (kind() != ItemKind::kWorkspaceFolder) NotSupported("DocumentProfiles");
  return StringList(WorkspaceOf().profiles, kPropDocumentProfiles);
}

std::string WebDavItem::DefaultDocumentProfile() {
  if (kind() != ItemKind::kDocumentFolder) NotSupported("DefaultDocumentProfile");
  Bound();
  const Variant& v = fields_.Value(kPropDefaultDocumentProfile);
  if (v.IsArray()) throw Error(kErrGenericFailure, "the default profile is a list");
  return v.IsNull() ? std::string() : v.ToString();
}

std::unique_ptr<SchemaDefinition> WebDavItem::ContentClassDefinition(const std::string& id) {
  return LookUp(SchemaKind::kContentClass, id);
}

std::unique_ptr<SchemaDefinition> WebDavItem::DictionaryObject(const std::string& id) {
  return LookUp(SchemaKind::kDictionary, id);
}

std::unique_ptr<SchemaDefinition> WebDavItem::LookUp(SchemaKind kind, const std::string& id) {
  if (this->kind() != ItemKind::kWorkspaceFolder) NotSupported("schema look-ups");
  if (Plain(Bound())) return BuiltInSchemaObject(kind, id);
  const Workspace& workspace = WorkspaceOf();
  std::optional<Url> location = ParseUrl(workspace.schema_location);
  if (!location) throw Error(kErrObjectNotFound, "the workspace names no schema location");
  Target folder = Bound();
  folder.url = *location;
  // The location is held unescaped; a target that sends paths as given
  // needs it in its wire form again.
  if (!folder.encode_path) folder.url.path = PercentEncodePath(folder.url.path);
  Fields fields(ReadSchemaObject(*session_, folder, id));
  return std::make_unique<WebDavSchemaDefinition>(kind, id, std::move(fields), session_,
                                                  std::move(folder));
}

void WebDavItem::WriteFields(const Fields::Changes& changes) {
  Proppatch(Bound(), ServerChanges(changes));
}

void WebDavItem::Proppatch(const Target& target, Fields::Changes changes) {
  if (Plain(target)) PlainChanges(changes);
  if (changes.empty()) return;
  HttpResponse response =
      session_->Send(target, "PROPPATCH", {kXmlContentType}, PropertyUpdateBody(changes));
  RequireSuccess(response, "PROPPATCH");
  if (response.status == 207)
    return RequireAllPropertiesSet(ReadMultistatus(response), "PROPPATCH");
  if (!response.body.empty()) return;
  // A success without a report of each property: read them back, since
  // some servers answer so while keeping only part of what was sent.
  std::vector<std::string> names;
  names.reserve(changes.size());
  for (const auto& [name, value] : changes) names.push_back(name);
  std::vector<ResourceResponse> responses =
      session_->SendForMultistatus(target, "PROPFIND", 0, PropBody(names));
  const ResourceResponse& self = SelfResponse(responses, WireUrl(target.url, false));
  // Some servers keep no empty value: an empty text that reads back absent
  // reads as empty all the same.
  for (const auto& [name, value] : changes)
    if (self.properties.Contains(name) == value.IsNull() &&
        !(value.type() == VariantType::kString && value.ToString().empty()))
      throw Error(kErrGenericFailure, "PROPPATCH answered " + std::to_string(response.status) +
                                          " but the server did not " +
                                          (value.IsNull() ? "remove " : "keep ") + name);
}

}  // namespace orvex::server::webdav
