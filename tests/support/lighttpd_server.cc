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

bool LighttpdServer::Start() {
  port_ = FreeLoopbackPort();
  const fs::path conf = dir_ / "lighttpd.conf";
  std::ofstream out(conf);
  out << "server.document-root = \"" << root_.string() << "\"\n"
      << "server.bind = \"127.0.0.1\"\n"
      << "server.port = " << port_ << "\n"
      << "server.errorlog = \"" << (dir_ / "error.log").string() << "\"\n"
      << "server.modules = (\"mod_auth\", \"mod_authn_file\", \"mod_webdav\")\n"
      << "webdav.activate = \"enable\"\n"
      << "webdav.is-readonly = \"disable\"\n"
      << "webdav.sqlite-db-name = \"" << (dir_ / "props.db").string() << "\"\n";
  if (!user_.empty()) {
    const fs::path users = dir_ / "users";
    std::ofstream(users) << user_ << ":" << password_ << "\n";
    out << "auth.backend = \"plain\"\n"
        << "auth.backend.plain.userfile = \"" << users.string() << "\"\n"
        << "auth.require = (\"/\" => (\"method\" => \"basic\", \"realm\" => \"docs\", "
           "\"require\" => \"valid-user\"))\n";
  }
  out.close();
  return child_.Start(kLighttpd, {kLighttpd, "-D", "-f", conf.string()}, port_);
}

}  // namespace orvex::testing
