// Readers and writers of server fields that never raise: each traps every
// error and answers its failure value instead, recording nothing.
#ifndef ORVEX_MODULE_FIELD_ACCESS_H_
#define ORVEX_MODULE_FIELD_ACCESS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/variant.h"
#include "server/fields.h"
#include "server/item.h"

namespace orvex::module {

// Number of values of a multi-valued field of the current row (upper bound
// plus one); -1 on any error, including a value that is not a list.
int16_t RecordsetFieldCount(const server::Recordset& rows, std::string_view name);
// The current row's field as text; "" on any error (Null is an error).
std::string RecordsetFieldText(const server::Recordset& rows, std::string_view name);

// A flag property as a Boolean (platform::ParseFlag), and beyond the flags
// as the automation conversion reads it: a number's text is True unless 0.
// Throws AutomationError for a value that is no Boolean at all.
bool FlagValue(const Variant& value);

// Number of values of an item's multi-valued field; 0 on any error.
int16_t ItemFieldCount(const server::Item& item, std::string_view name);
// Upper bound plus one of a list value; 0 when `value` is not a list.
int16_t ArrayCount(const Variant& value);
// An item's field as text; "" on any error.
std::string ItemFieldText(const server::Item& item, std::string_view name);
// The same, on fields already read (a listing's row, an item's answer kept).
std::string FieldText(const server::Fields& fields, std::string_view name);

// Sets the field to `value`; false on error. Nothing is sent: the caller
// updates the fields.
bool SetItemFieldText(server::Item& item, std::string_view name, const std::string& value);
// Sets the field to the comma split of `value` (a list); false on error.
bool SetItemFieldList(server::Item& item, std::string_view name, const std::string& value);

}  // namespace orvex::module

#endif  // ORVEX_MODULE_FIELD_ACCESS_H_
