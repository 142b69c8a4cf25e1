#include "automation/create_object.h"

#include "automation/connect_orvex.h"
#include "automation/identity.h"
#include "automation/property_class1_object.h"
#include "platform/text.h"

namespace orvex::automation {

std::shared_ptr<Dispatch> CreateObject(std::string_view name) {
  auto is = [name](std::string_view prog_id, std::string_view clsid) {
    return platform::CompareNoCase(name, prog_id) == 0 || platform::CompareNoCase(name, clsid) == 0;
  };
  if (is(kConnectOrvexProgId, kConnectOrvexClsid)) return std::make_shared<ConnectOrvex>();
  if (is(kPropertyClass1ProgId, kPropertyClass1Clsid))
    return std::make_shared<PropertyClass1Object>();
  throw AutomationError(kErrCannotCreateObject);
}

}  // namespace orvex::automation
