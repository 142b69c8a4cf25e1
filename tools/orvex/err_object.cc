#include "err_object.h"

#include "interpreter.h"
#include "platform/text.h"

namespace orvex::console {
namespace {

enum Member : int32_t { kNumber = 1, kDescription, kSource, kClear, kRaise };

constexpr std::string_view kNames[] = {"Number", "Description", "Source", "Clear", "Raise"};

// Reads or assigns a text or number property, as `kind` says.
template <typename T>
Variant Access(T& field, InvokeKind kind, std::span<Variant> args) {
  bool let = kind == InvokeKind::kPropertyLet;
  if (args.size() != (let ? 1u : 0u)) throw AutomationError(kErrWrongArgumentCount);
  if (!let) return Variant(field);
  if constexpr (std::is_same_v<T, std::string>)
    field = args[0].ToString();
  else
    field = args[0].ToInt32();
  return {};
}

}  // namespace

void ErrObject::Set(const AutomationError& error) {
  const auto* raised = dynamic_cast<const RaisedError*>(&error);
  Set(error.number(), error.what(), raised ? raised->source() : std::string());
}

std::span<const std::string_view> ErrObject::MemberNames() { return kNames; }

std::optional<int32_t> ErrObject::GetIdOfName(std::string_view name) const {
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kNames)); ++i)
    if (platform::CompareNoCase(name, kNames[i]) == 0) return i + 1;
  return std::nullopt;
}

Variant ErrObject::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  if (kind == InvokeKind::kPropertyPutRef) throw AutomationError(kErrMemberNotFound);
  bool let = kind == InvokeKind::kPropertyLet;
  switch (dispid) {
    case kNumber:
      return Access(number_, kind, args);
    case kDescription:
      return Access(description_, kind, args);
    case kSource:
      return Access(source_, kind, args);
    case kClear:
      if (let) throw AutomationError(kErrMemberNotFound);
      if (!args.empty()) throw AutomationError(kErrWrongArgumentCount);
      Clear();
      return {};
    case kRaise: {
      if (let) throw AutomationError(kErrMemberNotFound);
      if (args.empty() || args.size() > 3) throw AutomationError(kErrWrongArgumentCount);
      int32_t number = args[0].ToInt32();
      // 0 means "no error", so it cannot be raised.
      if (number == 0)
        throw AutomationError(kErrInvalidCall, "Invalid procedure call or argument: Err.Raise 0");
      std::string source = args.size() > 1 ? args[1].ToString() : std::string();
      std::string description =
          args.size() > 2 ? args[2].ToString() : RuntimeErrorDescription(number);
      throw RaisedError(number, std::move(source), std::move(description));
    }
    default:
      throw AutomationError(kErrMemberNotFound);
  }
}

}  // namespace orvex::console
