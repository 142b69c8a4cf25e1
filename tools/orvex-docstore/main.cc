// orvex-docstore: serves a document store over WebDAV until SIGINT/SIGTERM.
//
//   orvex-docstore [--listen ADDR:PORT] [--seed FILE] [--store DIR|URL]
//                  [--tls-cert FILE --tls-key FILE] [--trusted-proxy ADDR]...
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "docstore/server.h"
#include "qzorvex/version.h"

namespace {

void Usage(std::FILE* out) {
  std::fputs(
      "usage: orvex-docstore [--listen ADDR:PORT] [--seed FILE] [--store DIR|URL]\n"
      "                      [--tls-cert FILE --tls-key FILE] [--trusted-proxy ADDR]...\n"
      "  --listen ADDR:PORT  address to serve on (default 127.0.0.1:0, an ephemeral port)\n"
      "  --seed FILE         JSON seed for a new store (default: the built-in sample store)\n"
      "  --store DIR         keep the store in DIR (default: in memory)\n"
      "  --store URL         keep it in the PostgreSQL database at URL\n"
      "                      (postgresql://USER@HOST:PORT/DB), shared with other nodes\n"
      "  --tls-cert FILE     serve HTTPS with this certificate chain (PEM)\n"
      "  --tls-key FILE      and this private key (PEM)\n"
      "  --trusted-proxy ADDR\n"
      "                      a load balancer in front of this node: its\n"
      "                      X-Forwarded-For names the client the failed-log-in\n"
      "                      throttle counts for (repeat for several)\n",
      out);
}

bool ParseListen(const std::string& text, orvex::docstore::ServerOptions& options) {
  auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return false;
  unsigned long value = std::stoul(port);
  if (value > 65535) return false;
  options.address = host;
  options.port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  orvex::docstore::ServerOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "orvex-docstore: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--listen") {
      std::string listen = value();
      if (!ParseListen(listen, options)) {
        std::fprintf(stderr, "orvex-docstore: --listen wants ADDR:PORT, not %s\n", listen.c_str());
        return 2;
      }
    } else if (arg == "--seed") {
      options.seed_file = value();
    } else if (arg == "--store") {
      options.store_dir = value();
    } else if (arg == "--tls-cert") {
      options.tls_cert_file = value();
    } else if (arg == "--tls-key") {
      options.tls_key_file = value();
    } else if (arg == "--trusted-proxy") {
      options.trusted_proxies.push_back(value());
    } else if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("orvex-docstore %s\n", QZORVEX_VERSION_STRING);
      return 0;
    } else {
      std::fprintf(stderr, "orvex-docstore: unknown argument %s\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }

  // The signals are taken by sigwait below; block them before any server
  // thread exists so every thread inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  orvex::docstore::Server server(options);
  try {
    server.Start();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvex-docstore: %s\n", e.what());
    return 1;
  }
  std::string shown = server.address().find(':') != std::string::npos ? "[" + server.address() + "]"
                                                                      : server.address();
  std::cout << "listening on " << shown << ":" << server.port() << std::endl;

  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  std::cout << "stopped" << std::endl;
  return 0;
}
