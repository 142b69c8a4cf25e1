#include "platform/variant.h"

#include <charconv>
#include <limits>
#include <string_view>

#include "platform/dispatch.h"
#include "platform/text.h"

namespace qzorvex {
namespace {

[[noreturn]] void Mismatch() { throw AutomationError(kErrTypeMismatch); }

std::optional<int64_t> ParseInteger(std::string_view s) {
  s = orvex::platform::Trim(s, " ");
  int64_t out = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return out;
}

}  // namespace

int32_t Variant::ToInt32() const {
  switch (type()) {
    case VariantType::kEmpty:
      return 0;
    case VariantType::kI2:
      return std::get<int16_t>(value_);
    case VariantType::kI4:
      return std::get<int32_t>(value_);
    case VariantType::kBool:
      return std::get<bool>(value_) ? -1 : 0;
    case VariantType::kString: {
      auto v = ParseInteger(std::get<std::string>(value_));
      if (!v) Mismatch();
      if (*v < std::numeric_limits<int32_t>::min() || *v > std::numeric_limits<int32_t>::max())
        throw AutomationError(kErrOverflow);
      return static_cast<int32_t>(*v);
    }
    default:
      Mismatch();
  }
}

int16_t Variant::ToInt16() const {
  int32_t v = ToInt32();
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    throw AutomationError(kErrOverflow);
  return static_cast<int16_t>(v);
}

bool Variant::ToBool() const {
  switch (type()) {
    case VariantType::kBool:
      return std::get<bool>(value_);
    case VariantType::kString: {
      const std::string& s = std::get<std::string>(value_);
      if (orvex::platform::CompareNoCase(s, "true") == 0) return true;
      if (orvex::platform::CompareNoCase(s, "false") == 0) return false;
      return ToInt32() != 0;
    }
    default:
      return ToInt32() != 0;
  }
}

std::string Variant::ToString() const {
  switch (type()) {
    case VariantType::kEmpty:
      return {};
    case VariantType::kI2:
      return std::to_string(std::get<int16_t>(value_));
    case VariantType::kI4:
      return std::to_string(std::get<int32_t>(value_));
    case VariantType::kBool:
      return std::get<bool>(value_) ? "True" : "False";
    case VariantType::kString:
      return std::get<std::string>(value_);
    default:
      Mismatch();
  }
}

const VariantArray& Variant::array() const {
  if (!IsArray()) Mismatch();
  return std::get<VariantArray>(value_);
}

VariantArray& Variant::array() {
  if (!IsArray()) Mismatch();
  return std::get<VariantArray>(value_);
}

const std::shared_ptr<Dispatch>& Variant::object() const {
  if (!IsObject()) Mismatch();
  return std::get<std::shared_ptr<Dispatch>>(value_);
}

}  // namespace qzorvex
