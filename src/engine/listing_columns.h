// The columns each of the engine's folder and workspace listings reads from
// its rows. A listing names them, so the provider asks the server for the
// properties behind these columns only instead of every property.
#ifndef ORVEX_ENGINE_LISTING_COLUMNS_H_
#define ORVEX_ENGINE_LISTING_COLUMNS_H_

#include "server/names.h"

namespace orvex::engine::listing_columns {

// GetDocFolderInfo: the document folders of a folder.
inline constexpr const char* kDocFolders[] = {server::kColContentClass, server::kColDisplayName,
                                              server::kColIsReadOnly, server::kPropHref};
// One level of the folder walk (GetFolderTree).
inline constexpr const char* kFolderTree[] = {server::kColContentClass, server::kColDisplayName,
                                              server::kPropHasSubs, server::kPropHref};
// GetCategoryInfo: the categories under a category path.
inline constexpr const char* kCategories[] = {server::kColParseName, server::kPropDescription,
                                              server::kColIsReadOnly, server::kPropHasChildren};
// One level of the category walk (GetCategoryTree).
inline constexpr const char* kCategoryTree[] = {server::kColDisplayName, server::kPropHasSubs};
// GetWorkspaceInfo: the server's workspaces.
inline constexpr const char* kWorkspaces[] = {server::kColParseName, server::kPropDescription,
                                              server::kColAbsoluteParseName,
                                              server::kPropDefaultContentClass};
// The workspace and folder dialogs: the workspaces' names.
inline constexpr const char* kWorkspaceNames[] = {server::kColParseName};

}  // namespace orvex::engine::listing_columns

#endif  // ORVEX_ENGINE_LISTING_COLUMNS_H_
