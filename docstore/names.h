// Names the store holds and answers: the protocol's vocabulary and the
// store's own layout (paths outside every workspace).
#ifndef ORVEX_DOCSTORE_NAMES_H_
#define ORVEX_DOCSTORE_NAMES_H_

#include "wire/names.h"

namespace orvex::docstore {

// The protocol's names (namespaces, content classes, local names, publishing
// states) are the wire's own; this header adds the store's layout.
using namespace ::orvex::wire::names;

// Paths outside every workspace.
inline constexpr char kWorkspaceListPath[] = "/Public/Workspaces";
inline constexpr char kWorkingCopiesPath[] = "/.working";
inline constexpr char kVersionsPath[] = "/.versions";

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_NAMES_H_
