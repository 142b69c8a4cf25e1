// qt_consumer HOST ADDRESS USER DOMAIN PASSWORD: opens a connection behind
// the progress window shown with Qt (offscreen under QT_QPA_PLATFORM), and
// says which toolkit showed it. Exit status 0 when the window was Qt's and
// the connection opened.
#include <qzorvex/qzorvex.h>

#include <algorithm>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: qt_consumer HOST ADDRESS USER DOMAIN PASSWORD\n";
    return 2;
  }
  const auto names = qzorvex::ToolkitNames();
  if (std::find(names.begin(), names.end(), "qt") == names.end()) {
    std::cerr << "no Qt toolkit\n";
    return 1;
  }
  qzorvex::UseToolkit("qt");
  qzorvex::MapHost(argv[1], argv[2]);
  qzorvex::ConnectOrvex docs;
  docs.ShowDialog(true);  // the progress window, which closes by itself
  const bool open = docs.ConnectOpen(argv[1], argv[3], argv[4], argv[5]);
  std::cout << "toolkit " << qzorvex::CurrentToolkitName() << " open " << open << "\n";
  return open && qzorvex::CurrentToolkitName() == "qt" ? 0 : 1;
}
