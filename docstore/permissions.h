// Who may do what: the workspace a path belongs to, the requesting user's
// role there, and the rules of the publishing life cycle.
//
// Roles: none (the workspace is listed, but every request inside it is
// refused with 403), reader (reads), author (reads; creates, changes, moves
// and deletes folders, categories and documents; checks out, checks in and
// publishes), coordinator (an author who may also change the workspace root
// and the schema). Nobody writes to, checks in or deletes a document that
// someone else has checked out. Paths outside every workspace ("/",
// "/Public/Workspaces") are readable by every user and writable by none.
#ifndef ORVEX_DOCSTORE_PERMISSIONS_H_
#define ORVEX_DOCSTORE_PERMISSIONS_H_

#include <string>
#include <vector>

#include "docstore/store.h"

namespace orvex::docstore {

// Where a store path lies.
enum class Area {
  kOutside,     // "/", "/Public", the workspace list, unknown top-level names
  kWorkspace,   // the workspace root itself
  kDocuments,   // document folders and documents below the workspace root
  kCategories,  // the categories folder and below
  kSchema,      // the schema folder and below
};

struct Access {
  std::string workspace;  // "" for kOutside
  Workspace settings;     // the workspace's settings (when in one)
  Area area = Area::kOutside;
  Role role = Role::kNone;  // the requesting user's role in the workspace
  std::string user;         // the requesting user (stored spelling)

  bool CanRead() const { return area == Area::kOutside || role >= Role::kReader; }
  // May the user create, change or remove items here (not counting check-outs)?
  bool CanWrite() const;
};

// Works out the access of `user` to the store path `path`. Working copies
// and versions belong to the workspace of their document (`doc_path`).
Access AccessFor(Store& store, const std::string& path, const std::string& user);

// True when two user names are the same account (ASCII case ignored).
bool SameUser(const std::string& a, const std::string& b);

// Is the document checked out by somebody other than `user`?
bool CheckedOutByOther(const Resource& doc, const std::string& user);

// The operations a document currently allows the user, by name: "read",
// "edit", "move", "delete", "checkout", "checkin", "undocheckout",
// "publish". A document locked by another user allows what one checked out
// by another user does.
std::vector<std::string> OperationsAllowed(const Access& access, const Resource& doc,
                                           bool locked_by_other);

// Is the resource read-only for the user (DAV:isreadonly)?
bool IsReadOnlyFor(const Access& access, const Resource& r);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_PERMISSIONS_H_
