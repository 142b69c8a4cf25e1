#include "module/prerequisite.h"

#include <string_view>

#include "platform/registry.h"

namespace orvex::module {
namespace {

using platform::Hive;

const std::string kMachineKey =
    std::string("SOFTWARE\\Classes\\Installer\\Products\\") + kClientProductKey;
const std::string kClassesKey = std::string("Installer\\Products\\") + kClientProductKey;

// Opens one view's product key and compares the start of its product name.
bool ViewCarriesProduct(const platform::Registry& registry, Hive hive, const std::string& key) {
  if (!registry.KeyExists(hive, key)) return false;
  auto name = registry.QueryString(hive, key, "ProductName");
  if (!name) return false;
  std::string_view expected = kClientProductName;
  return std::string_view(*name).substr(0, expected.size()) == expected;
}

}  // namespace

bool IsClientInstalled(const std::string& registry_file) {
  platform::Registry registry(registry_file);
  if (!registry.Load()) return false;
  return ViewCarriesProduct(registry, Hive::kLocalMachine, kMachineKey) &&
         ViewCarriesProduct(registry, Hive::kClassesRoot, kClassesKey);
}

bool IsClientInstalled() { return IsClientInstalled(platform::RegistryFilePath()); }

bool RegisterClientComponents(const std::string& registry_file) {
  platform::Registry registry(registry_file);
  if (!registry.Load()) return false;
  registry.SetValue(Hive::kLocalMachine, kMachineKey, "ProductName",
                    std::string(kClientProductName));
  registry.SetValue(Hive::kClassesRoot, kClassesKey, "ProductName",
                    std::string(kClientProductName));
  return registry.Save();
}

}  // namespace orvex::module
