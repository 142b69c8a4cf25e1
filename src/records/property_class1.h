// PropertyClass1: one document property, its definition and the value the
// user gives it, as the profile dialog and the value editors share it.
#ifndef ORVEX_RECORDS_PROPERTY_CLASS1_H_
#define ORVEX_RECORDS_PROPERTY_CLASS1_H_

#include <cstdint>
#include <string>

#include "platform/variant.h"

namespace orvex::records {

struct PropertyClass1 {
  std::string URI;           // property identifier, "urn:schemas-microsoft-com:..."
  std::string PropertyName;  // display name; the record's key
  std::string Value;         // value to write; several values joined by ","
  std::string Description;
  bool IsRequired = false;
  std::string Kind;  // editor kind: "Text", "List", "Comment box", ...
  bool ReadOnly = false;
  bool IsRestricted = false;
  bool IsMultivalued = false;
  int16_t DictionaryCount = 0;
  Variant DictionaryValues;  // array of strings when DictionaryCount > 0, else Empty
  bool Use = false;
};

}  // namespace orvex::records

#endif  // ORVEX_RECORDS_PROPERTY_CLASS1_H_
