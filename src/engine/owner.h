// What an engine sees of the automation object that owns it: the object's
// properties, which operations read at the moment they need them and the
// selection dialogs write; the object's own folder and category members,
// which the selection dialogs call back when the person creates or deletes
// a folder or a category; and the forms shown on the object's behalf.
#ifndef ORVEX_ENGINE_OWNER_H_
#define ORVEX_ENGINE_OWNER_H_

#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/forms.h"

namespace orvex::engine {

struct ConnectProperties {
  std::string SelectFolder;
  std::string SelectWorkspace;
  std::string SelectCategory;
  std::string Author;
  std::string Title;
  std::string Description;
  std::string Keywords;
  int16_t OverWrite = 1;
  bool ShowDialog = true;
  bool AddCheckIn = false;
  std::string CheckInComment;
  bool ShowProfileDialog = false;
  bool AddPublish = false;
};

class Owner {
 public:
  virtual ~Owner() = default;
  virtual ConnectProperties& Properties() = 0;

  // The object's plain members of the same names, run exactly as a host
  // calling them by name would: on the default connection, with the same
  // connected test and workspace check, whichever connection the calling
  // dialog belongs to.
  virtual bool CreateFolder(const std::string& Folder, bool Version) = 0;
  virtual bool DeleteFolder(const std::string& Folder) = 0;
  virtual bool CreateCategory(const std::string& Category) = 0;
  virtual bool DeleteCategory(const std::string& Category) = 0;

  // The forms the engine shows for this object. An owner that never lets
  // the engine show one keeps this default, which throws std::logic_error;
  // the operations trap it as any other failure.
  virtual Forms& forms() { throw std::logic_error("the owning object shows no forms"); }
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_OWNER_H_
