#include "platform/variant.h"

#include <charconv>
#include <limits>

#include "platform/dispatch.h"

namespace qzorvex {
namespace {

[[noreturn]] void Mismatch() { throw AutomationError(kErrTypeMismatch); }

std::optional<int64_t> ParseInteger(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  size_t e = s.find_last_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  int64_t out = 0;
  auto [p, ec] = std::from_chars(s.data() + b, s.data() + e + 1, out);
  if (ec != std::errc() || p != s.data() + e + 1) return std::nullopt;
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
      if (s.size() == 4 && (s[0] | 0x20) == 't' && (s[1] | 0x20) == 'r' && (s[2] | 0x20) == 'u' &&
          (s[3] | 0x20) == 'e')
        return true;
      if (s.size() == 5 && (s[0] | 0x20) == 'f' && (s[1] | 0x20) == 'a' && (s[2] | 0x20) == 'l' &&
          (s[3] | 0x20) == 's' && (s[4] | 0x20) == 'e')
        return false;
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
