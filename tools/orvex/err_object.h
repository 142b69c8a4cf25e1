// The built-in Err object: the last run-time error a script met.
//
// Members: Number, Description and Source (read/write), Clear, and
// Raise(number [, source [, description]]). The interpreter fills it
// whenever a statement fails and clears it on every On Error statement, so
// a script under On Error Resume Next tests Err.Number after a call that
// may fail. Raise fails the statement with an error of the script's own:
// the description defaults to the runtime's text for that number, and the
// source is kept in Err.Source (empty for every other error).
#ifndef ORVEX_TOOLS_ORVEX_ERR_OBJECT_H_
#define ORVEX_TOOLS_ORVEX_ERR_OBJECT_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/dispatch.h"

namespace orvex::console {

// The error Err.Raise throws: an automation error that names its source.
class RaisedError : public AutomationError {
 public:
  RaisedError(int32_t number, std::string source, std::string description)
      : AutomationError(number, std::move(description)), source_(std::move(source)) {}
  const std::string& source() const { return source_; }

 private:
  std::string source_;
};

class ErrObject : public Dispatch {
 public:
  void Set(int32_t number, std::string description, std::string source = {}) {
    number_ = number;
    description_ = std::move(description);
    source_ = std::move(source);
  }
  // Takes a failed statement's error, with its source when Err.Raise made it.
  void Set(const AutomationError& error);
  void Clear() { Set(0, {}); }
  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

  // Number, Description, Source, Clear and Raise.
  static std::span<const std::string_view> MemberNames();

  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

 private:
  int32_t number_ = 0;
  std::string description_;
  std::string source_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_ERR_OBJECT_H_
