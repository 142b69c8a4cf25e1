// Name checks for the names and paths a caller hands in.
#ifndef ORVEX_MODULE_NAMES_H_
#define ORVEX_MODULE_NAMES_H_

#include <string_view>

namespace orvex::module {

// False when `name` is empty or holds any of  / : * ? " \ | < >
bool IsValidName(std::string_view name);

// As IsValidName, but "/" is allowed, so a path of nested names passes.
bool IsValidPath(std::string_view path);

}  // namespace orvex::module

#endif  // ORVEX_MODULE_NAMES_H_
