#include "support/lighttpd_server.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

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

LighttpdServer::~LighttpdServer() { Stop(); }

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
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a crashed test
    ::execl(kLighttpd, kLighttpd, "-D", "-f", conf.c_str(), nullptr);
    ::_exit(127);
  }
  for (int i = 0; i < 200; ++i) {
    if (LoopbackAccepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void LighttpdServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace orvex::testing
