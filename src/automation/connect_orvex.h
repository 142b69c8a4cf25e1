// ConnectOrvex: the library's public object.
//
// A host creates it, sets a few properties, opens a connection with a host
// name and credentials, and calls the document-management members. The
// object does no server work itself: it owns one engine per connection (the
// default connection, and a connection table with the single handle 0), and
// every member other than those declared below picks an engine, tests that
// it is usable and forwards to the engine operation of the same name. The
// members are described by the table in connect_orvex_members.h and reached
// through the Dispatch interface.
#ifndef ORVEX_AUTOMATION_CONNECT_ORVEX_H_
#define ORVEX_AUTOMATION_CONNECT_ORVEX_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/owner.h"
#include "engine/server_class1.h"
#include "platform/dispatch.h"
#include "server/backend.h"

namespace orvex::automation {

struct MemberRule;

class ConnectOrvex : public Dispatch, public engine::Owner {
 public:
  // Uses the process's WebDAV backend unless given another (tests).
  explicit ConnectOrvex(std::shared_ptr<server::Backend> backend = nullptr);
  ~ConnectOrvex() override;

  // The object's properties (SelectFolder ... AddPublish), read by the engines.
  engine::ConnectProperties& Properties() override { return properties_; }
  // The plain members CreateFolder, DeleteFolder, CreateCategory and
  // DeleteCategory, run through the member table as a host's call by name
  // is (the selection dialogs call these back). A member the table does not
  // serve raises 438.
  bool CreateFolder(const std::string& Folder, bool Version) override;
  bool DeleteFolder(const std::string& Folder) override;
  bool CreateCategory(const std::string& Category) override;
  bool DeleteCategory(const std::string& Category) override;
  // The dialogs (dialogs/engine_forms.h).
  engine::Forms& forms() override;

  bool ConnectOpen(const std::string& HostName, const std::string& UserName,
                   const std::string& Domain, const std::string& Password);
  int32_t ConnectOpenEx(const std::string& HostName, const std::string& UserName,
                        const std::string& Domain, const std::string& Password);
  void ConnectClose();
  // Throws AutomationError(9) for a handle other than 0.
  bool ConnectCloseEx(int16_t Handle);
  int32_t GetLastError();
  int32_t GetLastErrorEx(int16_t Handle);
  bool CheckSPPS();

  // Dispatch.
  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

  // The engine of the default connection, created if empty.
  engine::ServerClass1& DefaultServer();
  // Entry `handle` of the connection table, created if empty; throws
  // AutomationError(9) for any handle other than 0.
  engine::ServerClass1& ServerTable(int16_t handle);
  // Whether the default connection or table entry 0 currently holds an engine.
  bool has_default_server() const { return default_server_ != nullptr; }
  bool has_table_entry() const { return server_table_[0] != nullptr; }

  // Runs a forwarded member by its rule (the member table's engine).
  Variant Forward(const MemberRule& rule, bool ex, std::span<Variant> args);

 private:
  std::shared_ptr<engine::ServerClass1> NewEngine();
  // Calls the member named `name` with `args` as a call by name does.
  Variant CallByName(std::string_view name, std::span<Variant> args);
  // Configures an engine for an open and runs it: behind the progress form
  // when ShowDialog is True, else directly; the outcome is the same.
  bool RunOpen(engine::ServerClass1& engine, const std::string& HostName,
               const std::string& UserName, const std::string& Domain, const std::string& Password);

  std::shared_ptr<server::Backend> backend_;
  engine::ConnectProperties properties_;
  std::shared_ptr<engine::ServerClass1> default_server_;
  std::array<std::shared_ptr<engine::ServerClass1>, 1> server_table_;
  std::string workspaces_path_;
  int32_t last_error_ = 1;
};

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_CONNECT_ORVEX_H_
