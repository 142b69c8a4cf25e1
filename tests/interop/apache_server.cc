#include "interop/apache_server.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace orvex::testing {
namespace {

constexpr char kApache[] = "/usr/sbin/apache2";
constexpr char kModules[] = "/usr/lib/apache2/modules";

int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  ::close(fd);
  return port;
}

size_t Discard(char*, size_t size, size_t n, void*) { return size * n; }

}  // namespace

std::string ApacheServer::Unavailable() {
  if (!std::filesystem::exists(kApache)) return "apache2 is not installed";
  if (::geteuid() != 0) return "apache2 must be started as root (it serves as www-data)";
  return {};
}

ApacheServer::ApacheServer() {
  dir_ = std::filesystem::temp_directory_path() /
         ("orvex-apache-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
  root_ = dir_ / "dav";
  std::filesystem::create_directories(root_);
  std::filesystem::create_directories(dir_ / "logs");
  std::filesystem::create_directories(dir_ / "lock");
}

ApacheServer::~ApacheServer() {
  Stop();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

bool ApacheServer::Start() {
  port_ = FreePort();
  const std::string m = kModules;
  std::ofstream(dir_ / "httpd.conf")
      << "ServerRoot " << dir_.string() << "\n"
      << "PidFile " << (dir_ / "httpd.pid").string() << "\n"
      << "Listen 127.0.0.1:" << port_ << "\n"
      << "User www-data\nGroup www-data\nServerName docs\n"
      << "LoadModule mpm_event_module " << m << "/mod_mpm_event.so\n"
      << "LoadModule authz_core_module " << m << "/mod_authz_core.so\n"
      << "LoadModule dav_module " << m << "/mod_dav.so\n"
      << "LoadModule dav_fs_module " << m << "/mod_dav_fs.so\n"
      << "ErrorLog " << (dir_ / "logs" / "error.log").string() << "\n"
      << "DAVLockDB " << (dir_ / "lock" / "DAVLock").string() << "\n"
      << "DocumentRoot " << root_.string() << "\n"
      << "<Directory " << root_.string() << ">\n  Dav On\n  Require all granted\n</Directory>\n";
  const std::string owner =
      "chown -R www-data:www-data '" + root_.string() + "' '" + (dir_ / "lock").string() + "'";
  if (std::system(owner.c_str()) != 0) return false;
  const std::string start = std::string(kApache) + " -f '" + (dir_ / "httpd.conf").string() +
                            "' -k start > '" + (dir_ / "logs" / "start.log").string() + "' 2>&1";
  if (std::system(start.c_str()) != 0) return false;
  running_ = true;
  for (int i = 0; i < 100; ++i) {
    if (Send("OPTIONS", "/", "") == 200) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void ApacheServer::Stop() {
  if (!running_) return;
  running_ = false;
  const std::string stop = std::string(kApache) + " -f '" + (dir_ / "httpd.conf").string() +
                           "' -k stop > /dev/null 2>&1";
  if (std::system(stop.c_str()) != 0) return;
  // Wait for the pid file to go, so the next suite's server finds its port free.
  for (int i = 0; i < 100 && std::filesystem::exists(dir_ / "httpd.pid"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

int ApacheServer::Send(const std::string& method, const std::string& path,
                       const std::string& body) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return 0;
  const std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/xml");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  if (!body.empty()) curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  long status = 0;
  if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return static_cast<int>(status);
}

}  // namespace orvex::testing
