// Late-bound objects: the automation interface every creatable class exposes.
//
// Members are found by name (case-insensitively) and called by dispatch id.
// Arguments arrive in declaration order; an argument the caller passed by
// reference is written back into its element of `args` when the member
// returns, so a caller that keeps the vector sees the outputs.
//
// Thread safety: a Dispatch object is as safe as its class says (the
// library's classes: one thread at a time per object). AutomationError is a
// plain exception value; RuntimeErrorDescription may be called from any
// thread.
#ifndef QZORVEX_DISPATCH_H_
#define QZORVEX_DISPATCH_H_

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "qzorvex/variant.h"

namespace qzorvex {

// Runtime error numbers raised to automation callers.
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrObjectRequired = 424;
inline constexpr int32_t kErrCannotCreateObject = 429;
inline constexpr int32_t kErrMemberNotFound = 438;
inline constexpr int32_t kErrWrongArgumentCount = 450;

// An error raised across an automation call: a runtime error number and its
// description. Nothing else crosses the public interface.
class AutomationError : public std::runtime_error {
 public:
  AutomationError(int32_t number, std::string description)
      : std::runtime_error(description), number_(number) {}
  explicit AutomationError(int32_t number);
  int32_t number() const { return number_; }

 private:
  int32_t number_;
};

// The description the runtime gives for one of its error numbers.
std::string RuntimeErrorDescription(int32_t number);

// How a member is invoked: called, read, assigned a value (a script's
// `x.Prop = v`), or assigned by reference (`Set x.Prop = obj`), which binds an
// object (or Nothing) to the property instead of taking its value.
enum class InvokeKind { kMethod, kPropertyGet, kPropertyLet, kPropertyPutRef };

class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // The dispatch id of a member, or nullopt when the object has none by that
  // name (names compare case-insensitively).
  virtual std::optional<int32_t> GetIdOfName(std::string_view name) const = 0;

  // Calls member `dispid`. kMethod and kPropertyGet are interchangeable, as
  // in a script host: either reads a property or calls a method. For
  // kPropertyLet and kPropertyPutRef the new value is the last element of
  // `args`; only a property with a by-reference accessor takes
  // kPropertyPutRef. Throws AutomationError (438 for a member that cannot be
  // called this way, 450 for a wrong argument count, or the member's own
  // error).
  virtual Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) = 0;
};

}  // namespace qzorvex

#endif  // QZORVEX_DISPATCH_H_
