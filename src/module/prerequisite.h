// The prerequisite check: are the document server's client components
// installed on this computer?
#ifndef ORVEX_MODULE_PREREQUISITE_H_
#define ORVEX_MODULE_PREREQUISITE_H_

#include <string>

namespace orvex::module {

// The product key and name the client components' installer registers.
inline constexpr char kClientProductKey[] = "64BB78C5AA2D29747A6372E627A870D9";
inline constexpr char kClientProductName[] =
    "Client Components for Microsoft SharePoint Portal Server 2001";

// True when both the machine view (key SOFTWARE\Classes\Installer\Products\<key>
// under HKEY_LOCAL_MACHINE) and the classes view (key
// Installer\Products\<product key> under HKEY_CLASSES_ROOT) of the registry
// file carry a "ProductName" beginning with the product name (exact case).
// Never raises.
bool IsClientInstalled(const std::string& registry_file);
// The same on the platform's registry file.
bool IsClientInstalled();

// Writes both product entries into the registry file (installation).
bool RegisterClientComponents(const std::string& registry_file);

}  // namespace orvex::module

#endif  // ORVEX_MODULE_PREREQUISITE_H_
