// A docstore running inside the console for the length of one session.
#ifndef ORVEX_TOOLS_ORVEX_EMBEDDED_STORE_H_
#define ORVEX_TOOLS_ORVEX_EMBEDDED_STORE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "options.h"

namespace orvex::console {

class EmbeddedStore {
 public:
  // Starts a docstore on 127.0.0.1 with an ephemeral port, seeded from
  // options.seed_file (the built-in sample store when empty) and kept in
  // options.store_dir (in memory when empty), and maps each host name it
  // answers for to that port. Throws std::runtime_error when it cannot
  // start.
  explicit EmbeddedStore(const Options& options);

  // Removes the host mappings and stops the docstore.
  ~EmbeddedStore();

  EmbeddedStore(const EmbeddedStore&) = delete;
  EmbeddedStore& operator=(const EmbeddedStore&) = delete;

  uint16_t port() const;
  const std::vector<std::string>& host_names() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_EMBEDDED_STORE_H_
