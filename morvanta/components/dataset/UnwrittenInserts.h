#pragma once
// The rows of a record cache, by index, that were posted as new rows but whose insert did not reach
// the database (refused or failed). Posting such a row again must insert it, not update it. The
// indexes follow the rows as other rows are inserted before them or deleted.

#include <algorithm>
#include <vector>

namespace morvanta {

class UnwrittenInserts {
 public:
  bool Contains(int row) const { return std::find(rows_.begin(), rows_.end(), row) != rows_.end(); }
  void Add(int row) {
    if (!Contains(row)) rows_.push_back(row);
  }
  void Remove(int row) { rows_.erase(std::remove(rows_.begin(), rows_.end(), row), rows_.end()); }
  void Clear() { rows_.clear(); }
  bool Empty() const { return rows_.empty(); }

  // A row was stored at `row`: the rows from there on moved one down.
  void RowInserted(int row) {
    for (int& r : rows_)
      if (r >= row) ++r;
  }
  // The row at `row` was removed: it is forgotten and the rows after it moved one up.
  void RowDeleted(int row) {
    Remove(row);
    for (int& r : rows_)
      if (r > row) --r;
  }

 private:
  std::vector<int> rows_;
};

}  // namespace morvanta
