// Automation values: the tagged value that crosses every late-bound call.
//
// A Variant holds one of Empty, Null, a 16-bit or 32-bit integer, a Boolean,
// a string (UTF-8), an array of variants, or an object reference. Booleans
// are stored as bool; at the automation boundary they read as -1 (True) and
// 0 (False), which ToInt32() reflects.
//
// Thread safety: a Variant is a value; distinct Variants may be used on
// distinct threads, and one may be read from several threads while none
// writes it. An object reference inside shares the object, whose own rule
// then applies.
#ifndef QZORVEX_VARIANT_H_
#define QZORVEX_VARIANT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace qzorvex {

class Dispatch;
class Variant;

using VariantArray = std::vector<Variant>;

// Type-mismatch and overflow errors raised by the conversions below carry the
// runtime's error numbers.
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrOverflow = 6;

enum class VariantType { kEmpty, kNull, kI2, kI4, kBool, kString, kArray, kObject };

// Every Null equals every other. Declared with the type, so the comparison of
// the Variant's alternatives finds it with any compiler.
struct Null {
  friend bool operator==(Null, Null) { return true; }
};

class Variant {
 public:
  Variant() = default;
  Variant(Null) : value_(Null{}) {}
  Variant(int16_t v) : value_(v) {}
  Variant(int32_t v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(VariantArray v) : value_(std::move(v)) {}
  Variant(std::shared_ptr<Dispatch> v) : value_(std::move(v)) {}

  VariantType type() const { return static_cast<VariantType>(value_.index()); }
  bool IsEmpty() const { return type() == VariantType::kEmpty; }
  bool IsNull() const { return type() == VariantType::kNull; }
  bool IsArray() const { return type() == VariantType::kArray; }
  bool IsObject() const { return type() == VariantType::kObject; }

  // Conversions in the automation manner; each throws AutomationError
  // (type mismatch 13, overflow 6) when the value cannot be converted.
  // Empty converts to 0, False and the empty string; Null converts to none
  // of them.
  int32_t ToInt32() const;
  int16_t ToInt16() const;
  bool ToBool() const;
  std::string ToString() const;

  const VariantArray& array() const;
  VariantArray& array();
  const std::shared_ptr<Dispatch>& object() const;

  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  std::variant<std::monostate, Null, int16_t, int32_t, bool, std::string, VariantArray,
               std::shared_ptr<Dispatch>>
      value_;
};

}  // namespace qzorvex

#endif  // QZORVEX_VARIANT_H_
