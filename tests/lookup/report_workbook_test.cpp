#include "lookup/report_workbook.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

/// An entry found on the library site with one record of `status` and `link`.
CheckedEntry found(std::u16string code, std::u16string name, std::u16string status, std::u16string link) {
  CheckedEntry entry;
  entry.entered = {code, name};
  entry.row = {code, name, link};
  entry.records = {{MatchMarker::SameCodeSameName, status, code + u" " + name, u"", u"", link}};
  entry.line = recordText(entry.records.front());
  return entry;
}

// An auditor opens the workbook: a frozen, filtered header row, the status cells coloured by state,
// the web links (and only they) clickable, CJK text in wider columns, and the summary sheet.
TEST(ReportWorkbookTest, HoldsTheTableAsAnAuditorReadsIt) {
  std::vector<CheckedEntry> entries = {
      found(u"GB 1-2000", u"粮油检验一般规则", u"现行有效", u"http://127.0.0.1/s/1.html"),
      found(u"GB 2-1985", u"扦样", u"已经废止", u"/s/2.html"), found(u"GB 3-2000", u"", u"", u"")};
  entries[1].current = {CurrentStanding::Replaced,
                        CurrentVersion{u"GB 2-2020", u"GB 2-2020 扦样", u"现行有效", u"https://x/2020", true},
                        u"", u""};
  entries[2].records.clear();
  entries[2].row.error = u"no answer";
  ReportFacts facts{{}, Site::Library, 1'800'000'000, true};
  for (const CheckedEntry &entry : entries)
    facts.summary.add(entry);

  hengdian::testing::TempFolder temp("hengdian-workbook-test-");
  const std::filesystem::path file = temp.path() / "报告.xlsx";
  ASSERT_EQ(writeReportWorkbook(file, entries, facts), u"");
  const auto part = [&](const std::string &name) {
    const std::filesystem::path out = temp.path() / "part.xml";
    const std::string command = "unzip -p \"" + file.string() + "\" " + name + " > \"" + out.string() + "\"";
    return std::system(command.c_str()) == 0 ? hengdian::testing::readFileBytes(out) : std::string();
  };
  const std::string workbook = part("xl/workbook.xml");
  if (workbook.empty()) GTEST_SKIP() << "no unzip here to read the workbook back";

  const std::string sheet = part("xl/worksheets/sheet1.xml");
  const std::string links = part("xl/worksheets/_rels/sheet1.xml.rels");
  const std::string styles = part("xl/styles.xml");
  const std::string strings = part("xl/sharedStrings.xml");
  const std::string summary = part("xl/worksheets/sheet2.xml");
  const struct {
    const std::string &text;
    std::string expected;
  } cases[] = {
      {workbook, R"(<sheet name="标准查新" sheetId="1")"},
      {workbook, R"(<sheet name="汇总" sheetId="2")"},
      {sheet, R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)"},
      {sheet, R"(<autoFilter ref="A1:O4"/>)"},
      {sheet, R"(<col min="2" max="2" width="18.)"},  // eight CJK characters and two more
      {sheet, R"(<hyperlink ref="H2" r:id="rId1"/>)"},
      {sheet, R"(<hyperlink ref="K3" r:id="rId2"/>)"},
      {links, R"(Target="http://127.0.0.1/s/1.html" TargetMode="External")"},
      {styles, R"(<fgColor rgb="FFC6EFCE"/>)"},
      {styles, R"(<fgColor rgb="FFFFC7CE"/>)"},
      {styles, R"(<fgColor rgb="FFE4DFEC"/>)"},
      {strings, "食品伙伴网"},
      {strings, "2027-01-15 08:00:00"},
      {strings, "站点未应答"},
      {summary, R"(<c r="B4"><v>3</v></c>)"},
      {summary, R"(<c r="B10"><v>1</v></c>)"},  // replaced
  };
  for (const auto &[text, expected] : cases)
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  EXPECT_EQ(sheet.find("/s/2.html\""), std::string::npos) << "a link without http(s) is no hyperlink";
  // Each state's status cell in a style of its own.
  std::vector<std::string> statusStyles;
  for (const char *cell : {"<c r=\"D2\"", "<c r=\"D3\"", "<c r=\"D4\""})
    statusStyles.push_back(sheet.substr(sheet.find(cell), 16));
  EXPECT_NE(statusStyles[0].substr(9), statusStyles[1].substr(9));
  EXPECT_NE(statusStyles[1].substr(9), statusStyles[2].substr(9));

  EXPECT_NE(writeReportWorkbook(temp.path() / "missing" / "x.xlsx", entries, facts), u"");
}

}  // namespace
}  // namespace hengdian
