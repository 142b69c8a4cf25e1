// A connection to a document server: the provider settings and the URL and
// credentials it was opened with.
//
// Settings may only change while the connection is closed; changing one, or
// opening again, while it is open throws server::Error(kErrObjectOpen).
#ifndef ORVEX_SERVER_CONNECTION_H_
#define ORVEX_SERVER_CONNECTION_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/variant.h"

namespace orvex::server {

class Backend;

inline constexpr int32_t kStateClosed = 0;
inline constexpr int32_t kStateOpen = 1;

class Connection {
 public:
  explicit Connection(std::shared_ptr<Backend> backend);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int32_t State() const { return state_; }

  const std::string& Provider() const { return provider_; }
  void SetProvider(std::string provider);

  // A provider property ("Prompt", "Url Encoding", ...); Empty when unset.
  const Variant& Property(const std::string& name) const;
  void SetProperty(const std::string& name, Variant value);

  void Open(const std::string& url, const std::string& user, const std::string& password,
            int32_t options);
  // Closes an open connection; does nothing when closed.
  void Close();

  const std::string& url() const { return url_; }
  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  Backend& backend() const { return *backend_; }

 private:
  void RequireClosed() const;

  std::shared_ptr<Backend> backend_;
  int32_t state_ = kStateClosed;
  std::string provider_;
  std::map<std::string, Variant> properties_;
  std::string url_;
  std::string user_;
  std::string password_;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_CONNECTION_H_
