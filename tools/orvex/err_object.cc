#include "err_object.h"

#include "platform/text.h"

namespace orvex::console {
namespace {

enum Member : int32_t { kNumber = 1, kDescription, kClear };

}  // namespace

std::optional<int32_t> ErrObject::GetIdOfName(std::string_view name) const {
  if (platform::CompareNoCase(name, "Number") == 0) return kNumber;
  if (platform::CompareNoCase(name, "Description") == 0) return kDescription;
  if (platform::CompareNoCase(name, "Clear") == 0) return kClear;
  return std::nullopt;
}

Variant ErrObject::Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  if (kind == InvokeKind::kPropertyPutRef) throw AutomationError(kErrMemberNotFound);
  bool let = kind == InvokeKind::kPropertyLet;
  switch (dispid) {
    case kNumber:
      if (args.size() != (let ? 1u : 0u)) throw AutomationError(kErrWrongArgumentCount);
      if (!let) return Variant(number_);
      number_ = args[0].ToInt32();
      return {};
    case kDescription:
      if (args.size() != (let ? 1u : 0u)) throw AutomationError(kErrWrongArgumentCount);
      if (!let) return Variant(description_);
      description_ = args[0].ToString();
      return {};
    case kClear:
      if (let) throw AutomationError(kErrMemberNotFound);
      if (!args.empty()) throw AutomationError(kErrWrongArgumentCount);
      Clear();
      return {};
    default:
      throw AutomationError(kErrMemberNotFound);
  }
}

}  // namespace orvex::console
