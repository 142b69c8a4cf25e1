// The host map: where the library reaches a server named by a bare host name.
//
// Server URLs carry bare host names ("http://docs/..."). A host mapped here
// is reached at the given address and port while requests keep the bare name
// in their Host header; a host not mapped is resolved normally on port 80.
// The map is process-wide.
//
// Thread safety: these functions may be called from any thread, also while
// other threads' connections send requests; a request is sent to the
// mapping as it stood when the request started.
#ifndef QZORVEX_HOST_MAP_H_
#define QZORVEX_HOST_MAP_H_

#include <string_view>

namespace qzorvex {

// Maps `host` (compared case-insensitively) to `address`, written
// "ADDR:PORT" or "[v6]:PORT", replacing any earlier mapping. Throws
// std::invalid_argument when `address` is not of that form.
void MapHost(std::string_view host, std::string_view address);
void UnmapHost(std::string_view host);
void ClearHostMap();

}  // namespace qzorvex

#endif  // QZORVEX_HOST_MAP_H_
