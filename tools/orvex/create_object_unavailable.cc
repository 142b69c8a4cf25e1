// Stand-in for builds without the automation library: CreateObject knows
// no class, so a script fails with error 429 and says why.
#include "automation/create_object.h"

namespace orvex::automation {

std::shared_ptr<Dispatch> CreateObject(std::string_view name) {
  throw AutomationError(kErrCannotCreateObject, RuntimeErrorDescription(kErrCannotCreateObject) +
                                                    ": '" + std::string(name) +
                                                    "' (built without the automation library)");
}

}  // namespace orvex::automation
