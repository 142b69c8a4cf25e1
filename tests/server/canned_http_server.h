// A small HTTP/1.1 server for tests: answers each request with whatever the
// test's handler returns and records every request it read.
//
// It listens on 127.0.0.1 with an ephemeral port, serves each connection on
// its own thread with keep-alive, and numbers connections in accept order so
// tests can tell whether the client reused one.
#ifndef ORVEX_TESTS_SERVER_CANNED_HTTP_SERVER_H_
#define ORVEX_TESTS_SERVER_CANNED_HTTP_SERVER_H_

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orvex::testing {

struct RecordedRequest {
  std::string method;
  std::string target;                          // as sent: "/Sales/My%20Reports"
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
  int connection = 0;  // 1 for the first accepted connection, and so on

  std::string Header(const std::string& lower_name) const;
};

struct CannedReply {
  enum class Ending {
    kComplete,     // the whole reply, then keep the connection open
    kTruncated,    // announce more body than is sent, then close
    kCloseAtOnce,  // close the connection without answering
  };

  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  Ending ending = Ending::kComplete;

  // A 207 with an XML content type and `xml` as body.
  static CannedReply Multistatus(std::string xml);
  static CannedReply Status(int status);
};

class CannedHttpServer {
 public:
  using Handler = std::function<CannedReply(const RecordedRequest&)>;

  explicit CannedHttpServer(Handler handler);
  ~CannedHttpServer();
  CannedHttpServer(const CannedHttpServer&) = delete;
  CannedHttpServer& operator=(const CannedHttpServer&) = delete;

  int port() const { return port_; }
  std::vector<RecordedRequest> requests() const;
  void ClearRequests();
  int connections() const { return connections_.load(); }

 private:
  void AcceptLoop();
  void Serve(int fd, int connection);

  Handler handler_;
  int listen_fd_ = -1;
  int port_ = 0;
  int wake_[2] = {-1, -1};  // written to stop the accept loop
  std::atomic<int> connections_{0};
  mutable std::mutex mu_;
  std::vector<RecordedRequest> requests_;
  std::vector<int> open_fds_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SERVER_CANNED_HTTP_SERVER_H_
