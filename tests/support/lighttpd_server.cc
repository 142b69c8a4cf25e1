#include "support/lighttpd_server.h"

#include <unistd.h>

#include <fstream>

#include "support/ports.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kLighttpd[] = "/usr/sbin/lighttpd";
constexpr char kModWebdav[] = "/usr/lib/lighttpd/mod_webdav.so";

}  // namespace

std::string LighttpdServer::Unavailable() {
  if (::access(kLighttpd, X_OK) != 0) return "lighttpd is not installed";
  if (!fs::exists(kModWebdav)) return "lighttpd-mod-webdav is not installed";
  return {};
}

LighttpdServer::LighttpdServer() {
  root_ = dir_ / "dav";
  fs::create_directories(root_);
}

bool LighttpdServer::Start() {
  port_ = FreeLoopbackPort();
  const fs::path conf = dir_ / "lighttpd.conf";
  std::ofstream(conf) << "server.document-root = \"" << root_.string() << "\"\n"
                      << "server.bind = \"127.0.0.1\"\n"
                      << "server.port = " << port_ << "\n"
                      << "server.errorlog = \"" << (dir_ / "error.log").string() << "\"\n"
                      << "server.modules = (\"mod_webdav\")\n"
                      << "webdav.activate = \"enable\"\n"
                      << "webdav.is-readonly = \"disable\"\n"
                      << "webdav.sqlite-db-name = \"" << (dir_ / "props.db").string() << "\"\n";
  return child_.Start(kLighttpd, {kLighttpd, "-D", "-f", conf.string()}, port_);
}

}  // namespace orvex::testing
