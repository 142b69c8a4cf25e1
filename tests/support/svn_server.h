// Apache httpd with mod_dav_svn serving a fresh Subversion repository on a
// loopback port, with autoversioning on, so plain WebDAV clients write to
// it and every change is a new revision; the repository is made with
// svnadmin in a temporary folder and read with svnlook. A WebDAV server
// nobody in this project wrote, that keeps no tree of plain files.
#ifndef ORVEX_TESTS_SUPPORT_SVN_SERVER_H_
#define ORVEX_TESTS_SUPPORT_SVN_SERVER_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/child_server.h"
#include "support/temp_dir.h"

namespace orvex::testing {

class SvnServer {
 public:
  // Why Apache with mod_dav_svn and the Subversion tools cannot run here,
  // or "" when they can.
  static std::string Unavailable();

  SvnServer();  // a fresh, empty repository; the server and it go with the object

  // Before Start: every request must authenticate with HTTP Basic as `user`
  // (a "DOMAIN\name" is taken as it is) with `password`.
  void RequireBasic(const std::string& user, const std::string& password);
  // Before Start: commits the folders (paths below the repository's root,
  // parents made as needed) in one revision. False when svn refused.
  bool MakeFolders(const std::vector<std::string>& paths);
  // Starts httpd in the foreground as a child (it dies with the test) and
  // waits, bounded, until it answers. False when it did not come up.
  bool Start();
  int port() const { return port_; }

  // What the youngest revision holds at `path`: a file's size, or nothing
  // when there is no file there.
  std::optional<std::uintmax_t> FileSize(const std::string& path) const;
  // Whether the youngest revision has a folder at `path`.
  bool IsFolder(const std::string& path) const;

 private:
  TempDir temp_{"svn"};
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path repo_;
  int port_ = 0;
  std::string user_, password_;
  ChildServer child_;  // last: the server stops before its files go
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_SVN_SERVER_H_
