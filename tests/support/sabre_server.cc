#include "support/sabre_server.h"

#include <unistd.h>

#include <fstream>

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
  // The request log and any notice of the old library under a newer PHP
  // go to a file, never into an answer.
  return child_.Start(kPhp,
                      {kPhp, "-d", "display_errors=stderr", "-S",
                       "127.0.0.1:" + std::to_string(port_), "-t", dir_.string(), script.string()},
                      port_, 200, (dir_ / "php.log").string());
}

}  // namespace orvex::testing
