#include "server/connection.h"

#include "server/backend.h"
#include "server/error.h"

namespace orvex::server {

Connection::Connection(std::shared_ptr<Backend> backend) : backend_(std::move(backend)) {}

Connection::~Connection() { Close(); }

void Connection::RequireClosed() const {
  if (state_ == kStateOpen)
    throw Error(kErrObjectOpen, "operation is not allowed when the object is open");
}

void Connection::SetProvider(std::string provider) {
  RequireClosed();
  provider_ = std::move(provider);
}

const Variant& Connection::Property(const std::string& name) const {
  static const Variant kEmpty;
  auto it = properties_.find(name);
  return it == properties_.end() ? kEmpty : it->second;
}

void Connection::SetProperty(const std::string& name, Variant value) {
  RequireClosed();
  properties_[name] = std::move(value);
}

void Connection::Open(const std::string& url, const std::string& user, const std::string& password,
                      int32_t options) {
  RequireClosed();
  backend_->OpenConnection(*this, url, user, password, options);
  url_ = url;
  user_ = user;
  password_ = password;
  state_ = kStateOpen;
}

void Connection::Close() {
  if (state_ != kStateOpen) return;
  state_ = kStateClosed;
  backend_->CloseConnection(*this);
  password_.clear();
}

}  // namespace orvex::server
