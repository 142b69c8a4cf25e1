// Ctrl-C at the interactive prompt.
//
// While an InterruptHandler lives, SIGINT does not end the process: it marks
// an interrupt as requested and makes wake_fd() readable. The line editor
// takes it as "abandon the line being typed", the interpreter (between
// statements and after each member call) as "abandon the statement", and
// the HTTP transfers in progress as "stop now", which makes the member
// running fail as on a lost connection. Whoever acts on it clears it.
// Without a handler (a script run), SIGINT keeps its default and ends the
// process.
#ifndef ORVEX_TOOLS_ORVEX_INTERRUPT_H_
#define ORVEX_TOOLS_ORVEX_INTERRUPT_H_

namespace orvex::console {

// Whether an interrupt waits to be acted on. Safe from any thread.
bool InterruptRequested();

// What SIGINT does under a handler; tests call it to stand for Ctrl-C.
// Async-signal-safe.
void RequestInterrupt();

// Forgets the interrupt once it has been acted on (and empties wake_fd()).
void ClearInterrupt();

class InterruptHandler {
 public:
  // Installs the handler; throws std::system_error when it cannot.
  InterruptHandler();
  // Restores what SIGINT did before.
  ~InterruptHandler();
  InterruptHandler(const InterruptHandler&) = delete;
  InterruptHandler& operator=(const InterruptHandler&) = delete;

  // Readable while an interrupt is requested; for poll() beside the input.
  int wake_fd() const;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_INTERRUPT_H_
