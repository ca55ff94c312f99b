#include <string_view>

#include "cli/check_command_fixture.h"

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::libraryHit;
using hengdian::testing::readCsv;
using hengdian::testing::readFileBytes;
using CheckCsvTest = CheckCommandTest;

TEST_F(CheckCsvTest, QuotesWhatNeedsItAndReadsBackAsTheEntries) {
  const std::string title = "GB 7-2000 \"油\",■ 规则";
  sites.setLibrarySearch("GB 7-2000", {libraryHit(title, "/s/7.html")});
  const CliRun csv = run(arguments({"--format", "csv"}), "GB 7-2000\t油, 规则\nGB 8-2099\n");
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  ASSERT_TRUE(csv.out.starts_with("\xEF\xBB\xBF"));
  const std::string line = "【同号异名■现行有效■" + title + "■2010-01-01■2011-01-01■/s/7.html】";
  EXPECT_EQ(readCsv(csv.out.substr(3)),
            (std::vector<std::vector<std::string>>{
                {"标准代号", "标准名称", "匹配", "状态", "标题", "发布日期", "实施日期", "链接", "查询结果",
                 "站点未应答原因"},
                {"GB 7-2000", "油, 规则", "同号异名", "现行有效", title, "2010-01-01", "2011-01-01",
                 "/s/7.html", line, ""},
                {"GB 8-2099", "", "", "", "", "", "", "", "【★未查询到该标准!】", ""}}));
}

// A title such as "=HYPERLINK(…)" from a site would run as a formula when the table is opened.
TEST_F(CheckCsvTest, CellsThatASpreadsheetWouldRunAreText) {
  for (const char start : std::string_view("=+-@\t")) {
    const std::string title = start + std::string("HYPERLINK(\"http://x/\") GB 7-2000");
    sites.setLibrarySearch("GB 7-2000", {libraryHit(title, "/s/7.html")});
    const CliRun csv = run(arguments({"--format", "csv"}), "GB 7-2000\n");
    EXPECT_EQ(readCsv(csv.out.substr(3)).at(1).at(4), "'" + title) << csv.err;
  }
}

// A workbook goes to --output or to a redirected standard output, never to a terminal; a refused
// run and an output file that cannot be made end before any lookup.
TEST_F(CheckCsvTest, XlsxGoesToAFileOrAPipeButNeverToATerminal) {
  const std::string file = (folder / "results.xlsx").string();
  const std::string missing = (folder / "missing" / "x.xlsx").string();
  const struct {
    std::vector<std::string> extra;
    bool outIsTerminal;
    int exitCode;
    bool outIsWorkbook;
    bool fileIsWorkbook;
    bool looksUp;
  } cases[] = {
      {{"--current"}, false, 0, true, false, true},
      {{"--output", file}, true, 0, false, true, true},
      {{}, true, 2, false, false, false},
      {{"--output", missing}, false, 5, false, false, false},
  };
  for (const auto &c : cases) {
    fs::remove(file);
    std::vector<std::string> extra{"--format", "xlsx"};
    extra.insert(extra.end(), c.extra.begin(), c.extra.end());
    const std::size_t requestsBefore = sites.requests().size();
    const CliRun result = run(arguments(extra), "GB/T 5490-2010\n", false, c.outIsTerminal);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out.starts_with("PK\x03\x04"), c.outIsWorkbook) << c.exitCode;
    EXPECT_EQ(readFileBytes(file).starts_with("PK\x03\x04"), c.fileIsWorkbook) << c.exitCode;
    EXPECT_EQ(sites.requests().size() > requestsBefore, c.looksUp) << c.exitCode;
  }
}

}  // namespace
}  // namespace hengdian::cli
