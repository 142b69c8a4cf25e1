// An automation object that keeps what went wrong in its calls beside the
// codes it reports, so a host such as the console can show it.
#ifndef ORVEX_PLATFORM_FAILURE_SOURCE_H_
#define ORVEX_PLATFORM_FAILURE_SOURCE_H_

#include <optional>
#include <string_view>

#include "qzorvex/errors.h"

namespace orvex {

class FailureSource {
 public:
  virtual ~FailureSource() = default;
  // The failure behind the code the connection `member` works on holds now;
  // nullopt when that code is 0, no call left one, or `member` is no member.
  virtual std::optional<qzorvex::Failure> FailureOf(std::string_view member) const = 0;
};

}  // namespace orvex

#endif  // ORVEX_PLATFORM_FAILURE_SOURCE_H_
