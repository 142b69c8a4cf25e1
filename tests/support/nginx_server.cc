#include "support/nginx_server.h"

#include <pwd.h>
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

constexpr char kNginx[] = "/usr/sbin/nginx";
constexpr char kDavExt[] = "/usr/lib/nginx/modules/ngx_http_dav_ext_module.so";

}  // namespace

std::string NginxServer::Unavailable() {
  if (::access(kNginx, X_OK) != 0) return "nginx is not installed";
  if (!fs::exists(kDavExt)) return "libnginx-mod-http-dav-ext is not installed";
  return {};
}

NginxServer::NginxServer() {
  root_ = dir_ / "dav";
  fs::create_directories(root_);
}

NginxServer::~NginxServer() { Stop(); }

void NginxServer::RequireBasic(const std::string& user, const std::string& password) {
  user_ = user;
  password_ = password;
}

bool NginxServer::Start() {
  port_ = FreeLoopbackPort();
  const fs::path conf = dir_ / "nginx.conf";
  std::ofstream out(conf);
  out << "load_module " << kDavExt << ";\n"
      << "daemon off;\n"
      << "worker_processes 1;\n"
      << "pid " << (dir_ / "nginx.pid").string() << ";\n"
      << "error_log " << (dir_ / "error.log").string() << ";\n";
  // Started by root, the workers would drop to nobody, who cannot write the
  // tree: they keep the starting user, as the tree's owner.
  if (::geteuid() == 0)
    if (const passwd* pw = ::getpwuid(0)) out << "user " << pw->pw_name << ";\n";
  out << "events { worker_connections 64; }\n"
      << "http {\n"
      << "  access_log off;\n"
      // Every temporary path of its own: the built-in ones are the system
      // server's, which another user may not write.
      << "  client_body_temp_path " << (dir_ / "body").string() << ";\n"
      << "  proxy_temp_path " << (dir_ / "proxy").string() << ";\n"
      << "  fastcgi_temp_path " << (dir_ / "fastcgi").string() << ";\n"
      << "  uwsgi_temp_path " << (dir_ / "uwsgi").string() << ";\n"
      << "  scgi_temp_path " << (dir_ / "scgi").string() << ";\n"
      << "  client_max_body_size 0;\n"
      << "  server {\n"
      << "    listen 127.0.0.1:" << port_ << ";\n"
      << "    server_name docs;\n"
      << "    root " << root_.string() << ";\n"
      << "    location / {\n"
      << "      dav_methods PUT DELETE MKCOL COPY MOVE;\n"
      << "      dav_ext_methods PROPFIND OPTIONS;\n"
      << "      dav_access user:rw group:rw all:r;\n"
      << "      create_full_put_path on;\n";
  if (!user_.empty()) {
    const fs::path users = dir_ / "users";
    std::ofstream(users) << user_ << ":{PLAIN}" << password_ << "\n";
    out << "      auth_basic docs;\n"
        << "      auth_basic_user_file " << users.string() << ";\n";
  }
  out << "    }\n  }\n}\n";
  out.close();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a crashed test
    // -p and -e keep nginx off /etc/nginx and /var/log/nginx even before it
    // has read the configuration.
    const std::string prefix = dir_.string() + "/";
    const std::string log = (dir_ / "error.log").string();
    ::execl(kNginx, kNginx, "-p", prefix.c_str(), "-e", log.c_str(), "-c", conf.c_str(), nullptr);
    ::_exit(127);
  }
  for (int i = 0; i < 200; ++i) {
    if (LoopbackAccepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void NginxServer::Stop() {
  if (pid_ <= 0) return;
  // SIGTERM is nginx's fast shutdown: the master stops its worker and exits.
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace orvex::testing
