// Lists the workspaces of a document server and the folders of each.
//
//   consumer HOST ADDR:PORT USER DOMAIN PASSWORD
#include <cstdio>
#include <string>

#include <qzorvex/qzorvex.h>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: consumer HOST ADDR:PORT USER DOMAIN PASSWORD\n");
    return 2;
  }
  qzorvex::MapHost(argv[1], argv[2]);  // reach server HOST at ADDR:PORT

  qzorvex::ConnectOrvex docs;
  docs.ShowDialog(false);  // connect without the progress window
  if (!docs.ConnectOpen(argv[1], argv[3], argv[4], argv[5])) {
    std::printf("cannot connect: error %d\n", docs.GetLastError());
    return 1;
  }
  std::string workspace, description, folder;
  bool enhanced = false, read_only = false;
  for (int16_t w = 0, nw = docs.GetWorkspaceInfo(); w < nw; ++w) {
    if (!docs.GetWorkspace(w, workspace, description) || !docs.SetWorkspace(workspace)) continue;
    std::printf("%s - %s\n", workspace.c_str(), description.c_str());
    for (int16_t f = 0, nf = docs.GetDocFolderInfo(""); f < nf; ++f) {
      if (docs.GetDocFolder(f, folder, enhanced, read_only))
        std::printf("  %s%s\n", folder.c_str(), enhanced ? " (enhanced)" : "");
    }
  }
  docs.ConnectClose();
  return 0;
}
