#include "automation/registration.h"

#include <dlfcn.h>

#include <string_view>

#include "automation/identity.h"
#include "platform/registry.h"

namespace orvex::automation {
namespace {

using platform::Hive;
using platform::Registry;

constexpr char kDispatchProxy[] = "{00020424-0000-0000-C000-000000000046}";
constexpr char kVersion[] = "1.0";

std::string S(std::string_view s) { return std::string(s); }

void WriteClass(Registry& r, std::string_view clsid, std::string_view prog_id,
                const std::string& module_path) {
  const std::string key = "CLSID\\" + S(clsid);
  r.SetValue(Hive::kClassesRoot, key, "", S(prog_id));
  r.SetValue(Hive::kClassesRoot, key + "\\InprocServer32", "", module_path);
  r.SetValue(Hive::kClassesRoot, key + "\\InprocServer32", "ThreadingModel", S("Apartment"));
  r.SetValue(Hive::kClassesRoot, key + "\\ProgID", "", S(prog_id));
  r.SetValue(Hive::kClassesRoot, key + "\\Programmable", "", S(""));
  r.SetValue(Hive::kClassesRoot, key + "\\TypeLib", "", S(kLibId));
  r.SetValue(Hive::kClassesRoot, key + "\\VERSION", "", S(kVersion));
  r.SetValue(Hive::kClassesRoot, S(prog_id), "", S(prog_id));
  r.SetValue(Hive::kClassesRoot, S(prog_id) + "\\Clsid", "", S(clsid));
}

void WriteInterface(Registry& r, std::string_view iid, std::string_view name) {
  const std::string key = "Interface\\" + S(iid);
  r.SetValue(Hive::kClassesRoot, key, "", S(name));
  r.SetValue(Hive::kClassesRoot, key + "\\ProxyStubClsid", "", S(kDispatchProxy));
  r.SetValue(Hive::kClassesRoot, key + "\\ProxyStubClsid32", "", S(kDispatchProxy));
  r.SetValue(Hive::kClassesRoot, key + "\\TypeLib", "", S(kLibId));
  r.SetValue(Hive::kClassesRoot, key + "\\TypeLib", "Version", S(kVersion));
}

}  // namespace

bool RegisterServer(const std::string& registry_file, const std::string& module_path) {
  Registry r(registry_file);
  if (!r.Load()) return false;
  WriteClass(r, kConnectOrvexClsid, kConnectOrvexProgId, module_path);
  WriteClass(r, kPropertyClass1Clsid, kPropertyClass1ProgId, module_path);
  WriteInterface(r, kConnectOrvexIid, kConnectOrvexInterface);
  for (std::string_view alias : kConnectOrvexAliasIids)
    WriteInterface(r, alias, kConnectOrvexInterface);
  WriteInterface(r, kPropertyClass1Iid, kPropertyClass1Interface);
  const std::string lib = "TypeLib\\" + S(kLibId) + "\\" + kVersion;
  r.SetValue(Hive::kClassesRoot, lib, "", S(kTypeLibHelp));
  r.SetValue(Hive::kClassesRoot, lib + "\\0\\linux", "", module_path);
  r.SetValue(Hive::kClassesRoot, lib + "\\FLAGS", "", S("0"));
  return r.Save();
}

bool UnregisterServer(const std::string& registry_file) {
  Registry r(registry_file);
  if (!r.Load()) return false;
  for (auto [clsid, prog_id] : {std::pair{kConnectOrvexClsid, kConnectOrvexProgId},
                                std::pair{kPropertyClass1Clsid, kPropertyClass1ProgId}}) {
    r.DeleteTree(Hive::kClassesRoot, "CLSID\\" + S(clsid));
    r.DeleteTree(Hive::kClassesRoot, S(prog_id));
  }
  r.DeleteTree(Hive::kClassesRoot, "Interface\\" + S(kConnectOrvexIid));
  for (std::string_view alias : kConnectOrvexAliasIids)
    r.DeleteTree(Hive::kClassesRoot, "Interface\\" + S(alias));
  r.DeleteTree(Hive::kClassesRoot, "Interface\\" + S(kPropertyClass1Iid));
  r.DeleteTree(Hive::kClassesRoot, "TypeLib\\" + S(kLibId));
  return r.Save();
}

}  // namespace orvex::automation

namespace {

// The file this code was loaded from: the library, or the program it is
// linked into.
std::string ThisModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) != 0 && info.dli_fname != nullptr)
    return info.dli_fname;
  return {};
}

constexpr int kSelfRegError = static_cast<int>(0x80040200u);  // registration failed

}  // namespace

extern "C" int DllRegisterServer() {
  return orvex::automation::RegisterServer(orvex::platform::RegistryFilePath(), ThisModulePath())
             ? 0
             : kSelfRegError;
}

extern "C" int DllUnregisterServer() {
  return orvex::automation::UnregisterServer(orvex::platform::RegistryFilePath()) ? 0
                                                                                  : kSelfRegError;
}
