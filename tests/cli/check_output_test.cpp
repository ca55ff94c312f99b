#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "cli/json_output.h"
#include "lookup/report_columns.h"
#include "support/output_readers.h"

namespace hengdian::cli {
namespace {

using hengdian::testing::readCsv;

// The entered name is the second cell of a row, written as it was entered. {cell, as written}
TEST(CheckOutput, CsvCellsThatASpreadsheetWouldRunBeginWithAnApostrophe) {
  const std::vector<std::tuple<std::u16string, std::string>> rows{
      {u" =cmd|' /C calc'!A0", "' =cmd|' /C calc'!A0"},
      {u"  @SUM(1+1)", "'  @SUM(1+1)"},
      {u"\n+1", "'\n+1"},
      {u" GB 1-2000 = 2", " GB 1-2000 = 2"},
  };
  for (const auto &[text, written] : rows) {
    CheckedEntry entry;
    entry.entered = {u"C", text};
    EXPECT_EQ(readCsv(csvRow(entry, false)).at(0).at(1), written);
  }
}

// "current" names only a version in force; the latest one stands beside it when none is.
// {finding, "current" code, "latest" code ("" for null), the CSV's last five cells}
TEST(CheckOutput, CurrentIsTheVersionInForceAndLatestTheNewestWhenNoneIs) {
  using Cells = std::vector<std::string>;
  const CurrentVersion inForce{u"GB 2-2020", u"GB 2-2020 二", u"现行有效", u"/s/2020", true};
  const CurrentVersion ending{u"GB 2-2005", u"GB 2-2005 二", u"即将废止", u"/s/2005", false};
  const std::vector<std::tuple<CurrentFinding, std::string, std::string, Cells>> rows{
      {{CurrentStanding::Replaced, inForce, u"GB 2", u""},
       "GB 2-2020",
       "",
       {"GB 2-2020", "二", "现行有效", "", ""}},
      {{CurrentStanding::NoneInForce, ending, u"GB 2", u""},
       "",
       "GB 2-2005",
       {"", "", "", "GB 2-2005 二", "即将废止"}},
      {{CurrentStanding::NotAnswered, inForce, u"GB 2", u"HTTP status 500"}, "", "", {"", "", "", "", ""}},
  };
  const auto codeOf = [](const nlohmann::json &version) {
    return version.is_null() ? std::string() : version["code"].get<std::string>();
  };
  for (const auto &[finding, current, latest, csvEnd] : rows) {
    CheckedEntry entry;
    entry.current = finding;
    const nlohmann::json row = nlohmann::json::parse(resultsJson({entry}, {}, true))["rows"][0];
    EXPECT_EQ(codeOf(row["current"]) + "/" + codeOf(row["latest"]), current + "/" + latest);
    const Cells cells = readCsv(csvRow(entry, true)).at(0);
    EXPECT_EQ(Cells(cells.end() - 5, cells.end()), csvEnd);
  }
  const Cells header = readCsv(csvHeader(true)).at(0);
  EXPECT_EQ(Cells(header.end() - 5, header.end()),
            (Cells{"现行版本", "现行版本名称", "现行版本状态", "最新版本", "最新版本状态"}));
}

}  // namespace
}  // namespace hengdian::cli
