// Creating the library's public objects by ProgID or CLSID.
#ifndef ORVEX_AUTOMATION_CREATE_OBJECT_H_
#define ORVEX_AUTOMATION_CREATE_OBJECT_H_

#include <memory>
#include <string_view>

#include "platform/dispatch.h"

namespace orvex::automation {

// A new object of the class named by `name`: a ProgID ("Linkora.ConnectOrvex",
// "Linkora.PropertyClass1", compared case-insensitively) or a CLSID in braces.
// Throws AutomationError(429) for any other name.
std::shared_ptr<Dispatch> CreateObject(std::string_view name);

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_CREATE_OBJECT_H_
