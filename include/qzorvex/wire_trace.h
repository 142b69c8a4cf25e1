// The wire trace: every HTTP exchange the library makes, written to a file
// for a user to see why a call failed (docs/provider.md shows how to read
// it). Off by default; QZORVEX_TRACE=FILE in the environment turns it on at
// the first request. Credentials never appear in it.
#ifndef QZORVEX_WIRE_TRACE_H_
#define QZORVEX_WIRE_TRACE_H_

#include <string>

namespace qzorvex {

// Appends every later exchange to `path`; an empty path stops the trace.
// Throws std::invalid_argument when the file cannot be opened.
void SetWireTrace(const std::string& path);

}  // namespace qzorvex

#endif  // QZORVEX_WIRE_TRACE_H_
