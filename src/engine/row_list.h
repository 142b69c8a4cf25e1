// A row list of the engine: rows filled by an ...Info operation and read by
// index by the matching Get... operation.
//
// The list starts with room for indexes 0 to a given upper bound and grows by
// a fixed step whenever a row would pass it, so its room is observable the
// way callers of the engine have always seen it. Counts are 16-bit: a list
// passing 32767 rows is an error.
#ifndef ORVEX_ENGINE_ROW_LIST_H_
#define ORVEX_ENGINE_ROW_LIST_H_

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace orvex::engine {

template <typename Row>
class RowList {
 public:
  RowList(int16_t upper_bound, int16_t step) : initial_(upper_bound), step_(step) { Reset(); }

  // Empties the list and gives it its starting room again.
  void Reset() {
    rows_.assign(static_cast<size_t>(initial_) + 1, Row{});
    count_ = 0;
  }

  // Appends a row, growing the room by one step when needed.
  void Add(Row row) {
    if (count_ == std::numeric_limits<int16_t>::max()) throw std::overflow_error("row count");
    if (static_cast<size_t>(count_) >= rows_.size())
      rows_.resize(rows_.size() + static_cast<size_t>(step_));
    rows_[static_cast<size_t>(count_)] = std::move(row);
    ++count_;
  }

  // Row `index`, or null when it is outside 0 to count - 1.
  const Row* Get(int16_t index) const {
    return index >= 0 && index < count_ ? &rows_[static_cast<size_t>(index)] : nullptr;
  }

  int16_t count() const { return count_; }
  // The highest index the list has room for.
  int upper_bound() const { return static_cast<int>(rows_.size()) - 1; }

 private:
  int16_t initial_;
  int16_t step_;
  std::vector<Row> rows_;
  int16_t count_ = 0;
};

}  // namespace orvex::engine

#endif  // ORVEX_ENGINE_ROW_LIST_H_
