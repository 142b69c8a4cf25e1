// Loopback ports for tests.
#ifndef ORVEX_TESTS_SUPPORT_PORTS_H_
#define ORVEX_TESTS_SUPPORT_PORTS_H_

#include <cstdint>

namespace orvex::testing {

// A loopback port nothing listens on at the moment of the call.
int FreeLoopbackPort();

// Whether something accepts connections on 127.0.0.1:port.
bool LoopbackAccepts(int port);

// A socket (close-on-exec) listening on 127.0.0.1 at a port the system
// picks, which goes to `port`; throws std::runtime_error when it cannot.
int ListenOnLoopback(uint16_t& port, int backlog = 16);

// A socket (close-on-exec) connected to 127.0.0.1:port, or -1.
int ConnectToLoopback(uint16_t port);

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_PORTS_H_
