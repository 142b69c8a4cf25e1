#include "module/names.h"

namespace orvex::module {

bool IsValidName(std::string_view name) {
  return !name.empty() && name.find_first_of("/:*?\"\\|<>") == std::string_view::npos;
}

bool IsValidPath(std::string_view path) {
  return !path.empty() && path.find_first_of(":*?\"\\|<>") == std::string_view::npos;
}

}  // namespace orvex::module
