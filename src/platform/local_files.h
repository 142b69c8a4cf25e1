// Paths of local files the library reads.
#ifndef ORVEX_PLATFORM_LOCAL_FILES_H_
#define ORVEX_PLATFORM_LOCAL_FILES_H_

#include <string>
#include <string_view>

namespace orvex::platform {

// The path of file `file` in local folder `folder`: the two joined by "/",
// with no second "/" when `folder` already ends in one. Nothing else is
// changed: an empty folder gives "/" + file, a relative folder stays
// relative to the current directory.
std::string LocalFilePath(std::string_view folder, std::string_view file);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_LOCAL_FILES_H_
