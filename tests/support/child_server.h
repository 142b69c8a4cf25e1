// A server program run in the foreground as a child of the test, for the
// suites that drive servers other projects wrote.
#ifndef ORVEX_TESTS_SUPPORT_CHILD_SERVER_H_
#define ORVEX_TESTS_SUPPORT_CHILD_SERVER_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace orvex::testing {

class ChildServer {
 public:
  ChildServer() = default;
  ~ChildServer();  // stops the program
  ChildServer(const ChildServer&) = delete;
  ChildServer& operator=(const ChildServer&) = delete;

  // Runs `program` with `args` (argv[0] first) as a child that dies with
  // the test, and waits up to `tries` times 50 ms until 127.0.0.1:`port`
  // accepts. False when it did not come up.
  bool Start(const std::string& program, const std::vector<std::string>& args, int port,
             int tries = 200);

 private:
  pid_t pid_ = -1;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_CHILD_SERVER_H_
