// What an engine sees of the automation object that owns it: the object's
// properties, which operations read at the moment they need them and the
// selection dialogs write.
#ifndef ORVEX_ENGINE_OWNER_H_
#define ORVEX_ENGINE_OWNER_H_

#include <cstdint>
#include <string>

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
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_OWNER_H_
