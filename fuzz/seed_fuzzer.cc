// The seed loader: any text either loads into a fresh store or is refused
// with a message, and never leaves the loader in a state that crashes.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "docstore/seed.h"
#include "docstore/store.h"

using namespace orvex::docstore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Store store("");
  try {
    LoadSeed(store, text);
  } catch (const std::exception&) {
  }
  return 0;
}
