// The provider's server items: one class serves all five kinds, offering
// each kind its own calls.
//
//   kind              Open SaveTo Save Delete MoveTo ListWorkspaces ListSubfolders
//   workspace root     x                             x
//   workspace folder   x    x     x     x      x                    x
//   document folder    x    x     x     x      x
//   category folder    x    x     x     x      x                    x
//   document           x    x     x     x      x
//
// A document folder also lists its documents (ListItems) and answers its
// offered and default profiles; a workspace folder answers the workspace's
// list of profiles and looks up schema objects. Any other call throws
// server::Error(kErrNotSupported). Documents also offer OpenDocument and their
// content stream.
//
// The workspace an item is in is the first segment of its path (protocol:
// "/<workspace>/..."). A workspace folder bound to the workspace itself reads
// the workspace's profile list and schema location from its own properties;
// bound anywhere else in the workspace it asks the workspace for them once,
// the first time they are needed after the open.
#ifndef ORVEX_SERVER_WEBDAV_WEBDAV_ITEM_H_
#define ORVEX_SERVER_WEBDAV_WEBDAV_ITEM_H_

#include <memory>
#include <optional>
#include <string>

#include "server/item.h"
#include "server/webdav/session.h"

namespace orvex::server::webdav {

class WebDavItem : public Item {
 public:
  WebDavItem(ItemKind kind, std::shared_ptr<Session> session);

  // PROPFIND Depth 0: binds to args.url and reads every property. A missing
  // item fails with kErrObjectNotFound whatever the create option, since
  // there is nothing to open.
  void Open(const BindArgs& args) override;
  // One PROPFIND Depth 1 (OpenAndList): the folder's own response binds the
  // item as Open would, the others are the rows. With columns named, the
  // PROPFIND names the properties they are read from (ListingBody) instead
  // of asking for all of them.
  Recordset OpenAndListSubfolders(const BindArgs& args, Columns columns) override;
  Recordset OpenAndListItems(const BindArgs& args) override;
  // Folder kinds: MKCOL carrying the pending field values (the content class
  // among them); a server without extended MKCOL (415) gets a plain MKCOL and
  // a PROPPATCH. Binds to args.url.
  // Documents: PUT of the content stream, streamed from its file with
  // Content-Length ("If-None-Match: *" unless the create option is
  // kCreateOverwrite), then one PROPPATCH of the pending field values (the
  // content class among them). Binds to args.url once the PUT succeeded.
  void SaveTo(const BindArgs& args) override;
  // PROPFIND Depth 0 like Open, with the provider's credentials for the host.
  void OpenDocument(const std::string& url, int32_t options) override;
  // PROPPATCH of the values changed since the last write, if any.
  void Save() override;
  void Delete(const std::string& url) override;
  // MOVE with Overwrite: F; afterwards the item is bound to `url`.
  void MoveTo(const std::string& url) override;
  Recordset ListWorkspaces(Columns columns) override;
  Recordset ListSubfolders(Columns columns) override;
  Recordset ListItems() override;
  std::vector<std::string> DocumentProfiles() override;
  std::string DefaultDocumentProfile() override;
  std::unique_ptr<SchemaDefinition> ContentClassDefinition(const std::string& id) override;
  std::unique_ptr<SchemaDefinition> DictionaryObject(const std::string& id) override;

 private:
  // What a workspace folder needs of its workspace.
  struct Workspace {
    Variant profiles;
    std::string schema_location;
  };
  // The session's target for `args`, a collection for every kind but
  // documents.
  Target Resolve(const BindArgs& args) const;
  const Target& Bound() const;
  void Bind(Target target);
  void OpenTarget(Target target, const std::string& url, const Connection* active);
  void SaveDocument(const BindArgs& args);
  void WriteFields(const Fields::Changes& changes);
  void Proppatch(const Target& target, Fields::Changes changes);
  // The row of `response`, which answered for `target`; on a plain server
  // dressed for the engine (dialect.h), as a workspace when `workspace`.
  static Fields Row(ResourceResponse response, const Target& target, bool workspace = false);
  // The listing of the bound folder without its own response; `documents`
  // keeps only non-collections, otherwise every child is kept.
  Recordset ListChildren(bool documents_only, Columns columns);
  Recordset RowsOf(std::vector<ResourceResponse> responses, const Target& target,
                   bool documents_only) const;
  // Open(args) and ListChildren(documents_only, columns) from one Depth 1
  // answer; when that answer holds no 2xx response for the folder itself,
  // the open and the listing are sent one by one.
  Recordset OpenAndList(const BindArgs& args, bool documents_only, Columns columns);
  const Workspace& WorkspaceOf();
  std::unique_ptr<SchemaDefinition> LookUp(SchemaKind kind, const std::string& id);
  [[noreturn]] void NotSupported(const char* call) const;

  std::shared_ptr<Session> session_;
  std::optional<Target> bound_;
  std::optional<Workspace> workspace_;  // read once per binding
};

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_WEBDAV_ITEM_H_
