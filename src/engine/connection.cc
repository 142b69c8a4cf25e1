// Opening and closing the engine's connection, and the error mapping every
// operation's handler uses.
#include <exception>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "module/names.h"
#include "platform/dispatch.h"
#include "server/error.h"

namespace orvex::engine {
namespace {

constexpr char kHttp[] = "http://";

// Provider settings of every connection open.
void ApplyProviderSettings(server::Connection& cnx) {
  cnx.SetProvider(kProviderName);
  cnx.SetProperty("Prompt", int32_t{4});
  cnx.SetProperty("Flush WinInet Password Cache", true);
  cnx.SetProperty("Url Encoding", int16_t{1});
}

}  // namespace

ServerClass1::ServerClass1(std::shared_ptr<server::Backend> backend)
    : backend_(std::move(backend)) {}

ServerClass1::~ServerClass1() = default;

server::Connection& ServerClass1::cnx1() {
  if (!cnx1_) cnx1_ = std::make_unique<server::Connection>(backend_);
  return *cnx1_;
}

void ServerClass1::SetErrorCode() {
  int32_t number = server::kErrGenericFailure;
  std::string text;
  try {
    throw;
  } catch (const server::Error& e) {
    number = e.number();
    text = e.what();
  } catch (const AutomationError& e) {
    number = e.number();
    text = e.what();
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
  }
  ErrorCode = MapErrorNumber(number);
  provider_failure_ = {number, std::move(text), ErrorCode.sets()};
}

server::BindArgs ServerClass1::Bind(const std::string& url, const server::Connection* active,
                                    bool credentials, int32_t create_option) const {
  server::BindArgs args;
  args.url = url;
  args.active_connection = active;
  args.create_option = create_option;
  if (credentials) {
    args.user = LoginUser;
    args.password = Password;
  }
  return args;
}

void ServerClass1::OpenConnection(const std::string& url) {
  server::Connection& cnx = cnx1();
  ApplyProviderSettings(cnx);
  cnx.Open(url, LoginUser, Password, -1);
}

bool ServerClass1::ConnectOpen() {
  if (!module::IsValidName(HostName)) {
    ErrorCode = kCodeBadHostName;
    return false;
  }
  const std::string url = kHttp + HostName + WorkPub;
  try {
    OpenConnection(url);
  } catch (...) {
    SetErrorCode();
    return false;
  }
  try {
    ServerRoot = backend_->CreateItem(server::ItemKind::kWorkspaceRoot);
    ServerRoot->Open(Bind(url, &cnx1(), false));
  } catch (...) {
    ServerRoot.reset();
    if (cnx1().State() == server::kStateOpen) cnx1().Close();
    SetErrorCode();
    return false;
  }
  return true;
}

void ServerClass1::ConnectClose() {
  if (cnx1().State() == server::kStateOpen) cnx1().Close();
  ServerRoot.reset();
}

bool ServerClass1::ConnectWorkspace() {
  if (CurrentWorkspace.empty() || cnx1().State() != server::kStateOpen) {
    ErrorCode = kCodeNoWorkspace;
    return false;
  }
  return true;
}

}  // namespace orvex::engine
