// The reference entry of a member, as docs/reference.md and the console's
// `help NAME` give it: its declarations, what it does and returns, the
// parameters it writes, the connected tests and failure values of its
// forms, the error codes it can leave and the order of calls it needs.
//
// Thread safety: may be called from any thread.
#ifndef QZORVEX_REFERENCE_H_
#define QZORVEX_REFERENCE_H_

#include <string>
#include <string_view>

namespace qzorvex {

// The entries of every member of ConnectOrvex and PropertyClass1 named
// `name` (case-insensitively; either form of a pair gives the same entry);
// "" when neither class has one.
std::string MemberReference(std::string_view name);

}  // namespace qzorvex

#endif  // QZORVEX_REFERENCE_H_
