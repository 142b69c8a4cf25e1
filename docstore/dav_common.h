// Helpers shared by the request handlers (dav_*.cc): resolving a target,
// access checks and small response builders.
#ifndef ORVEX_DOCSTORE_DAV_COMMON_H_
#define ORVEX_DOCSTORE_DAV_COMMON_H_

#include <optional>
#include <string>

#include "docstore/dav_handler.h"
#include "docstore/live_props.h"
#include "docstore/xml_reader.h"

namespace orvex::docstore {

// What a store path names: a stored resource (document, folder, working
// copy), or one version of a document.
struct Target {
  std::optional<Resource> res;
  std::optional<Resource> doc;  // a version's document
  std::optional<Version> version;

  bool Exists() const { return res.has_value() || version.has_value(); }
};

// The resource or version at `path`. With `inline_content`, a resource's
// content kept in the database comes with it, in the same statement (a GET
// then waits for the database once less); it stays empty for anything else.
Target Resolve(Store& store, const std::string& path,
               std::optional<std::string>* inline_content = nullptr);

// A 403 for a user without a role in the workspace, or nullopt.
std::optional<DavResponse> RefuseOutsider(const Access& access);

// An XML body <D:error><D:{condition}/></D:error> with `code`.
DavResponse Precondition(int code, const std::string& condition);

// A 207 response carrying a multistatus document.
DavResponse MultiStatus(std::string body);

// Parses a request body as XML; on failure fills `error` with a 400.
std::optional<XmlElement> ParseBody(const std::string& body, DavResponse& error);

// Is the document in an enhanced folder (does it run the publishing life
// cycle)?
bool HasLifeCycle(const Resource& doc);

// Reads the Destination header of COPY and MOVE into a store path.
std::optional<std::string> DestinationPath(const DavRequest& request);

// Items that exist by the store's layout and cannot be deleted, moved,
// renamed or replaced: the root, /Public and the workspace list, workspace
// roots, categories folders, schema folders and schema items.
bool IsFixedItem(const Access& access, const Resource& r);

// The working copy of a checked-out document, if any.
std::optional<Resource> WorkingCopyOf(Store& store, const Resource& doc);
// The path of a document's working copy.
std::string WorkingCopyPath(const Resource& doc);

// Is some document at or below `r` checked out by a user other than `user`?
bool HoldsOthersCheckout(Store& store, const Resource& r, const std::string& user);

// Checks a document out to `user`: its working copy starts as the document.
Resource CheckOutTo(Store& store, Resource& doc, const std::string& user);

// Ends the check-out of `doc` without checking in: its working copy goes. A
// document never checked in stays "created", held by nobody.
void UndoCheckOut(Store& store, Store::Txn& txn, Resource& doc);

// Creates an empty document `name` in the folder `parent`, of the folder's
// default profile.
Resource CreateDocument(Store& store, const Resource& parent, const std::string& name);
// Starts the life cycle of a new document: in an enhanced folder it is
// "created", checked out to its creator `user` (after its content is in
// place: the working copy starts as the document). False in other folders.
bool StartLifeCycle(Store& store, const Resource& parent, Resource& doc, const std::string& user);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_DAV_COMMON_H_
