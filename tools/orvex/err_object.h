// The built-in Err object: the last run-time error a script met.
//
// Members: Number (read/write), Description (read/write), Clear. The
// interpreter fills it whenever a statement fails and clears it on every
// On Error statement, so a script under On Error Resume Next tests
// Err.Number after a call that may fail.
#ifndef ORVEX_TOOLS_ORVEX_ERR_OBJECT_H_
#define ORVEX_TOOLS_ORVEX_ERR_OBJECT_H_

#include <cstdint>
#include <string>

#include "platform/dispatch.h"

namespace orvex::console {

class ErrObject : public Dispatch {
 public:
  void Set(int32_t number, std::string description) {
    number_ = number;
    description_ = std::move(description);
  }
  void Clear() { Set(0, {}); }
  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }

  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

 private:
  int32_t number_ = 0;
  std::string description_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_ERR_OBJECT_H_
