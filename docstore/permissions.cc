#include "docstore/permissions.h"

#include <strings.h>

#include "docstore/names.h"
#include "docstore/url.h"

namespace orvex::docstore {

bool SameUser(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool CheckedOutByOther(const Resource& doc, const std::string& user) {
  return !doc.checked_out_by.empty() && !SameUser(doc.checked_out_by, user);
}

bool Access::CanWrite() const {
  switch (area) {
    case Area::kOutside:
    case Area::kWorkspace:
    case Area::kSchema:
      return role >= Role::kCoordinator;
    case Area::kDocuments:
    case Area::kCategories:
      return role >= Role::kAuthor;
  }
  return false;
}

Access AccessFor(Store& store, const std::string& path, const std::string& user) {
  Access access;
  access.user = user;
  auto parts = SplitPath(path);
  if (parts.empty()) return access;
  std::string where = path;
  // Working copies (/.working/<doc>) and versions (/.versions/<doc>/<n>)
  // take the place of their document.
  if ((parts[0] == ".working" || parts[0] == ".versions") && parts.size() >= 2) {
    char* end = nullptr;
    long long id = std::strtoll(parts[1].c_str(), &end, 10);
    auto doc = (end && *end == '\0') ? store.FindById(id) : std::nullopt;
    if (!doc || doc->kind != Kind::kDocument) return access;
    where = doc->path;
    parts = SplitPath(where);
  }
  auto found = store.FindWorkspace(parts[0], user);
  if (!found) return access;
  const Workspace* ws = &found->workspace;
  access.workspace = ws->name;
  access.settings = *ws;
  access.role = found->role;
  if (parts.size() == 1)
    access.area = Area::kWorkspace;
  else if (parts[1] == ws->categories_folder)
    access.area = Area::kCategories;
  else if (parts[1] == ws->schema_folder)
    access.area = Area::kSchema;
  else
    access.area = Area::kDocuments;
  return access;
}

std::vector<std::string> OperationsAllowed(const Access& access, const Resource& doc,
                                           bool locked_by_other) {
  std::vector<std::string> ops;
  if (access.role < Role::kReader) return ops;
  ops.push_back("read");
  if (access.role < Role::kAuthor || access.area != Area::kDocuments || locked_by_other) return ops;
  bool other = CheckedOutByOther(doc, access.user);
  if (doc.state.empty()) {
    // A document of a standard folder: no publishing life cycle.
    ops.insert(ops.end(), {"edit", "move", "delete"});
    return ops;
  }
  if (other) return ops;
  bool mine = !doc.checked_out_by.empty();
  ops.push_back("edit");
  ops.push_back("move");
  ops.push_back("delete");
  if (mine) {
    ops.push_back("checkin");
    ops.push_back("undocheckout");
  } else {
    ops.push_back("checkout");
    if (doc.state == kStateCheckedIn) ops.push_back("publish");
  }
  return ops;
}

bool IsReadOnlyFor(const Access& access, const Resource& r) {
  if (r.kind == Kind::kDocument && CheckedOutByOther(r, access.user)) return true;
  if (r.kind == Kind::kWorkingCopy) return !access.CanWrite();
  return !access.CanWrite();
}

}  // namespace orvex::docstore
