#include "lookup/result_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>

namespace hengdian {
namespace {

ResultRow filled(int n) {
  std::u16string code = u"GB/T 0";
  code.back() = static_cast<char16_t>(u'0' + n % 10);
  return ResultRow{code, u"name", u"/standard/1.html", Site::Portal};
}

TEST(ResultTable, StartsWithTwoEmptyEntries) {
  ResultTable table;
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.rows(), (std::vector<ResultRow>{ResultRow{}, ResultRow{}}));
}

TEST(ResultTable, ResizeKeepsLowerEntriesAndEmptiesTheLast) {
  ResultTable table;
  table.resize(3);
  ASSERT_EQ(table.size(), 4u);
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(table.setRow(i, filled(i)));

  table.resize(2);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.row(0), filled(0));
  EXPECT_EQ(table.row(1), filled(1));
  EXPECT_EQ(table.row(2), ResultRow{});

  table.resize(4);
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table.row(1), filled(1));
  EXPECT_EQ(table.row(4), ResultRow{});

  table.resize(0);
  EXPECT_EQ(table.rows(), std::vector<ResultRow>{ResultRow{}});
}

TEST(ResultTable, IndexOutsideTheTableReadsEmptyAndWritesNothing) {
  ResultTable table;
  table.setRow(1, filled(1));
  EXPECT_EQ(table.row(2), ResultRow{});
  EXPECT_EQ(table.row(std::numeric_limits<std::size_t>::max()), ResultRow{});
  EXPECT_FALSE(table.setRow(2, filled(2)));
  EXPECT_FALSE(table.setRow(std::numeric_limits<std::size_t>::max(), filled(2)));
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.row(1), filled(1));
}

TEST(ResultTable, ReaderCopiesRowsWhileWriterResizesAndWrites) {
  ResultTable table;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int round = 0; round < 200; ++round) {
      const std::size_t lines = 1 + round % 7;
      table.resize(lines);
      for (std::size_t i = 0; i < lines; ++i)
        table.setRow(i, filled(round));
    }
    done = true;
  });
  std::size_t reads = 0;
  while (!done || reads == 0) {
    for (std::size_t i = 0; i < 9; ++i) {
      const ResultRow row = table.row(i);
      // A row is either untouched or written whole, never half of each.
      EXPECT_TRUE(row == ResultRow{} || (row.name == u"name" && row.link == u"/standard/1.html"));
    }
    const std::vector<ResultRow> rows = table.rows();
    EXPECT_GE(rows.size(), 1u);
    EXPECT_EQ(rows.back(), ResultRow{});
    ++reads;
  }
  writer.join();
  // The last round wrote 1 + 199 % 7 = 4 lines.
  EXPECT_EQ(table.size(), 5u);
}

}  // namespace
}  // namespace hengdian
