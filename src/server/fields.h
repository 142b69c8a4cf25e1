// The typed properties of one server item or one listed row.
//
// Property names are the full WebDAV names ("DAV:displayname",
// "urn:schemas-microsoft-com:office:office#Author") and the provider's
// resource columns ("RESOURCE_PARSENAME", ...). Values are typed: strings,
// Booleans, integers, arrays of strings for multi-valued properties, Null.
//
// Names compare ignoring ASCII case. A row does not compare names itself: it
// holds its values by column, and a FieldIndex, shared by every row of one
// listing, maps each name, folded (ASCII-lowercased) once when it is added,
// to its column. A look-up folds the name it is given and hashes it once.
#ifndef ORVEX_SERVER_FIELDS_H_
#define ORVEX_SERVER_FIELDS_H_

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/variant.h"

namespace orvex::server {

// `name` as names compare: ASCII capitals lowered, every other byte kept.
std::string FoldName(std::string_view name);

// Folded names to columns. Append-only: a column, once given, keeps its name
// and number, so rows made over an index stay valid while it grows. Rows
// hold an index read-only; only whoever made it (a listing while it reads
// its answer) adds names to it while it is shared.
class FieldIndex {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  FieldIndex() = default;
  explicit FieldIndex(std::initializer_list<std::string_view> names);

  // The column of `name`, kNone when the index has none.
  size_t Find(std::string_view name) const;
  // The column of `name`, added at the end when the index has none.
  size_t Add(std::string_view name);
  // The name of `column` as it was spelled when added.
  const std::string& Name(size_t column) const { return names_[column]; }
  size_t size() const { return names_.size(); }

 private:
  // Hash and equality of names as they compare, so a look-up folds the name
  // it is given while hashing it rather than into a copy first. The keys
  // are held folded.
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::vector<std::string> names_;
  std::unordered_map<std::string, size_t, FoldedHash, FoldedEqual> columns_;
};

// Names and values, for building one item's fields or comparing them: a map
// keyed by name ignoring case, kept in the order names were first added.
// Meant for a handful of names; a listing builds its rows over a shared
// index instead.
class FieldMap {
 public:
  using value_type = std::pair<std::string, Variant>;
  using iterator = std::vector<value_type>::iterator;
  using const_iterator = std::vector<value_type>::const_iterator;

  FieldMap() = default;
  FieldMap(std::initializer_list<value_type> values);

  iterator find(std::string_view name);
  const_iterator find(std::string_view name) const;
  bool contains(std::string_view name) const { return find(name) != end(); }
  size_t count(std::string_view name) const { return contains(name) ? 1 : 0; }
  // The value of `name`; throws std::out_of_range when there is none.
  const Variant& at(std::string_view name) const;

  // Adds `name` unless present; the value it then has.
  std::pair<iterator, bool> try_emplace(std::string_view name, Variant value);
  std::pair<iterator, bool> emplace(std::string_view name, Variant value) {
    return try_emplace(name, std::move(value));
  }
  // Sets `name`, adding it when absent; a present name keeps its spelling.
  std::pair<iterator, bool> insert_or_assign(std::string_view name, Variant value);
  size_t erase(std::string_view name);
  // The value of `name`, added as Empty when absent. The reference holds
  // until a name is next added: copy a value before adding another name.
  Variant& operator[](std::string_view name) { return try_emplace(name, Variant()).first->second; }

  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  size_t Position(std::string_view name) const;

  std::vector<value_type> entries_;
  std::vector<std::string> folded_;  // entries_' names, folded
};

class Fields {
 public:
  using Changes = std::vector<std::pair<std::string, Variant>>;

  Fields();
  explicit Fields(const FieldMap& values);
  // An empty row over `index`, a listing's shared index.
  explicit Fields(std::shared_ptr<const FieldIndex> index);

  // The value of `name`; Null when the item has no such property.
  const Variant& Value(std::string_view name) const;
  bool Contains(std::string_view name) const { return Find(name) != nullptr; }
  // The value of `name`, nullptr when absent.
  const Variant* Find(std::string_view name) const;
  Variant* Find(std::string_view name);
  // How many names have a value.
  size_t size() const;

  // Sets a value as read from the server, not remembered for Update(). A
  // name the index lacks gives the row its own copy of the index with the
  // name added; rows sharing the old index keep it.
  void Assign(std::string_view name, Variant value);
  // Sets `name` unless it has a value already.
  void AssignDefault(std::string_view name, Variant value);
  // Sets the value of a column of the row's index.
  void AssignColumn(size_t column, Variant value);

  // Sets a value and remembers the change for Update().
  void SetValue(std::string_view name, Variant value);

  // Sends the changed values to the item's writer (set by the item once it is
  // bound to a server resource) and forgets them. Without a writer the values
  // stay pending and travel with the item's first save.
  void Update();

  const Changes& pending() const { return pending_; }
  void ClearPending() { pending_.clear(); }
  void set_writer(std::function<void(const Changes&)> writer) { writer_ = std::move(writer); }

  // The names with a value and their values, in column order.
  FieldMap values() const;
  const std::shared_ptr<const FieldIndex>& index() const { return index_; }

 private:
  size_t ColumnFor(std::string_view name);

  std::shared_ptr<const FieldIndex> index_;
  // By column; a row may be shorter than its index, and an empty slot, like
  // a missing one, is a name without a value.
  std::vector<std::optional<Variant>> values_;
  Changes pending_;
  std::function<void(const Changes&)> writer_;
};

// Rows of a listing, read front to back.
class Recordset {
 public:
  Recordset() = default;
  explicit Recordset(std::vector<Fields> rows) : rows_(std::move(rows)) {}

  bool Eof() const { return position_ >= rows_.size(); }
  void MoveNext();
  // Fields of the current row; throws server::Error at end of file.
  const Fields& Current() const;
  size_t size() const { return rows_.size(); }

 private:
  std::vector<Fields> rows_;
  size_t position_ = 0;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_FIELDS_H_
