#include "interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace orvex::console {
namespace {

std::atomic<bool> requested{false};
// The pipe of the handler that lives, or -1s; both ends non-blocking.
std::atomic<int> wake_read{-1};
std::atomic<int> wake_write{-1};
struct sigaction previous;

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

void OnSigint(int) { RequestInterrupt(); }

}  // namespace

bool InterruptRequested() { return requested.load(); }

void RequestInterrupt() {
  int saved_errno = errno;
  requested.store(true);
  int fd = wake_write.load();
  if (fd >= 0) {
    char byte = 1;
    // A full pipe already wakes the reader.
    [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved_errno;
}

void ClearInterrupt() {
  requested.store(false);
  int fd = wake_read.load();
  if (fd < 0) return;
  char buffer[64];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
}

InterruptHandler::InterruptHandler() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe for Ctrl-C");
  wake_read = fds[0];
  wake_write = fds[1];
  struct sigaction action = {};
  action.sa_handler = &OnSigint;
  sigemptyset(&action.sa_mask);
  // Calls under way restart; the prompt waits in poll() on wake_fd().
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGINT, &action, &previous) != 0) {
    int e = errno;
    ::close(fds[0]);
    ::close(fds[1]);
    wake_read = wake_write = -1;
    throw std::system_error(e, std::generic_category(), "handler for Ctrl-C");
  }
}

InterruptHandler::~InterruptHandler() {
  ::sigaction(SIGINT, &previous, nullptr);
  ::close(wake_write.exchange(-1));
  ::close(wake_read.exchange(-1));
  requested = false;
}

int InterruptHandler::wake_fd() const { return wake_read.load(); }

}  // namespace orvex::console
