#pragma once
// The table of result rows, shared by the check's worker (which writes it) and the user
// interface thread (which reads it). Rows only leave or enter it as copies, under its lock.

#include <cstddef>
#include <mutex>
#include <vector>

#include "lookup/result_row.h"

namespace hengdian {

/// Entry i belongs to line i of the results text; the last entry is always empty.
class ResultTable {
 public:
  /// Two empty entries, as before the first check.
  ResultTable();

  /// Makes the table `lines` + 1 entries long and empties entry `lines`. Any thread.
  void resize(std::size_t lines);

  /// Number of entries. Any thread.
  std::size_t size() const;

  /// A copy of entry `index`; an empty row for an index outside the table. Any thread.
  ResultRow row(std::size_t index) const;

  /// Copies of every entry. Any thread.
  std::vector<ResultRow> rows() const;

  /// Replaces entry `index`; returns false (and changes nothing) outside the table. Any thread.
  bool setRow(std::size_t index, const ResultRow &row);

 private:
  mutable std::mutex mutex_;
  std::vector<ResultRow> rows_;
};

}  // namespace hengdian
