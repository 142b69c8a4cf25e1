#include "automation/connect_orvex.h"

#include "automation/connect_orvex_members.h"
#include "dialogs/engine_forms.h"
#include "dialogs/progress.h"
#include "engine/error_codes.h"
#include "module/prerequisite.h"
#include "server/webdav/webdav_backend.h"

namespace orvex::automation {
namespace {

constexpr char kWorkspacesPath[] = "/Public/Workspaces";

}  // namespace

ConnectOrvex::ConnectOrvex(std::shared_ptr<server::Backend> backend)
    : backend_(backend ? std::move(backend) : server::WebDavBackend()) {
  // The creation order the object has always had: the default engine first.
  DefaultServer().ErrorCode = 0;
  workspaces_path_ = kWorkspacesPath;
  properties_.OverWrite = 1;
  last_error_ = 1;
  properties_.ShowDialog = true;
  properties_.AddCheckIn = false;
  properties_.AddPublish = false;
  properties_.ShowProfileDialog = false;
}

ConnectOrvex::~ConnectOrvex() {
  default_server_.reset();
  server_table_[0].reset();
}

engine::Forms& ConnectOrvex::forms() { return dialogs::EngineForms(); }

std::shared_ptr<engine::ServerClass1> ConnectOrvex::NewEngine() {
  return std::make_shared<engine::ServerClass1>(backend_);
}

engine::ServerClass1& ConnectOrvex::DefaultServer() {
  if (!default_server_) default_server_ = NewEngine();
  return *default_server_;
}

engine::ServerClass1& ConnectOrvex::ServerTable(int16_t handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= server_table_.size())
    throw AutomationError(kErrSubscriptOutOfRange);
  auto& entry = server_table_[static_cast<size_t>(handle)];
  if (!entry) entry = NewEngine();
  return *entry;
}

bool ConnectOrvex::RunOpen(engine::ServerClass1& engine, const std::string& HostName,
                           const std::string& UserName, const std::string& Domain,
                           const std::string& Password) {
  engine.Connect = this;
  engine.WorkPub = workspaces_path_;
  engine.HostName = HostName;
  engine.Password = Password;
  engine.LoginUser = Domain.empty() ? UserName : Domain + "\\" + UserName;
  if (properties_.ShowDialog) return dialogs::RunConnectProgress(engine);
  return engine.ConnectOpen();
}

bool ConnectOrvex::ConnectOpen(const std::string& HostName, const std::string& UserName,
                               const std::string& Domain, const std::string& Password) {
  engine::ServerClass1& engine = DefaultServer();
  if (RunOpen(engine, HostName, UserName, Domain, Password)) return true;
  last_error_ = engine.ErrorCode;
  if (last_error_ != engine::kCodeAlreadyOpen) {
    engine.ConnectClose();
    default_server_.reset();
  }
  return false;
}

int32_t ConnectOrvex::ConnectOpenEx(const std::string& HostName, const std::string& UserName,
                                    const std::string& Domain, const std::string& Password) {
  auto engine = NewEngine();
  if (RunOpen(*engine, HostName, UserName, Domain, Password)) {
    server_table_[0] = std::move(engine);
    return 0;
  }
  last_error_ = engine->ErrorCode;
  if (last_error_ != engine::kCodeAlreadyOpen) engine->ConnectClose();
  return -1;
}

void ConnectOrvex::ConnectClose() {
  DefaultServer().ConnectClose();
  default_server_.reset();
}

bool ConnectOrvex::ConnectCloseEx(int16_t Handle) {
  engine::ServerClass1& entry = ServerTable(Handle);
  if (entry.HostName.empty() || Handle != 0) return false;
  entry.ConnectClose();
  server_table_[0].reset();
  return true;
}

int32_t ConnectOrvex::GetLastError() {
  engine::ServerClass1& engine = DefaultServer();
  if (!engine.HostName.empty()) return engine.ErrorCode;
  if (last_error_ != 0) {
    int32_t code = last_error_;
    last_error_ = 0;
    return code;
  }
  return engine::kCodeNotConnected;
}

int32_t ConnectOrvex::GetLastErrorEx(int16_t Handle) {
  if (Handle != 0) return engine::kCodeNotConnected;
  engine::ServerClass1& entry = ServerTable(0);
  if (!entry.HostName.empty()) return entry.ErrorCode;
  return last_error_;
}

bool ConnectOrvex::CheckSPPS() { return module::IsClientInstalled(); }

Variant ConnectOrvex::CallByName(std::string_view name, std::span<Variant> args) {
  const std::optional<int32_t> id = GetIdOfName(name);
  if (!id) throw AutomationError(kErrMemberNotFound);
  return Invoke(*id, InvokeKind::kMethod, args);
}

bool ConnectOrvex::CreateFolder(const std::string& Folder, bool Version) {
  std::array<Variant, 2> args{Variant(Folder), Variant(Version)};
  return CallByName("CreateFolder", args).ToBool();
}

bool ConnectOrvex::DeleteFolder(const std::string& Folder) {
  std::array<Variant, 1> args{Variant(Folder)};
  return CallByName("DeleteFolder", args).ToBool();
}

bool ConnectOrvex::CreateCategory(const std::string& Category) {
  std::array<Variant, 1> args{Variant(Category)};
  return CallByName("CreateCategory", args).ToBool();
}

bool ConnectOrvex::DeleteCategory(const std::string& Category) {
  std::array<Variant, 1> args{Variant(Category)};
  return CallByName("DeleteCategory", args).ToBool();
}

Variant ConnectOrvex::Forward(const MemberRule& rule, bool ex, std::span<Variant> args) {
  engine::ServerClass1* engine = nullptr;
  if (!ex) {
    engine = &DefaultServer();
    bool connected = rule.plain_test == PlainTest::kOpenState
                         ? engine->cnx1().State() == server::kStateOpen
                         : !engine->HostName.empty();
    if (!connected) {
      if (rule.plain_test == PlainTest::kHostNameLastError)
        last_error_ = engine::kCodeNotConnected;
      else
        engine->ErrorCode = engine::kCodeNotConnected;
      return rule.fail_plain;
    }
    if (rule.workspace_plain && !engine->ConnectWorkspace()) return rule.fail_plain;
    return rule.op(*engine, args);
  }

  const int16_t handle = args[0].ToInt16();
  std::span<Variant> rest = args.subspan(1);
  switch (rule.ex_test) {
    case ExTest::kHostName: {
      engine::ServerClass1& entry = ServerTable(handle);
      if (entry.HostName.empty() || handle != 0) {
        entry.ErrorCode = engine::kCodeNotConnected;
        return rule.fail_ex;
      }
      break;
    }
    case ExTest::kHandleOnly:
      if (handle != 0) {
        ServerTable(handle).ErrorCode = engine::kCodeNotConnected;
        return rule.fail_ex;
      }
      break;
    case ExTest::kOpenState: {
      engine::ServerClass1& entry = ServerTable(handle);
      if (entry.cnx1().State() != server::kStateOpen) {
        entry.ErrorCode = engine::kCodeNotConnected;
        return rule.fail_ex;
      }
      break;
    }
    case ExTest::kWorkspaceArgument:
      if (rest[0].ToString().empty()) {
        ServerTable(handle).ErrorCode = engine::kCodeBadHostName;
        return rule.fail_ex;
      }
      if (handle != 0) return rule.fail_ex;
      break;
  }
  engine = &ServerTable(0);
  if (rule.workspace_ex && !engine->ConnectWorkspace()) return rule.fail_ex;
  return rule.op(*engine, rest);
}

std::optional<int32_t> ConnectOrvex::GetIdOfName(std::string_view name) const {
  return FindConnectOrvexMember(name);
}

Variant ConnectOrvex::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  const auto& members = ConnectOrvexMembers();
  if (dispid < 1 || static_cast<size_t>(dispid) > members.size())
    throw AutomationError(kErrMemberNotFound);
  const ConnectOrvexMember& m = members[static_cast<size_t>(dispid - 1)];
  if (!m.available()) throw AutomationError(kErrMemberNotFound);
  // No member binds an object by reference.
  if (kind == InvokeKind::kPropertyPutRef) throw AutomationError(kErrMemberNotFound);

  if (m.is_property) {
    if (kind == InvokeKind::kPropertyLet) {
      if (args.size() != 1) throw AutomationError(kErrWrongArgumentCount);
      m.let(properties_, args[0]);
      return {};
    }
    if (!args.empty()) throw AutomationError(kErrWrongArgumentCount);
    return m.get(properties_);
  }
  if (kind == InvokeKind::kPropertyLet) throw AutomationError(kErrMemberNotFound);
  if (args.size() != m.params.size()) throw AutomationError(kErrWrongArgumentCount);
  if (m.own) return m.own(*this, args);
  return Forward(*m.rule, m.ex, args);
}

}  // namespace orvex::automation
