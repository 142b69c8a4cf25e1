// Item URLs: every item an operation opens, creates, moves or deletes is
// addressed by an absolute URL built here from the connection state. Names
// go in unchanged; the provider encodes them on the wire.
#include "engine/server_class1.h"

namespace orvex::engine {

std::string ServerClass1::CreateURL(int16_t Kind, const std::string& Path) const {
  if (CurrentWorkspace.empty() || HostName.empty()) return {};
  std::string base;
  switch (Kind) {
    case kUrlWorkspaceItem:
      base = "http://" + HostName + "/" + CurrentWorkspace;
      break;
    case kUrlSchema:
      base = SysFolder;
      break;
    case kUrlCategory:
      base = "http://" + HostName + "/" + CurrentWorkspace + "/" + RootCategory;
      break;
    default:
      return {};
  }
  return Path.empty() ? base : base + "/" + Path;
}

std::string ServerClass1::PreCreateURL(int16_t Kind, const std::string& Folder,
                                       const std::string& File) const {
  if (File.empty()) return {};
  if (Folder.empty()) return CreateURL(Kind, File);
  return CreateURL(Kind, Folder + "/" + File);
}

}  // namespace orvex::engine
