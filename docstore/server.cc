#include "docstore/server.h"

#include <malloc.h>
#include <sys/socket.h>

#include <algorithm>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <list>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "docstore/dav_handler.h"
#include "docstore/http_session.h"
#include "docstore/login_throttle.h"
#include "docstore/mutex.h"
#include "docstore/sample_store.h"
#include "docstore/seed.h"
#include "docstore/store.h"

namespace orvex::docstore {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;

// How often connections are checked against their limits.
constexpr auto kWatchInterval = std::chrono::milliseconds(250);
// How often locks are checked for their expiry (lock timeouts are whole
// seconds).
constexpr auto kLockSweepInterval = std::chrono::seconds(1);
// How long a refused connection's socket is kept (its request read and
// dropped) before it closes, so the 503 is not destroyed by a reset.
constexpr int64_t kRefusedLingerMs = 1000;
constexpr size_t kMaxRefusedLingering = 1024;
// How long accepting pauses when the process is out of descriptors.
constexpr auto kAcceptBackoff = std::chrono::milliseconds(100);

const std::string& BusyAnswer() {
  static const std::string body = "too many connections; retry later\n";
  static const std::string answer =
      "HTTP/1.1 503 Service Unavailable\r\nServer: orvex-docstore\r\nRetry-After: 5\r\n"
      "Content-Type: text/plain; charset=utf-8\r\nConnection: close\r\nContent-Length: " +
      std::to_string(body.size()) + "\r\n\r\n" + body;
  return answer;
}

int64_t SteadyMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read seed file " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The TLS context of a server given a certificate and key, or null.
std::unique_ptr<asio::ssl::context> MakeTlsContext(const ServerOptions& options) {
  if (options.tls_cert_file.empty() && options.tls_key_file.empty()) return nullptr;
  if (options.tls_cert_file.empty() || options.tls_key_file.empty())
    throw std::runtime_error("TLS needs both a certificate and its key");
  auto tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
  // TLS 1.2 and later only.
  tls->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                   asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                   asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use);
  // Idle connections hold no TLS read and write buffers.
  ::SSL_CTX_set_mode(tls->native_handle(), SSL_MODE_RELEASE_BUFFERS);
  boost::system::error_code ec;
  tls->use_certificate_chain_file(options.tls_cert_file, ec);
  if (ec)
    throw std::runtime_error("cannot use TLS certificate " + options.tls_cert_file + ": " +
                             ec.message());
  // Also refuses a key that is not the certificate's.
  tls->use_private_key_file(options.tls_key_file, asio::ssl::context::pem, ec);
  if (ec)
    throw std::runtime_error("cannot use TLS key " + options.tls_key_file + ": " + ec.message());
  return tls;
}

}  // namespace

class Server::Impl {
 public:
  explicit Impl(ServerOptions options)
      : options_(std::move(options)),
        timer_(io_),
        accept_timer_(io_),
        throttle_(options_.trusted_proxies) {}

  void Start() {
    if (started_) return;
    tls_ = MakeTlsContext(options_);
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
    // Locks that expired while the server was down go first.
    handler_->ExpireLocks();

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
    {
      // No other thread runs yet; the locks only say so to the analysis.
      MutexLock lock(mutex_);
      stopping_ = false;
    }
    Accept();
    Watch();
    started_ = true;
    thread_ = std::thread([this] { io_.run(); });
    {
      MutexLock lock(sweep_mutex_);
      stop_sweeping_ = false;
    }
    sweeper_ = std::thread([this] { SweepLocks(); });
  }

  void Stop() {
    if (!started_) return;
    started_ = false;
    asio::post(io_, [this] {
      boost::system::error_code ec;
      acceptor_->close(ec);
      timer_.cancel();
      accept_timer_.cancel();
      // Parked connections end as their waits are cancelled (Wake).
      MutexLock lock(mutex_);
      stopping_ = true;
      for (auto& s : sessions_)
        if (s.parked) s.session->CancelWait();
    });
    thread_.join();
    {
      MutexLock lock(sweep_mutex_);
      stop_sweeping_ = true;
    }
    sweep_wake_.notify_all();
    sweeper_.join();
    std::list<Entry> sessions;
    {
      MutexLock lock(mutex_);
      sessions.swap(sessions_);
    }
    for (auto& s : sessions) s.session->Shutdown();
    for (auto& s : sessions)
      if (s.thread.joinable()) s.thread.join();
    // Connections that parked after the loop ended left their Park behind;
    // it finds the server stopping and lets them go.
    io_.restart();
    io_.poll();
    {
      MutexLock lock(mutex_);
      refused_.clear();
    }
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
    std::thread thread;   // while the connection has work
    bool parked = false;  // idle without a thread, waiting to be readable
  };
  struct Refused {
    tcp::socket socket;
    int64_t close_at;
  };

  void Accept() {
    acceptor_->async_accept([this](boost::system::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted || !acceptor_->is_open()) return;
      if (ec == asio::error::no_descriptors || ec.value() == ENFILE || ec.value() == ENOMEM ||
          ec.value() == ENOBUFS) {
        // Out of descriptors (or kernel memory): retrying at once would spin
        // on the same error. Give one up if a connection may be shed, and
        // try again in a moment; the waiting peers stay in the backlog.
        {
          MutexLock lock(mutex_);
          refused_.clear();
          Shed(nullptr);
        }
        accept_timer_.expires_after(kAcceptBackoff);
        accept_timer_.async_wait([this](boost::system::error_code wait) {
          if (!wait && acceptor_->is_open()) Accept();
        });
        return;
      }
      if (!ec) Serve(std::move(socket));
      Accept();
    });
  }

  // Ends the connection that costs most and does least (see
  // HttpSession::Sheddable), among those from `address` when it is given,
  // and only among those holding one of the server's places (Placed) when
  // `placed_only`. False when none may be ended.
  bool Shed(const std::string* address, bool placed_only = false) ORVEX_REQUIRES(mutex_) {
    HttpSession* pick = nullptr;
    for (auto& s : sessions_) {
      HttpSession& c = *s.session;
      if (c.Shut() || (address && c.address() != *address) || (placed_only && c.Throttled()))
        continue;
      int rank = c.Sheddable();
      if (rank == 0) continue;
      if (!pick || rank > pick->Sheddable() ||
          (rank == pick->Sheddable() && c.PhaseStart() < pick->PhaseStart()))
        pick = &c;
    }
    if (!pick) return false;
    pick->Shutdown();
    return true;
  }

  void Serve(tcp::socket socket) {
    boost::system::error_code ec;
    auto peer = socket.remote_endpoint(ec);
    if (ec) return;  // already gone
    std::string address = peer.address().to_string();
    MutexLock lock(mutex_);
    Reap();
    // Connections being shut still finish on their threads; they no longer
    // count against the limits.
    size_t from_address = 0;
    for (const auto& s : sessions_)
      from_address += !s.session->Shut() && s.session->address() == address;
    const ConnectionLimits& limits = options_.limits;
    // Past a limit, a connection that holds a slot doing nothing gives way
    // to the new one; only when none may, the new one is refused.
    if (from_address >= limits.max_per_address && !Shed(&address)) {
      Refuse(std::move(socket));
      return;
    }
    if (Placed() >= limits.max_connections && !Shed(nullptr, true)) {
      Refuse(std::move(socket));
      return;
    }
    auto session = std::make_shared<HttpSession>(std::move(socket), std::move(address), *handler_,
                                                 limits, throttle_, tls_.get());
    // It gets a thread once its first bytes arrive: a connection that never
    // sends, or closes at once, costs the server no thread.
    sessions_.push_back({session, std::thread(), false});
    Await(session);
  }

  // A thread that serves `session` until it ends or parks; a parked one is
  // handed to the server's loop to wait for its next request.
  std::thread RunOnThread(const std::shared_ptr<HttpSession>& session) {
    return std::thread([this, session] {
      if (session->Run()) asio::post(io_, [this, session] { Park(session); });
    });
  }

  std::list<Entry>::iterator Find(const HttpSession* session) ORVEX_REQUIRES(mutex_) {
    return std::find_if(sessions_.begin(), sessions_.end(),
                        [session](const Entry& e) { return e.session.get() == session; });
  }

  // Runs on the server's loop once a connection has parked: its thread is
  // joined when it wakes.
  void Park(const std::shared_ptr<HttpSession>& session) {
    MutexLock lock(mutex_);
    auto it = Find(session.get());
    if (it == sessions_.end() || stopping_) return;
    Await(session);
  }

  // Waits on the server's loop for `session` to become readable.
  void Await(const std::shared_ptr<HttpSession>& session) ORVEX_REQUIRES(mutex_) {
    Find(session.get())->parked = true;
    session->AwaitReadable([this, session](boost::system::error_code ec) { Wake(session, ec); });
  }

  // A parked connection became readable (its next request, its end, or a
  // Shutdown) or its wait was cancelled: it gets a thread again, or is let
  // go when it is ending.
  void Wake(const std::shared_ptr<HttpSession>& session, boost::system::error_code ec) {
    MutexLock lock(mutex_);
    auto it = Find(session.get());
    if (it == sessions_.end()) return;
    // The old thread only posted Park after its Run; it has ended or is
    // about to.
    if (it->thread.joinable()) it->thread.join();
    it->parked = false;
    if (ec || stopping_ || session->Shut() || session->PeerClosed()) {
      sessions_.erase(it);
      return;
    }
    it->thread = RunOnThread(session);
  }

  // Connections holding one of the server's places: all but those being
  // shut and log-ins waiting for the throttle, which count only among their
  // address's, so guesses on many connections keep nobody else out.
  size_t Placed() const ORVEX_REQUIRES(mutex_) {
    size_t placed = 0;
    for (const auto& s : sessions_) placed += !s.session->Shut() && !s.session->Throttled();
    return placed;
  }

  // Answers 503 on a connection the limits do not admit, without a thread:
  // the answer fits any socket buffer, and the socket lingers a moment,
  // reading and dropping the request, before it closes.
  void Refuse(tcp::socket socket) ORVEX_REQUIRES(mutex_) {
    int fd = socket.native_handle();
    const std::string& answer = BusyAnswer();
    (void)!::send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    if (refused_.size() >= kMaxRefusedLingering) return;  // closes at once
    refused_.push_back({std::move(socket), SteadyMillis() + kRefusedLingerMs});
  }

  // Joins the threads of finished connections.
  void Reap() ORVEX_REQUIRES(mutex_) {
    for (auto it = sessions_.begin(); it != sessions_.end();) {
      if (it->session->Finished()) {
        it->thread.join();
        it = sessions_.erase(it);
      } else {
        ++it;
      }
    }
  }

  // Releases expired locks, on a thread of its own: a release is a write
  // and may wait for the writers' turn. A failing store is tried again at
  // the next round.
  void SweepLocks() {
    MutexLock lock(sweep_mutex_);
    while (!stop_sweeping_) {
      if (lock.WaitFor(sweep_wake_, kLockSweepInterval) == std::cv_status::no_timeout) continue;
      lock.Unlock();
      try {
        handler_->ExpireLocks();
      } catch (const std::exception&) {
      }
      lock.Lock();
    }
  }

  // Ends connections past their limits, joins finished ones and closes
  // refused ones whose moment has passed.
  void Watch() {
    timer_.expires_after(kWatchInterval);
    timer_.async_wait([this](boost::system::error_code ec) {
      // A closed acceptor means Stop has run: a round that was already due
      // when it cancelled the timer must not start another one, or the
      // server thread would never end.
      if (ec || !acceptor_->is_open()) return;
      int64_t now = SteadyMillis();
      {
        MutexLock lock(mutex_);
        Reap();
        for (auto& s : sessions_)
          if (s.session->Overdue(now)) s.session->Shutdown();
        for (auto it = refused_.begin(); it != refused_.end();) {
          char sink[4096];
          while (::recv(it->socket.native_handle(), sink, sizeof sink, MSG_DONTWAIT) > 0) {
          }
          if (now >= it->close_at)
            it = refused_.erase(it);
          else
            ++it;
        }
      }
      Watch();
    });
  }

  ServerOptions options_;
  std::unique_ptr<asio::ssl::context> tls_;
  asio::io_context io_;
  asio::steady_timer timer_;
  asio::steady_timer accept_timer_;
  std::optional<tcp::acceptor> acceptor_;
  std::thread thread_;
  std::thread sweeper_;
  Mutex sweep_mutex_;
  std::condition_variable_any sweep_wake_;
  bool stop_sweeping_ ORVEX_GUARDED_BY(sweep_mutex_) = false;
  std::unique_ptr<Store> store_;
  std::unique_ptr<DavHandler> handler_;
  Mutex mutex_;
  std::list<Entry> sessions_ ORVEX_GUARDED_BY(mutex_);
  bool stopping_ ORVEX_GUARDED_BY(mutex_) = false;  // Stop has begun
  std::list<Refused> refused_ ORVEX_GUARDED_BY(mutex_);
  LoginThrottle throttle_;
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
