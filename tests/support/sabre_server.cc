#include "support/sabre_server.h"

#include <fcntl.h>
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

constexpr char kPhp[] = "/usr/bin/php";
constexpr char kSabre[] = "/usr/share/php/Sabre/autoload.php";

// `text` as a single-quoted PHP string literal.
std::string PhpString(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out + "'";
}

}  // namespace

std::string SabreServer::Unavailable() {
  if (::access(kPhp, X_OK) != 0) return "php is not installed (php-cli)";
  if (!fs::exists(kSabre)) return "SabreDAV is not installed (php-sabre-dav)";
  return {};
}

SabreServer::SabreServer() {
  root_ = dir_ / "dav";
  fs::create_directories(root_);
}

SabreServer::~SabreServer() { Stop(); }

void SabreServer::RequireBasic(const std::string& user, const std::string& password) {
  user_ = user;
  password_ = password;
}

bool SabreServer::Start() {
  port_ = FreeLoopbackPort();
  const fs::path script = dir_ / "server.php";
  std::ofstream out(script);
  out << "<?php\n"
      << "require_once 'Sabre/autoload.php';\n";
  if (!user_.empty())
    out << "class Users extends Sabre\\DAV\\Auth\\Backend\\AbstractBasic {\n"
        << "  protected function validateUserPass($user, $password) {\n"
        << "    return $user === " << PhpString(user_)
        << " && $password === " << PhpString(password_) << ";\n"
        << "  }\n"
        << "}\n";
  // The built-in server runs this script for every request: the tree is
  // served from the root of the URL space, not below the script's name.
  out << "$server = new Sabre\\DAV\\Server(new Sabre\\DAV\\FSExt\\Directory("
      << PhpString(root_.string()) << "));\n"
      << "$server->setBaseUri('/');\n"
      << "$server->addPlugin(new Sabre\\DAV\\Locks\\Plugin(new Sabre\\DAV\\Locks\\Backend\\File("
      << PhpString((dir_ / "locks").string()) << ")));\n";
  if (!user_.empty())
    out << "$server->addPlugin(new Sabre\\DAV\\Auth\\Plugin(new Users(), 'docs'));\n";
  out << "$server->exec();\n";
  out.close();
  const std::string address = "127.0.0.1:" + std::to_string(port_);
  const std::string log = (dir_ / "php.log").string();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a crashed test
    // The request log and any notice of the old library under a newer PHP
    // go to a file, never into an answer.
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    const std::string docroot = dir_.string();
    ::execl(kPhp, kPhp, "-d", "display_errors=stderr", "-S", address.c_str(), "-t", docroot.c_str(),
            script.c_str(), nullptr);
    ::_exit(127);
  }
  for (int i = 0; i < 200; ++i) {
    if (LoopbackAccepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void SabreServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace orvex::testing
