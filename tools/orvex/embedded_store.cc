#include "embedded_store.h"

#include "docstore/server.h"
#include "platform/host_map.h"

namespace orvex::console {

struct EmbeddedStore::State {
  explicit State(docstore::ServerOptions options) : server(std::move(options)) {}
  docstore::Server server;
  std::vector<std::string> host_names;
};

EmbeddedStore::EmbeddedStore(const Options& options) {
  docstore::ServerOptions server_options;
  server_options.address = "127.0.0.1";
  server_options.port = 0;
  server_options.seed_file = options.seed_file;
  server_options.store_dir = options.store_dir;
  state_ = std::make_unique<State>(std::move(server_options));
  state_->server.Start();
  state_->host_names = state_->server.host_names();
  for (const std::string& host : state_->host_names)
    platform::MapHost(host, {"127.0.0.1", state_->server.port()});
}

EmbeddedStore::~EmbeddedStore() {
  for (const std::string& host : state_->host_names) platform::UnmapHost(host);
  state_->server.Stop();
}

uint16_t EmbeddedStore::port() const { return state_->server.port(); }

const std::vector<std::string>& EmbeddedStore::host_names() const { return state_->host_names; }

}  // namespace orvex::console
