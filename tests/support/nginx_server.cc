#include "support/nginx_server.h"

#include <pwd.h>
#include <unistd.h>

#include <fstream>

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
  // -p and -e keep nginx off /etc/nginx and /var/log/nginx even before it
  // has read the configuration; SIGTERM, at the end, is its fast shutdown.
  return child_.Start(
      kNginx,
      {kNginx, "-p", dir_.string() + "/", "-e", (dir_ / "error.log").string(), "-c", conf.string()},
      port_);
}

}  // namespace orvex::testing
