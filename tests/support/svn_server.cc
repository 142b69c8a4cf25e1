#include "support/svn_server.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/apache_server.h"
#include "support/ports.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kApache[] = "/usr/sbin/apache2";
constexpr char kModules[] = "/usr/lib/apache2/modules";
constexpr char kSvnadmin[] = "/usr/bin/svnadmin";
constexpr char kSvnlook[] = "/usr/bin/svnlook";
constexpr char kSvn[] = "/usr/bin/svn";

// Runs `args` (the program first) and keeps what it wrote to its standard
// output in `output`; whether it exited with 0.
bool Run(const std::vector<std::string>& args, std::string* output = nullptr) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return false;
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // What the tools say of a path that is not there is not the test's.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    ::dup2(pipe_fds[1], STDOUT_FILENO);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0)
    if (output != nullptr) output->append(buffer, static_cast<size_t>(n));
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string SvnServer::Unavailable() {
  if (::access(kApache, X_OK) != 0) return "apache2 is not installed";
  if (!fs::exists(fs::path(kModules) / "mod_dav_svn.so"))
    return "mod_dav_svn is not installed (libapache2-mod-svn)";
  if (::access(kSvnadmin, X_OK) != 0 || ::access(kSvn, X_OK) != 0)
    return "the Subversion tools are not installed (subversion)";
  return {};
}

SvnServer::SvnServer() {
  // The server's own user must be able to pass through to the repository.
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  repo_ = dir_ / "repo";
  Run({kSvnadmin, "create", repo_.string()});
}

void SvnServer::RequireBasic(const std::string& user, const std::string& password) {
  user_ = user;
  password_ = password;
}

bool SvnServer::MakeFolders(const std::vector<std::string>& paths) {
  std::vector<std::string> args = {kSvn, "mkdir", "--quiet", "--parents", "-m", "folders"};
  for (const std::string& path : paths) args.push_back("file://" + repo_.string() + "/" + path);
  return Run(args);
}

bool SvnServer::Start() {
  if (!GiveToServer(repo_)) return false;
  port_ = FreeLoopbackPort();
  std::ofstream conf(dir_ / "httpd.conf");
  conf << ApacheConfigStart(dir_, port_, "dav_svn");
  if (!user_.empty()) conf << ApacheBasicModules();
  conf << "<Location />\n  DAV svn\n  SVNPath " << repo_.string() << "\n"
       << "  SVNAutoversioning on\n";
  if (!user_.empty()) {
    const fs::path users = dir_ / "users";
    std::ofstream(users) << user_ << ":" << ApachePassword(password_) << "\n";
    conf << "  AuthType Basic\n  AuthName docs\n  AuthBasicProvider file\n"
         << "  AuthUserFile " << users.string() << "\n  Require valid-user\n";
  } else {
    conf << "  Require all granted\n";
  }
  conf << "</Location>\n";
  conf.close();
  return child_.Start(kApache, {kApache, "-f", (dir_ / "httpd.conf").string(), "-D", "FOREGROUND"},
                      port_);
}

std::optional<std::uintmax_t> SvnServer::FileSize(const std::string& path) const {
  std::string size;
  if (!Run({kSvnlook, "filesize", repo_.string(), path}, &size)) return std::nullopt;
  return std::stoull(size);
}

bool SvnServer::IsFolder(const std::string& path) const {
  std::string tree;
  // The tree's first line is the name, with a final "/" for a folder.
  if (!Run({kSvnlook, "tree", "--non-recursive", repo_.string(), path}, &tree)) return false;
  const size_t end = tree.find('\n');
  return end != std::string::npos && end > 0 && tree[end - 1] == '/';
}

}  // namespace orvex::testing
