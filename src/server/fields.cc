#include "server/fields.h"

#include <cstdint>
#include <stdexcept>

#include "platform/text.h"
#include "server/error.h"

namespace orvex::server {
namespace {

char FoldChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Calls `use` with `name` folded; a name of usual length is folded on the
// stack, so a look-up allocates nothing.
template <class Use>
auto WithFolded(std::string_view name, Use use) {
  char buffer[160];
  if (name.size() <= sizeof buffer) {
    for (size_t i = 0; i < name.size(); ++i) buffer[i] = FoldChar(name[i]);
    return use(std::string_view(buffer, name.size()));
  }
  const std::string folded = FoldName(name);
  return use(std::string_view(folded));
}

const std::shared_ptr<const FieldIndex>& EmptyIndex() {
  static const std::shared_ptr<const FieldIndex> empty = std::make_shared<const FieldIndex>();
  return empty;
}

}  // namespace

std::string FoldName(std::string_view name) { return platform::LowerAscii(name); }

FieldIndex::FieldIndex(std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) Add(name);
}

size_t FieldIndex::FoldedHash::operator()(std::string_view s) const {
  // FNV-1a over the folded bytes.
  uint64_t h = 14695981039346656037ull;
  for (char c : s) {
    h ^= static_cast<unsigned char>(FoldChar(c));
    h *= 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

bool FieldIndex::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  return true;
}

size_t FieldIndex::Find(std::string_view name) const {
  auto it = columns_.find(name);
  return it == columns_.end() ? kNone : it->second;
}

size_t FieldIndex::Add(std::string_view name) {
  size_t column = Find(name);
  if (column != kNone) return column;
  column = names_.size();
  columns_.emplace(FoldName(name), column);
  names_.emplace_back(name);
  return column;
}

FieldMap::FieldMap(std::initializer_list<value_type> values) {
  for (const value_type& v : values) try_emplace(v.first, v.second);
}

size_t FieldMap::Position(std::string_view name) const {
  return WithFolded(name, [&](std::string_view folded) {
    for (size_t i = 0; i < folded_.size(); ++i)
      if (folded_[i] == folded) return i;
    return entries_.size();
  });
}

FieldMap::iterator FieldMap::find(std::string_view name) {
  return entries_.begin() + static_cast<std::ptrdiff_t>(Position(name));
}

FieldMap::const_iterator FieldMap::find(std::string_view name) const {
  return entries_.begin() + static_cast<std::ptrdiff_t>(Position(name));
}

const Variant& FieldMap::at(std::string_view name) const {
  auto it = find(name);
  if (it == end()) throw std::out_of_range("no field " + std::string(name));
  return it->second;
}

std::pair<FieldMap::iterator, bool> FieldMap::try_emplace(std::string_view name, Variant value) {
  size_t i = Position(name);
  if (i < entries_.size()) return {entries_.begin() + static_cast<std::ptrdiff_t>(i), false};
  entries_.emplace_back(std::string(name), std::move(value));
  folded_.push_back(FoldName(name));
  return {entries_.end() - 1, true};
}

std::pair<FieldMap::iterator, bool> FieldMap::insert_or_assign(std::string_view name,
                                                               Variant value) {
  auto [it, added] = try_emplace(name, value);
  if (!added) it->second = std::move(value);
  return {it, added};
}

size_t FieldMap::erase(std::string_view name) {
  size_t i = Position(name);
  if (i == entries_.size()) return 0;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  folded_.erase(folded_.begin() + static_cast<std::ptrdiff_t>(i));
  return 1;
}

Fields::Fields() : index_(EmptyIndex()) {}

Fields::Fields(const FieldMap& values) {
  auto index = std::make_shared<FieldIndex>();
  values_.reserve(values.size());
  for (const auto& [name, value] : values) {
    index->Add(name);
    values_.emplace_back(value);
  }
  index_ = std::move(index);
}

Fields::Fields(std::shared_ptr<const FieldIndex> index) : index_(std::move(index)) {
  values_.reserve(index_->size());
}

const Variant* Fields::Find(std::string_view name) const {
  size_t column = index_->Find(name);
  if (column >= values_.size() || !values_[column]) return nullptr;
  return &*values_[column];
}

Variant* Fields::Find(std::string_view name) {
  return const_cast<Variant*>(std::as_const(*this).Find(name));
}

const Variant& Fields::Value(std::string_view name) const {
  static const Variant kNull{Null{}};
  const Variant* value = Find(name);
  return value == nullptr ? kNull : *value;
}

size_t Fields::size() const {
  size_t n = 0;
  for (const auto& v : values_) n += v ? 1u : 0u;
  return n;
}

size_t Fields::ColumnFor(std::string_view name) {
  size_t column = index_->Find(name);
  if (column != FieldIndex::kNone) return column;
  auto own = std::make_shared<FieldIndex>(*index_);
  column = own->Add(name);
  index_ = std::move(own);
  return column;
}

void Fields::AssignColumn(size_t column, Variant value) {
  if (column >= values_.size()) values_.resize(column + 1);
  values_[column] = std::move(value);
}

void Fields::Assign(std::string_view name, Variant value) {
  AssignColumn(ColumnFor(name), std::move(value));
}

void Fields::AssignDefault(std::string_view name, Variant value) {
  if (!Contains(name)) Assign(name, std::move(value));
}

void Fields::SetValue(std::string_view name, Variant value) {
  Assign(name, value);
  pending_.emplace_back(std::string(name), std::move(value));
}

void Fields::Update() {
  if (!writer_ || pending_.empty()) return;
  writer_(pending_);
  pending_.clear();
}

FieldMap Fields::values() const {
  FieldMap out;
  for (size_t column = 0; column < values_.size(); ++column)
    if (values_[column]) out.try_emplace(index_->Name(column), *values_[column]);
  return out;
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
