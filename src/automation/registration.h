// Registration of the library's identity in the platform registry: the two
// classes with their ProgIDs, the interfaces (with the earlier identifiers of
// _ConnectOrvex) and the type library.
#ifndef ORVEX_AUTOMATION_REGISTRATION_H_
#define ORVEX_AUTOMATION_REGISTRATION_H_

#include <string>

namespace orvex::automation {

// Writes every key of the library's identity into `registry_file`, naming
// `module_path` as the in-process server. False when the file cannot be
// read or written.
bool RegisterServer(const std::string& registry_file, const std::string& module_path);
// Removes every key RegisterServer writes; other keys are kept.
bool UnregisterServer(const std::string& registry_file);

}  // namespace orvex::automation

// The standard entry points of an in-process server, on the platform's
// registry file. They answer 0 on success and a failure code otherwise.
extern "C" int DllRegisterServer();
extern "C" int DllUnregisterServer();

#endif  // ORVEX_AUTOMATION_REGISTRATION_H_
