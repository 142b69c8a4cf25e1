// Loopback ports for tests.
#ifndef ORVEX_TESTS_SUPPORT_PORTS_H_
#define ORVEX_TESTS_SUPPORT_PORTS_H_

namespace orvex::testing {

// A loopback port nothing listens on at the moment of the call.
int FreeLoopbackPort();

// Whether something accepts connections on 127.0.0.1:port.
bool LoopbackAccepts(int port);

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_PORTS_H_
