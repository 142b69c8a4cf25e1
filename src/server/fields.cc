#include "server/fields.h"

#include "platform/text.h"
#include "server/error.h"

namespace orvex::server {

bool Fields::NameLess::operator()(std::string_view a, std::string_view b) const {
  return platform::CompareNoCase(a, b) < 0;
}

const Variant& Fields::Value(std::string_view name) const {
  static const Variant kNull{Null{}};
  auto it = values_.find(name);
  return it == values_.end() ? kNull : it->second;
}

void Fields::SetValue(std::string_view name, Variant value) {
  values_.insert_or_assign(std::string(name), value);
  pending_.emplace_back(std::string(name), std::move(value));
}

void Fields::Update() {
  if (!writer_ || pending_.empty()) return;
  writer_(pending_);
  pending_.clear();
}

void Recordset::MoveNext() {
  if (Eof()) throw Error(kErrGenericFailure, "move past end of rows");
  ++position_;
}

const Fields& Recordset::Current() const {
  if (Eof()) throw Error(kErrGenericFailure, "no current row");
  return rows_[position_];
}

}  // namespace orvex::server
