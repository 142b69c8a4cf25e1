// The server's session loop fed arbitrary bytes as one client's connection:
// request lines, headers and bodies of HTTP/1.0 and 1.1, pipelined requests,
// pieces arriving apart and a close at any point. Whatever arrives, the
// session ends once the peer has closed, and everything it writes is a
// sequence of HTTP answers.
//
// The input is split into pieces at each 0xFF byte; the pieces are written
// to the connection one by one with a pause between them (the first 16),
// and the client's side closes after the last. The connection is a socket pair: the kernel's
// in-memory stream, so the session runs exactly as over TCP.
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "docstore/dav_handler.h"
#include "docstore/http_session.h"
#include "docstore/login_throttle.h"
#include "docstore/sample_store.h"
#include "docstore/seed.h"
#include "docstore/store.h"

using namespace orvex::docstore;

namespace {

struct World {
  World() : store("") {
    LoadSeed(store, SampleStoreJson());
    handler = std::make_unique<DavHandler>(store);
  }
  Store store;
  std::unique_ptr<DavHandler> handler;
  boost::asio::io_context io;
};

World& TheWorld() {
  static World* world = new World();
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& world = TheWorld();
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return 0;
  boost::asio::ip::tcp::socket socket(world.io);
  boost::system::error_code ec;
  socket.assign(boost::asio::ip::tcp::v4(), fds[0], ec);
  if (ec) {
    ::close(fds[0]);
    ::close(fds[1]);
    return 0;
  }
  // A throttle of its own for each input: one input's failed log-ins do not
  // slow the next one down.
  LoginThrottle throttle;
  ConnectionLimits limits;
  HttpSession session(std::move(socket), "127.0.0.1", *world.handler, limits, throttle);
  // A parked session is run again at once: its next read finds the input.
  std::thread server([&] {
    while (session.Run()) {
    }
  });

  std::string answers;
  std::thread reader([&] {
    char buf[65536];
    ssize_t n;
    // Read to the end (a session must never block on its peer here), kept
    // up to a bound.
    while ((n = ::read(fds[1], buf, sizeof buf)) > 0)
      if (answers.size() < (1u << 20)) answers.append(buf, static_cast<size_t>(n));
  });
  const char* bytes = reinterpret_cast<const char*>(data);
  size_t start = 0;
  int pauses = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && data[i] != 0xFF) continue;
    for (size_t done = start; done < i;) {
      ssize_t n = ::send(fds[1], bytes + done, i - done, MSG_NOSIGNAL);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (i < size && ++pauses <= 16) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    start = i + 1;
  }
  ::shutdown(fds[1], SHUT_WR);
  server.join();
  reader.join();
  ::close(fds[1]);
  if (!session.Finished()) __builtin_trap();
  if (!answers.empty() && answers.rfind("HTTP/1.1 ", 0) != 0) __builtin_trap();
  return 0;
}
