// The provider's server items: one class serves all five kinds, offering
// each kind its own calls.
//
//   kind              Open SaveTo Delete MoveTo ListWorkspaces ListSubfolders
//   workspace root     x                        x
//   workspace folder   x    x      x      x                    x
//   document folder    x    x      x      x
//   category folder    x    x      x      x                    x
//   document           x           x      x
//
// Any other call throws server::Error(kErrNotSupported). Saving a document is
// not offered yet.
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
  // Folder kinds: MKCOL carrying the pending field values (the content class
  // among them); a server without extended MKCOL (415) gets a plain MKCOL and
  // a PROPPATCH. Binds to args.url.
  void SaveTo(const BindArgs& args) override;
  void Delete(const std::string& url) override;
  // MOVE with Overwrite: F; afterwards the item is bound to `url`.
  void MoveTo(const std::string& url) override;
  Recordset ListWorkspaces() override;
  Recordset ListSubfolders() override;

 private:
  const Target& Bound() const;
  void Bind(Target target);
  void WriteFields(const Fields::Changes& changes);
  void Proppatch(const Target& target, const Fields::Changes& changes);
  Recordset ListChildren();
  [[noreturn]] void NotSupported(const char* call) const;

  std::shared_ptr<Session> session_;
  std::optional<Target> bound_;
};

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_WEBDAV_ITEM_H_
