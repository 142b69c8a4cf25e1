// The platform registry: keys with named values, kept in a registry file in
// the Windows .reg export format ("Windows Registry Editor Version 5.00",
// UTF-8 text).
//
// Each root key is its own view: HKEY_CLASSES_ROOT is not merged from
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes, so a machine may carry an entry in one
// view and lack it in the other. Key and value names compare
// case-insensitively. String (REG_SZ) and DWORD values are understood; lines
// of other value types are skipped on load.
#ifndef ORVEX_PLATFORM_REGISTRY_H_
#define ORVEX_PLATFORM_REGISTRY_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvex::platform {

enum class Hive { kClassesRoot, kCurrentUser, kLocalMachine };

// The registry file used when none is given, fixed at build time.
std::string RegistryFilePath();

class Registry {
 public:
  using Value = std::variant<std::string, uint32_t>;

  // An empty registry bound to `path`; nothing is read until Load().
  explicit Registry(std::string path);

  // Reads the file. A missing file is an empty registry (true); an unreadable
  // or malformed one returns false and leaves the registry empty.
  bool Load();
  // Writes the whole registry back to its file, creating parent directories.
  bool Save() const;

  bool KeyExists(Hive hive, std::string_view key) const;
  // The string value `name` of `key` ("" names the default value); nullopt
  // when the key or the value is missing or the value is not a string.
  std::optional<std::string> QueryString(Hive hive, std::string_view key,
                                         std::string_view name) const;

  void SetValue(Hive hive, std::string_view key, std::string_view name, Value value);
  // Removes `key` and every key below it.
  void DeleteTree(Hive hive, std::string_view key);

 private:
  struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using Values = std::map<std::string, Value, NoCaseLess>;

  std::string path_;
  std::map<std::string, Values, NoCaseLess> keys_;  // full path, e.g. HKEY_CLASSES_ROOT\CLSID
};

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_REGISTRY_H_
