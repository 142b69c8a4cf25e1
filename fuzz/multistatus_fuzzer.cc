// The client's reading of a 207 answer: any body either parses or is
// refused with the provider's generic failure, never anything worse.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/error.h"
#include "server/webdav/multistatus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view body(reinterpret_cast<const char*>(data), size);
  try {
    (void)orvex::server::webdav::ParseMultistatus(body);
  } catch (const orvex::server::Error&) {
  }
  return 0;
}
