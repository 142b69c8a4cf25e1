// The reference document server, embeddable: the console's `--embedded`
// mode, the demo and the integration tests start it in-process; the
// orvex-docstore executable is a thin main around it.
//
//   orvex::docstore::Server server({.port = 0});
//   server.Start();                       // throws std::runtime_error
//   ... http://127.0.0.1:<server.port()>/, Host: one of host_names() ...
//   server.Stop();
#ifndef ORVEX_DOCSTORE_SERVER_H_
#define ORVEX_DOCSTORE_SERVER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex::docstore {

// How connections may use the server. A connection past a limit is ended;
// one that would pass a connection count is answered 503 and closed.
struct ConnectionLimits {
  size_t max_connections = 256;       // open at once
  size_t max_per_address = 64;        // open at once from one client address
  int64_t header_timeout_ms = 10000;  // a request's line and headers, from its first byte
  int64_t idle_timeout_ms = 30000;    // between requests of a kept-alive connection
  // Reading a request body and writing an answer must move at least
  // min_bytes_per_second, measured over each rate_window_ms.
  uint64_t min_bytes_per_second = 1024;
  int64_t rate_window_ms = 10000;
  // Each connection's socket send buffer: what an answer the client does not
  // read can hold in the kernel, beside the one piece the server holds (the
  // kernel counts twice this for its bookkeeping). 0 leaves it to the
  // kernel, which grows it up to several MiB.
  int send_buffer_bytes = 256 * 1024;
  // A kept-alive connection idle this long between requests gives up its
  // thread and buffers (it is parked) until its next request arrives; the
  // idle timeout still ends it.
  int64_t park_after_ms = 50;
};

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 0;      // 0: an ephemeral port
  std::string seed_file;  // JSON seed; empty: the built-in sample store
  std::string seed_json;  // the seed text itself; wins over seed_file
  // A folder (SQLite), a postgresql:// URL, or empty: in memory.
  std::string store_dir;
  // TLS: the certificate chain (PEM, the server's certificate first) and its
  // private key (PEM). Both empty: the server speaks in clear.
  std::string tls_cert_file;
  std::string tls_key_file;
  ConnectionLimits limits;
  // Peer addresses (load balancers in front of this node) whose
  // X-Forwarded-For names the client the log-in throttle counts for.
  std::vector<std::string> trusted_proxies;
};

class Server {
 public:
  explicit Server(ServerOptions options);
  ~Server();  // Stop()s
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Opens the store (seeding it when it is new), binds and serves on
  // background threads. Throws std::runtime_error with a clear message when
  // the seed is unusable, the store cannot be opened, the TLS certificate or
  // key cannot be used or the address cannot be bound. Calling it on a started server does nothing.
  void Start();
  // Stops accepting, ends every connection and closes the store. Idempotent.
  void Stop();

  uint16_t port() const;  // the bound port (0 before Start)
  const std::string& address() const;
  // The host names the store answers for (the sample store: {"docs"}).
  std::vector<std::string> host_names() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_SERVER_H_
