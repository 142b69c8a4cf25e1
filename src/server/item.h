// Server item objects: the workspace root, workspace folders, document
// folders, documents and category folders.
//
// An item is created unbound, then bound to a URL through its data source
// (Open) or written to one (SaveTo). Calls a kind does not offer throw
// server::Error(kErrNotSupported); every server failure throws server::Error
// with the platform error number of the failure.
#ifndef ORVEX_SERVER_ITEM_H_
#define ORVEX_SERVER_ITEM_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "server/fields.h"
#include "server/schema.h"
#include "server/stream.h"

namespace orvex::server {

class Connection;

enum class ItemKind {
  kWorkspaceRoot,
  kWorkspaceFolder,
  kDocumentFolder,
  kDocument,
  kCategoryFolder
};

const char* ItemKindName(ItemKind kind);

// Create options of the data source.
inline constexpr int32_t kCreateFailIfNotExists = -1;
// Save-to of a document: replace an item that is already there (the plain
// create option 0 fails then).
inline constexpr int32_t kCreateOverwrite = 0x4000000;

// Open mode that only inspects an item and shares it with every other user.
inline constexpr int32_t kModeShareDenyNone = 16;

// The arguments of a data source's open and save-to calls.
struct BindArgs {
  std::string url;
  const Connection* active_connection = nullptr;  // null: no active connection
  int32_t mode = 0;
  int32_t create_option = kCreateFailIfNotExists;
  int32_t options = 0;
  std::string user;
  std::string password;
};

class Item {
 public:
  explicit Item(ItemKind kind) : kind_(kind) {}
  virtual ~Item() = default;
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  ItemKind kind() const { return kind_; }

  // Data source: binds the object to an existing item and reads its
  // properties.
  virtual void Open(const BindArgs& args) = 0;
  // Data source: creates the item at args.url with the content class and the
  // field values set so far, and binds the object to it.
  virtual void SaveTo(const BindArgs& args) = 0;

  // The item's properties; Update() on them writes changes back.
  Fields& GetFields() { return fields_; }
  const Fields& GetFields() const { return fields_; }

  // The content class ("urn:content-classes:..."), read from "DAV:contentclass".
  std::string ContentClass() const;
  // Sets the content class an item will be created with.
  void SetContentClass(const std::string& content_class);

  // Deletes the bound item; `url` names it (the bound URL when empty).
  virtual void Delete(const std::string& url) = 0;
  // Moves the bound item to `url`, failing when something is there already.
  virtual void MoveTo(const std::string& url) = 0;

  // Document: binds the object to the document (or working copy) at `url`
  // through the document's own open, with the provider's credentials for
  // the host; `options` is the open option value the caller passes.
  virtual void OpenDocument(const std::string& url, int32_t options);
  // Data source: writes the field values changed since the last write to
  // the bound item; nothing is sent when none changed.
  virtual void Save();
  // Document: the content stream a save-to sends.
  virtual Stream& ContentStream();

  // The columns a caller reads from a listing's rows, by the names field
  // look-ups use (resource columns, DAV:href, full property names spelled
  // as the protocol spells them). A backend may fetch only what these
  // columns need: each row then holds at least these, every one with the
  // value a full read gives it, and none a full read lacks. Empty: every
  // property.
  using Columns = std::span<const char* const>;

  // Workspace root: one row per workspace.
  virtual Recordset ListWorkspaces(Columns columns) = 0;
  // Workspace or category folder: one row per direct child.
  virtual Recordset ListSubfolders(Columns columns) = 0;
  // Open(args) followed by ListSubfolders(columns), or by ListItems(), for
  // an operation that opens a folder only to list it. A backend may answer
  // both from one listing of the folder, which reports the folder itself
  // beside its children; the outcome (rows, errors) is the same as the two
  // calls'. The item is bound as Open binds it, but with columns named its
  // own fields, like the rows, are only sure to hold those: an operation
  // that reads others opens the item again.
  virtual Recordset OpenAndListSubfolders(const BindArgs& args, Columns columns) {
    Open(args);
    return ListSubfolders(columns);
  }
  virtual Recordset OpenAndListItems(const BindArgs& args) {
    Open(args);
    return ListItems();
  }

  // The calls below throw server::Error(kErrNotSupported) unless a backend
  // offers them for the item's kind.

  // Document folder (also when bound to the workspace itself): one row per
  // document directly in it, in the server's order, each with every property
  // of the document. Subfolders are not listed.
  virtual Recordset ListItems();

  // Document profiles, as lists of profile ids. A document folder answers the
  // profiles it offers; a workspace folder answers the workspace's own list of
  // profiles, whichever of the workspace's folders it is bound to. Empty when
  // there are none; server::Error(kErrGenericFailure) when the server's value
  // is not a list.
  virtual std::vector<std::string> DocumentProfiles();
  // Document folder: the id of its default profile; "" when it has none.
  virtual std::string DefaultDocumentProfile();

  // Workspace folder: look-ups in the schema of the workspace the object is
  // bound in (bound to the workspace, one of its folders, or its schema
  // location). Throw the server's error, kErrObjectNotFound for an unknown id.
  virtual std::unique_ptr<SchemaDefinition> ContentClassDefinition(const std::string& id);
  virtual std::unique_ptr<SchemaDefinition> DictionaryObject(const std::string& id);

 protected:
  [[noreturn]] void ThrowNotSupported(const char* call) const;

  Fields fields_;
  std::unique_ptr<Stream> stream_;

 private:
  ItemKind kind_;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_ITEM_H_
