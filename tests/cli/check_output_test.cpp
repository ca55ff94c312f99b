#include "cli/check_output.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "lookup/report_columns.h"

namespace hengdian::cli {
namespace {

// The entered name is the second cell of a row, written as it was entered. {cell, as written}
TEST(CheckOutput, CsvCellsThatASpreadsheetWouldRunBeginWithAnApostrophe) {
  const std::vector<std::tuple<std::u16string, std::string>> rows{
      {u" =cmd|' /C calc'!A0", "' =cmd|' /C calc'!A0"},
      {u"  @SUM(1+1)", "'  @SUM(1+1)"},
      {u"\n+1", "\"'\n+1\""},
      {u" GB 1-2000 = 2", " GB 1-2000 = 2"},
  };
  for (const auto &[text, written] : rows) {
    CheckedEntry entry;
    entry.entered = {u"C", text};
    EXPECT_TRUE(csvRow(entry, false).starts_with("C," + written + ",")) << csvRow(entry, false);
  }
}

// "current" names only a version in force; the latest one stands beside it when none is.
// {finding, "current" code, "latest" code ("" for null), the CSV's last five cells}
TEST(CheckOutput, CurrentIsTheVersionInForceAndLatestTheNewestWhenNoneIs) {
  const CurrentVersion inForce{u"GB 2-2020", u"GB 2-2020 二", u"现行有效", u"/s/2020", true};
  const CurrentVersion ending{u"GB 2-2005", u"GB 2-2005 二", u"即将废止", u"/s/2005", false};
  const std::vector<std::tuple<CurrentFinding, std::string, std::string, std::string>> rows{
      {{CurrentStanding::Replaced, inForce, u"GB 2", u""}, "GB 2-2020", "", "GB 2-2020,二,现行有效,,\r\n"},
      {{CurrentStanding::NoneInForce, ending, u"GB 2", u""}, "", "GB 2-2005", ",,,GB 2-2005 二,即将废止\r\n"},
      {{CurrentStanding::NotAnswered, inForce, u"GB 2", u"HTTP status 500"}, "", "", ",,,,\r\n"},
  };
  const auto codeOf = [](const nlohmann::json &version) {
    return version.is_null() ? std::string() : version["code"].get<std::string>();
  };
  for (const auto &[finding, current, latest, csvEnd] : rows) {
    CheckedEntry entry;
    entry.current = finding;
    const nlohmann::json row = nlohmann::json::parse(resultsJson({entry}, {}, true))["rows"][0];
    EXPECT_EQ(codeOf(row["current"]) + "/" + codeOf(row["latest"]), current + "/" + latest);
    EXPECT_TRUE(csvRow(entry, true).ends_with(csvEnd)) << csvRow(entry, true);
  }
  EXPECT_TRUE(csvHeader(true).ends_with(",现行版本,现行版本名称,现行版本状态,最新版本,最新版本状态\r\n"));
}

}  // namespace
}  // namespace hengdian::cli
