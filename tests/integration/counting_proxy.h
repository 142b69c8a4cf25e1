// A loopback TCP relay in front of a server that counts what passes it: the
// connections clients open and the HTTP requests they send. Tests put it
// between the library and the docstore to see how many requests an
// operation costs and whether they share one kept-alive connection.
//
// In front of a store serving TLS, the relay ends the clients' TLS with a
// certificate of its own and speaks TLS to the store, so that it still sees
// the requests.
#ifndef ORVEX_TESTS_INTEGRATION_COUNTING_PROXY_H_
#define ORVEX_TESTS_INTEGRATION_COUNTING_PROXY_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvex::testing {

struct CertificateFiles;

class CountingProxy {
 public:
  // Relays 127.0.0.1:port() to 127.0.0.1:target_port; over TLS at both ends
  // when `tls` names the certificate to serve. Throws std::runtime_error
  // when that certificate cannot be used.
  explicit CountingProxy(uint16_t target_port, const CertificateFiles* tls = nullptr);
  ~CountingProxy();
  CountingProxy(const CountingProxy&) = delete;
  CountingProxy& operator=(const CountingProxy&) = delete;

  uint16_t port() const { return port_; }
  int connections() const { return connections_.load(); }
  // Request lines seen so far ("PROPFIND /Sales/ HTTP/1.1" -> counted once).
  int requests() const { return requests_.load(); }
  // The methods of the requests seen, in order.
  std::vector<std::string> methods() const;
  // Forgets the requests seen so far (connections stay counted).
  void Reset();

 private:
  void Accept();
  void Relay(int client);

  struct Tls;
  uint16_t target_;
  std::unique_ptr<Tls> tls_;  // null in clear
  uint16_t port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> requests_{0};
  mutable std::mutex methods_mutex_;
  std::vector<std::string> methods_;
  std::thread acceptor_;
  std::vector<std::thread> relays_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_INTEGRATION_COUNTING_PROXY_H_
