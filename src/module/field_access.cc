#include "module/field_access.h"

#include <exception>
#include <limits>
#include <optional>

#include "module/comma_split.h"
#include "platform/flag.h"

namespace orvex::module {
namespace {

// A list's length as the 16-bit count the callers keep; longer lists are an
// error like any other.
int16_t ListLength(const Variant& value) {
  size_t n = value.array().size();
  if (n > static_cast<size_t>(std::numeric_limits<int16_t>::max())) throw std::overflow_error("");
  return static_cast<int16_t>(n);
}

}  // namespace

int16_t RecordsetFieldCount(const server::Recordset& rows, std::string_view name) {
  try {
    return ListLength(rows.Current().Value(name));
  } catch (const std::exception&) {
    return -1;
  }
}

std::string RecordsetFieldText(const server::Recordset& rows, std::string_view name) {
  try {
    return rows.Current().Value(name).ToString();
  } catch (const std::exception&) {
    return {};
  }
}

bool FlagValue(const Variant& value) {
  if (std::optional<bool> flag = platform::ParseFlag(value)) return *flag;
  // Beyond the flags, the automation conversion: a text holding a number is
  // True when the number is not 0; anything else is a type mismatch.
  return value.ToBool();
}

int16_t ItemFieldCount(const server::Item& item, std::string_view name) {
  try {
    return ListLength(item.GetFields().Value(name));
  } catch (const std::exception&) {
    return 0;
  }
}

int16_t ArrayCount(const Variant& value) {
  try {
    return ListLength(value);
  } catch (const std::exception&) {
    return 0;
  }
}

std::string ItemFieldText(const server::Item& item, std::string_view name) {
  return FieldText(item.GetFields(), name);
}

std::string FieldText(const server::Fields& fields, std::string_view name) {
  try {
    return fields.Value(name).ToString();
  } catch (const std::exception&) {
    return {};
  }
}

bool SetItemFieldText(server::Item& item, std::string_view name, const std::string& value) {
  try {
    item.GetFields().SetValue(name, value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool SetItemFieldList(server::Item& item, std::string_view name, const std::string& value) {
  try {
    item.GetFields().SetValue(name, SplitByComma(value));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace orvex::module
