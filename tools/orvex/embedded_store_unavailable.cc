// Stand-in for builds without the docstore library: --embedded explains
// itself instead of failing to link.
#include <stdexcept>

#include "embedded_store.h"

namespace orvex::console {

struct EmbeddedStore::State {
  std::vector<std::string> host_names;
};

EmbeddedStore::EmbeddedStore(const Options&) {
  throw std::runtime_error("this orvex was built without the docstore library");
}

EmbeddedStore::~EmbeddedStore() = default;

uint16_t EmbeddedStore::port() const { return 0; }

const std::vector<std::string>& EmbeddedStore::host_names() const { return state_->host_names; }

}  // namespace orvex::console
