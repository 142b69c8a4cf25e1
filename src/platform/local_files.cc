#include "platform/local_files.h"

namespace orvex::platform {

std::string LocalFilePath(std::string_view folder, std::string_view file) {
  std::string path(folder);
  if (!path.ends_with('/')) path += '/';
  path += file;
  return path;
}

}  // namespace orvex::platform
