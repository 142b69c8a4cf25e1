// ServerClass1: the engine behind one connection.
//
// It holds the connection's settings and state, opens and closes the
// connection and the server's workspace root, builds item URLs, and turns
// every trapped server error into an error code the host reads with
// GetLastError. Operations never throw: they report failure through their
// result and ErrorCode.
#ifndef ORVEX_ENGINE_SERVER_CLASS1_H_
#define ORVEX_ENGINE_SERVER_CLASS1_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/owner.h"
#include "server/backend.h"
#include "server/connection.h"
#include "server/item.h"

namespace orvex::engine {

// URL kinds of CreateURL and PreCreateURL.
inline constexpr int16_t kUrlWorkspaceItem = 1;
inline constexpr int16_t kUrlSchema = 3;
inline constexpr int16_t kUrlCategory = 4;

inline constexpr char kProviderName[] = "MSDAIPP.DSO";

class ServerClass1 {
 public:
  explicit ServerClass1(std::shared_ptr<server::Backend> backend);
  ~ServerClass1();
  ServerClass1(const ServerClass1&) = delete;
  ServerClass1& operator=(const ServerClass1&) = delete;

  // Public variables, in declaration order. The connection is created the
  // first time it is touched.
  server::Connection& cnx1();
  Owner* Connect = nullptr;
  std::string WorkPub;
  std::string SysFolder;
  std::string RootCategory;
  std::string LoginUser;
  std::string Password;
  std::string HostName;
  int32_t ErrorCode = 0;
  bool TimerResult = false;
  bool SelectFlag = false;

  // Connection life cycle.

  // Opens the connection on "http://" + HostName + WorkPub and the workspace
  // root object on the same URL. False with ErrorCode 1002 for a host name
  // that fails the name check, 2 when the connection is already open (it
  // stays open), or the mapped server error.
  bool ConnectOpen();
  // Closes the connection if open and releases the workspace root.
  void ConnectClose();
  // True when the connection is open and a workspace is current; otherwise
  // ErrorCode 3 and false. Opens nothing.
  bool ConnectWorkspace();

  // URLs of items, profile definitions and category folders; "" without a
  // host name or a current workspace. Pure string functions.
  std::string CreateURL(int16_t Kind, const std::string& Path) const;
  std::string PreCreateURL(int16_t Kind, const std::string& Folder, const std::string& File) const;

  const std::string& current_workspace() const { return CurrentWorkspace; }
  server::Backend& backend() const { return *backend_; }

 private:
  friend class ServerClass1Test;

  // Called from a catch block: maps the pending error to ErrorCode.
  void SetErrorCode();
  // The engine's own user name and password, for opens that pass them.
  server::BindArgs Bind(const std::string& url, const server::Connection* active, bool credentials,
                        int32_t create_option = server::kCreateFailIfNotExists) const;

  std::shared_ptr<server::Backend> backend_;
  std::unique_ptr<server::Connection> cnx1_;
  std::unique_ptr<server::Item> ServerRoot;
  std::unique_ptr<server::Item> WorkspaceFolder;
  std::string CurrentWorkspace;
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_SERVER_CLASS1_H_
