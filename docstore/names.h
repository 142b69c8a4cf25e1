// Names the store holds and answers: the protocol's vocabulary and the
// store's own layout (publishing states, paths outside every workspace).
#ifndef ORVEX_DOCSTORE_NAMES_H_
#define ORVEX_DOCSTORE_NAMES_H_

#include "wire/names.h"

namespace orvex::docstore {

// The protocol's names (namespaces, content classes, local names) are the
// wire's own; this header adds the store's layout.
using namespace ::orvex::wire::names;

// Publishing states.
inline constexpr char kStateCreated[] = "created";
inline constexpr char kStateCheckedIn[] = "createdcheckedin";
inline constexpr char kStateCheckedOut[] = "createdcheckedout";
inline constexpr char kStateApproved[] = "approved";

// Paths outside every workspace.
inline constexpr char kWorkspaceListPath[] = "/Public/Workspaces";
inline constexpr char kWorkingCopiesPath[] = "/.working";
inline constexpr char kVersionsPath[] = "/.versions";

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_NAMES_H_
