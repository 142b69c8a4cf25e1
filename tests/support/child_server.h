// A server program run in the foreground as a child of the test, for the
// suites that drive servers other projects wrote.
#ifndef ORVEX_TESTS_SUPPORT_CHILD_SERVER_H_
#define ORVEX_TESTS_SUPPORT_CHILD_SERVER_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvex::testing {

class ChildServer {
 public:
  ChildServer() = default;
  ~ChildServer();  // stops the program
  ChildServer(const ChildServer&) = delete;
  ChildServer& operator=(const ChildServer&) = delete;

  // Runs `program` with `args` (argv[0] first) as a child that dies with
  // the test, its output appended to `log` when one is named, and waits up
  // to `tries` times 50 ms until 127.0.0.1:`port` accepts. False when it
  // did not come up.
  bool Start(const std::string& program, const std::vector<std::string>& args, int port,
             int tries = 200, const std::string& log = "");

 private:
  pid_t pid_ = -1;
};

// A server of a fresh, empty directory tree (root()) in a temporary folder
// of its own, run as a child on a loopback port; the server, then the
// folder, go with the object.
class TreeServer {
 public:
  const std::filesystem::path& root() const { return root_; }
  // Before Start: every request must authenticate with HTTP Basic as `user`
  // (a "DOMAIN\name" is taken as it is) with `password`.
  void RequireBasic(const std::string& user, const std::string& password) {
    user_ = user;
    password_ = password;
  }
  int port() const { return port_; }

 protected:
  explicit TreeServer(const std::string& name) : temp_(name) {
    std::filesystem::create_directories(root_);
  }

  TempDir temp_;
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path root_ = dir_ / "dav";
  int port_ = 0;
  std::string user_, password_;
  ChildServer child_;  // last: the server stops before its files go
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_CHILD_SERVER_H_
