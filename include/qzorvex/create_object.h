// Creating the library's automation objects by ProgID or CLSID, the way an
// automation client does.
//
// Thread safety: CreateObject may be called from any thread; each object it
// makes then belongs to one thread at a time (connect_orvex.h).
#ifndef QZORVEX_CREATE_OBJECT_H_
#define QZORVEX_CREATE_OBJECT_H_

#include <memory>
#include <string_view>

#include "qzorvex/dispatch.h"

namespace qzorvex {

inline constexpr std::string_view kConnectOrvexProgId = "Linkora.ConnectOrvex";
inline constexpr std::string_view kPropertyClass1ProgId = "Linkora.PropertyClass1";

// A new object of the class named by `name`: a ProgID ("Linkora.ConnectOrvex",
// "Linkora.PropertyClass1", compared case-insensitively) or a CLSID in
// braces. Throws AutomationError 429 for any other name.
std::shared_ptr<Dispatch> CreateObject(std::string_view name);

}  // namespace qzorvex

#endif  // QZORVEX_CREATE_OBJECT_H_
