// The typed properties of one server item or one listed row.
//
// Property names (compared ignoring case) are the full WebDAV names ("DAV:displayname",
// "urn:schemas-microsoft-com:office:office#Author") and the provider's
// resource columns ("RESOURCE_PARSENAME", ...). Values are typed: strings,
// Booleans, integers, arrays of strings for multi-valued properties, Null.
#ifndef ORVEX_SERVER_FIELDS_H_
#define ORVEX_SERVER_FIELDS_H_

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/variant.h"

namespace orvex::server {

class Fields {
 public:
  // Names compare ignoring ASCII case, as field look-ups always have.
  struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using Map = std::map<std::string, Variant, NameLess>;
  using Changes = std::vector<std::pair<std::string, Variant>>;

  Fields() = default;
  explicit Fields(Map values) : values_(std::move(values)) {}

  // The value of `name`; Null when the item has no such property.
  const Variant& Value(std::string_view name) const;
  bool Contains(std::string_view name) const { return values_.find(name) != values_.end(); }

  // Sets a value and remembers the change for Update().
  void SetValue(std::string_view name, Variant value);

  // Sends the changed values to the item's writer (set by the item once it is
  // bound to a server resource) and forgets them. Without a writer the values
  // stay pending and travel with the item's first save.
  void Update();

  const Changes& pending() const { return pending_; }
  void ClearPending() { pending_.clear(); }
  void set_writer(std::function<void(const Changes&)> writer) { writer_ = std::move(writer); }
  const Map& values() const { return values_; }

 private:
  Map values_;
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
