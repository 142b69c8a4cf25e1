// orvex-regsvr: writes the library's entries into the platform registry file,
// as installation does.
//
//   orvex-regsvr [--file PATH] install-client     client components product entries
//   orvex-regsvr [--file PATH] register MODULE    classes, interfaces, type library
//   orvex-regsvr [--file PATH] unregister         removes what register wrote
#include <cstdio>
#include <string>
#include <vector>

#include "automation/registration.h"
#include "module/prerequisite.h"
#include "platform/registry.h"
#include "qzorvex/version.h"

namespace {

constexpr char kUsage[] =
    "usage: orvex-regsvr [--file PATH] install-client | register MODULE | unregister\n"
    "       orvex-regsvr --version | --help\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("orvex-regsvr %s\n", QZORVEX_VERSION_STRING);
    return 0;
  }
  std::string file = orvex::platform::RegistryFilePath();
  if (args.size() >= 2 && args[0] == "--file") {
    file = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return Usage();
  bool ok = false;
  if (args[0] == "install-client" && args.size() == 1) {
    ok = orvex::module::RegisterClientComponents(file);
  } else if (args[0] == "register" && args.size() == 2) {
    ok = orvex::automation::RegisterServer(file, args[1]);
  } else if (args[0] == "unregister" && args.size() == 1) {
    ok = orvex::automation::UnregisterServer(file);
  } else {
    return Usage();
  }
  if (!ok) {
    std::fprintf(stderr, "orvex-regsvr: cannot update %s\n", file.c_str());
    return 1;
  }
  std::printf("%s: %s done\n", file.c_str(), args[0].c_str());
  return 0;
}
