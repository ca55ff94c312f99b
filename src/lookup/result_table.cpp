#include "lookup/result_table.h"

namespace hengdian {

ResultTable::ResultTable() : rows_(2) {}

void ResultTable::resize(std::size_t lines) {
  std::lock_guard lock(mutex_);
  // One more entry than lines; a count that leaves no room for it is not a table anyone can show.
  if (lines >= rows_.max_size()) return;
  rows_.resize(lines + 1);
  rows_[lines] = ResultRow{};
}

std::size_t ResultTable::size() const {
  std::lock_guard lock(mutex_);
  return rows_.size();
}

ResultRow ResultTable::row(std::size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= rows_.size()) return ResultRow{};
  return rows_[index];
}

std::vector<ResultRow> ResultTable::rows() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

bool ResultTable::setRow(std::size_t index, const ResultRow &row) {
  std::lock_guard lock(mutex_);
  if (index >= rows_.size()) return false;
  rows_[index] = row;
  return true;
}

}  // namespace hengdian
