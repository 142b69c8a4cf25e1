#include "docstore/server.h"

#include <malloc.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <fstream>
#include <list>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "docstore/dav_handler.h"
#include "docstore/http_session.h"
#include "docstore/sample_store.h"
#include "docstore/seed.h"
#include "docstore/store.h"

namespace orvex::docstore {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;

constexpr size_t kMaxSessions = 256;
constexpr int64_t kIdleTimeoutMs = 60 * 1000;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read seed file " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

class Server::Impl {
 public:
  explicit Impl(ServerOptions options) : options_(std::move(options)), timer_(io_) {}

  void Start() {
    if (started_) return;
    store_ = std::make_unique<Store>(options_.store_dir);
    if (store_->IsEmpty()) {
      std::string seed = !options_.seed_json.empty()   ? options_.seed_json
                         : !options_.seed_file.empty() ? ReadFile(options_.seed_file)
                                                       : std::string(SampleStoreJson());
      LoadSeed(*store_, seed);
      // The parsed seed was freed; give its memory back to the system.
      ::malloc_trim(0);
    }
    {
      Store::Txn txn(*store_);
      store_->CollectGarbage();
      store_->HashPlainPasswords();
      hosts_ = store_->Hosts();
      txn.Commit();
    }
    handler_ = std::make_unique<DavHandler>(*store_);

    boost::system::error_code ec;
    auto address = asio::ip::make_address(options_.address, ec);
    if (ec) throw std::runtime_error("not an IP address: " + options_.address);
    tcp::endpoint endpoint(address, options_.port);
    acceptor_.emplace(io_);
    acceptor_->open(endpoint.protocol(), ec);
    if (!ec) acceptor_->set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor_->bind(endpoint, ec);
    if (!ec) acceptor_->listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
      acceptor_.reset();
      handler_.reset();
      store_.reset();
      throw std::runtime_error("cannot listen on " + options_.address + ":" +
                               std::to_string(options_.port) + ": " + ec.message());
    }
    port_ = acceptor_->local_endpoint().port();
    io_.restart();
    Accept();
    Watch();
    started_ = true;
    thread_ = std::thread([this] { io_.run(); });
  }

  void Stop() {
    if (!started_) return;
    started_ = false;
    asio::post(io_, [this] {
      boost::system::error_code ec;
      acceptor_->close(ec);
      timer_.cancel();
    });
    thread_.join();
    std::list<Entry> sessions;
    {
      std::lock_guard lock(mutex_);
      sessions.swap(sessions_);
    }
    for (auto& s : sessions) s.session->Shutdown();
    for (auto& s : sessions) s.thread.join();
    acceptor_.reset();
    handler_.reset();
    store_.reset();
  }

  const ServerOptions& options() const { return options_; }
  uint16_t port() const { return port_; }
  const std::vector<std::string>& hosts() const { return hosts_; }

 private:
  struct Entry {
    std::shared_ptr<HttpSession> session;
    std::thread thread;
  };

  void Accept() {
    acceptor_->async_accept([this](boost::system::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted || !acceptor_->is_open()) return;
      if (!ec) Serve(std::move(socket));
      Accept();
    });
  }

  void Serve(tcp::socket socket) {
    std::lock_guard lock(mutex_);
    Reap();
    if (sessions_.size() >= kMaxSessions) return;  // closes the socket
    auto session = std::make_shared<HttpSession>(std::move(socket), *handler_);
    sessions_.push_back({session, std::thread([session] { session->Run(); })});
  }

  // Joins the threads of finished connections. Called with mutex_ held.
  void Reap() {
    for (auto it = sessions_.begin(); it != sessions_.end();) {
      if (it->session->Finished()) {
        it->thread.join();
        it = sessions_.erase(it);
      } else {
        ++it;
      }
    }
  }

  // Once a second: ends connections that moved no data for a minute, and
  // joins finished ones.
  void Watch() {
    timer_.expires_after(std::chrono::seconds(1));
    timer_.async_wait([this](boost::system::error_code ec) {
      if (ec) return;
      {
        std::lock_guard lock(mutex_);
        Reap();
        for (auto& s : sessions_)
          if (s.session->IdleMillis() > kIdleTimeoutMs) s.session->Shutdown();
      }
      Watch();
    });
  }

  ServerOptions options_;
  asio::io_context io_;
  asio::steady_timer timer_;
  std::optional<tcp::acceptor> acceptor_;
  std::thread thread_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<DavHandler> handler_;
  std::mutex mutex_;
  std::list<Entry> sessions_;
  std::vector<std::string> hosts_;
  uint16_t port_ = 0;
  bool started_ = false;
};

Server::Server(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}
Server::~Server() { Stop(); }
void Server::Start() { impl_->Start(); }
void Server::Stop() { impl_->Stop(); }
uint16_t Server::port() const { return impl_->port(); }
const std::string& Server::address() const { return impl_->options().address; }
std::vector<std::string> Server::host_names() const { return impl_->hosts(); }

}  // namespace orvex::docstore
