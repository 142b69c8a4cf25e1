#include "support/child_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/ports.h"

namespace orvex::testing {

ChildServer::~ChildServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

bool ChildServer::Start(const std::string& program, const std::vector<std::string>& args, int port,
                        int tries, const std::string& log) {
  // The argument vector is built before the fork: the child only execs.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a crashed test
    if (!log.empty()) {
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      if (fd >= 0) {
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
      }
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  for (int i = 0; i < tries; ++i) {
    if (LoopbackAccepts(port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace orvex::testing
