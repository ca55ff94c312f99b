#include "cli/check_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/stand_in_sites.h"
#include "support/test_helpers.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>
#include <tuple>
#endif

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::libraryHit;
using hengdian::testing::portalHit;
using hengdian::testing::readFileBytes;
using hengdian::testing::RecordedRequest;
using hengdian::testing::writeFileBytes;

// std::system hands the line to `cmd /c` on Windows, which drops the first and the last quote of a
// line that starts with one; a pair around the whole line keeps the program's own quotes.
#ifdef _WIN32
std::string shellLine(const std::string &line) {
  return "\"" + line + "\"";
}
#else
std::string shellLine(const std::string &line) {
  return line;
}
#endif

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

/// hengdian-cli against the stand-in sites, with the lists written into a fresh folder.
class CheckCommandTest : public ::testing::Test {
 protected:
  CheckCommandTest() {
    sites.setLibrarySearch("GB/T 5490-2010",
                           {libraryHit("GB/T 5490-2010 粮油检验 一般规则", "/standard/show-5490.html")});
    sites.setPortalSearch("GB/T 5490-2010", {portalHit("GB/T 5490-2010 粮油检验 一般规则", "/gb/5490",
                                                       "2010-11-10", "2011-02-01")});
  }

  fs::path writeList(const std::string &name, const std::string &bytes) {
    writeFileBytes(folder / name, bytes);
    return folder / name;
  }

  /// The arguments that point the tool at the stand-ins, behind `check` and `extra`.
  std::vector<std::string> arguments(std::vector<std::string> extra) {
    std::vector<std::string> all{"check",         "--library-host",   sites.libraryHost(),
                                 "--portal-host", sites.portalHost(), "--ca-file",
                                 sites.caFile(),  "--retry-pause-ms", "1"};
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }

  CliRun run(const std::vector<std::string> &args, const std::string &standardInput = "",
             bool terminal = false) {
    std::istringstream in(standardInput);
    std::ostringstream out;
    std::ostringstream err;
    CliRun result;
    result.exitCode = runCli(args, in, out, err, terminal);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  hengdian::testing::StandInSites sites;
  hengdian::testing::TempFolder temp{"hengdian-cli-test-"};
  const fs::path folder = temp.path();
};

TEST_F(CheckCommandTest, PrintsTheResultsTextOrJsonOnEitherSite) {
  const fs::path list =
      writeList("list.txt", "GB/T 5490-2010\t粮油检验 一般规则\r\nGB/T 9999-2099\t没有的标准\r\n");
  const std::string notFound = "【★未查询到该标准!】\n";

  const CliRun library = run(arguments({"--input", list.string()}));
  EXPECT_EQ(library.exitCode, 0) << library.err;
  EXPECT_EQ(library.out,
            "【同号同名■现行有效■GB/T 5490-2010 粮油检验 "
            "一般规则■2010-01-01■2011-01-01■/standard/show-5490.html】\n" +
                notFound);
  EXPECT_EQ(library.err,
            "hengdian-cli: checked 2 lines: 1 in force, 0 withdrawn, 0 other status, 1 not found, 0 not "
            "answered\n");

  const CliRun portal = run(arguments({"--input", list.string(), "--site", "portal"}));
  EXPECT_EQ(portal.exitCode, 0) << portal.err;
  EXPECT_EQ(portal.out, "【同号同名■现行■GB/T 5490-2010 粮油检验 一般规则■2010-11-10■2011-02-01■" +
                            sites.portalBase() + "/gb/5490】\n" + notFound);

  const CliRun libraryJson = run(arguments({"--input", list.string(), "--format", "json"}));
  ASSERT_EQ(libraryJson.exitCode, 0) << libraryJson.err;
  EXPECT_TRUE(libraryJson.out.ends_with("}\n"));
  const nlohmann::json document = nlohmann::json::parse(libraryJson.out);
  EXPECT_EQ(document["summary"], (nlohmann::json{{"checked", 2},
                                                 {"inForce", 1},
                                                 {"withdrawn", 0},
                                                 {"otherStatus", 0},
                                                 {"notFound", 1},
                                                 {"notAnswered", 0}}));
  const nlohmann::json rows = document["rows"];
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["code"], "GB/T 5490-2010");
  EXPECT_EQ(rows[0]["name"], "粮油检验 一般规则");
  EXPECT_EQ(rows[0]["site"], 0);
  EXPECT_EQ(rows[0]["link"], "/standard/show-5490.html");
  EXPECT_EQ(rows[0]["itemId"], "show-5490");
  EXPECT_EQ(rows[0]["line"].get<std::string>() + "\n",
            library.out.substr(0, library.out.size() - notFound.size()));
  EXPECT_EQ(rows[1], (nlohmann::json{{"code", "GB/T 9999-2099"},
                                     {"name", "没有的标准"},
                                     {"site", 0},
                                     {"link", ""},
                                     {"itemId", ""},
                                     {"line", "【★未查询到该标准!】"},
                                     {"error", ""}}));

  const CliRun portalJson = run(arguments({"--site", "portal", "--format", "json"}), readFileBytes(list));
  ASSERT_EQ(portalJson.exitCode, 0) << portalJson.err;
  const nlohmann::json portalRows = nlohmann::json::parse(portalJson.out)["rows"];
  ASSERT_EQ(portalRows.size(), 2u);
  EXPECT_EQ(portalRows[0]["site"], 1);
  EXPECT_EQ(portalRows[0]["link"], sites.portalBase() + "/gb/5490");
  EXPECT_EQ(portalRows[0]["itemId"], "");
  EXPECT_EQ(portalRows[1]["site"], 1);
}

TEST_F(CheckCommandTest, CaptionsGoToStandardErrorInOrder) {
  const CliRun withCaptions =
      run(arguments({"--captions", "--site", "portal"}), "GB/T 5490-2010\nGB/T 5491-1985\n");
  EXPECT_EQ(withCaptions.exitCode, 0);
  const std::string summary =
      "hengdian-cli: checked 2 lines: 1 in force, 0 withdrawn, 0 other status, 1 not found, 0 not answered\n";
  EXPECT_EQ(withCaptions.err,
            "查询得到信息：正在加载中\n查询得到信息：正在加载中...\n查询得到信息：正在加载中."
            "\n查询得到信息：已加载完成。\n" +
                summary);

  // On a terminal without --captions: one progress line, rewritten and cleared at the end.
  const CliRun onTerminal = run(arguments({"--site", "portal"}), "GB/T 5490-2010\nGB/T 5491-1985\n", true);
  EXPECT_EQ(onTerminal.exitCode, 0);
  ASSERT_TRUE(onTerminal.err.ends_with("\r" + summary)) << onTerminal.err;
  const std::string progress = onTerminal.err.substr(0, onTerminal.err.size() - summary.size());
  EXPECT_NE(progress.find("\r[1/2] GB/T 5490-2010"), std::string::npos) << progress;
  EXPECT_NE(progress.find("\r[2/2] GB/T 5491-1985"), std::string::npos) << progress;
  EXPECT_EQ(progress.find('\n'), std::string::npos);
}

TEST_F(CheckCommandTest, ReadsGbkListsAndDropsTheUtf8Bom) {
  // "GB/T 5490-2010 TAB 粮油检验 一般规则" saved as GBK: the name only matches when decoded right.
  const fs::path gbk = writeList(
      "gbk.txt", "GB/T 5490-2010\t\xC1\xB8\xD3\xCD\xBC\xEC\xD1\xE9 \xD2\xBB\xB0\xE3\xB9\xE6\xD4\xF2\r\n");
  const CliRun fromGbk = run(arguments({"--input", gbk.string(), "--format", "json"}));
  ASSERT_EQ(fromGbk.exitCode, 0) << fromGbk.err;
  EXPECT_TRUE(
      nlohmann::json::parse(fromGbk.out)["rows"][0]["line"].get<std::string>().starts_with("【同号同名■"));

  const fs::path bom = writeList("bom.txt", "\xEF\xBB\xBFGB/T 5490-2010\n");
  const CliRun fromBom = run(arguments({"--input", bom.string()}));
  ASSERT_EQ(fromBom.exitCode, 0) << fromBom.err;
  const auto requests = sites.requests();
  EXPECT_EQ(requests.back().query, "corpstandard=2&fields=0&kw=GB/T%205490-2010");
}

// A failed lookup reads as not found, but a script sees it on standard error, in the JSON row
// and in the exit code.
TEST_F(CheckCommandTest, LookupsTheSiteDidNotAnswerAreReportedAndExitWithFour) {
  const std::string loop = "/standard/search.php?corpstandard=2&fields=0&kw=LOOP";
  sites.setLibrarySearch("LOOP", {hengdian::testing::redirectAnswer(loop)});
  hengdian::testing::RawAnswer serverError = libraryHit("GB 500 错误页", "/s/500.html");
  serverError.status = 500;
  sites.setLibrarySearch("GB 500", {serverError});
  const std::string input = "GB/T 5490-2010\nLOOP\nGB 500\n";

  const CliRun library = run(arguments({"--format", "json"}), input);
  EXPECT_EQ(library.exitCode, 4);
  const nlohmann::json rows = nlohmann::json::parse(library.out)["rows"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["error"], "");
  EXPECT_EQ(rows[1]["line"], "【★未查询到该标准!】");
  EXPECT_NE(rows[1]["error"], "");
  EXPECT_EQ(rows[2]["error"], "HTTP status 500");  // the hits of an error page still show
  EXPECT_TRUE(rows[2]["line"].get<std::string>().starts_with("【同号■"));
  EXPECT_EQ(library.err,
            "hengdian-cli: LOOP: the library site did not answer: " + rows[1]["error"].get<std::string>() +
                "\nhengdian-cli: GB 500: the library site did not answer: HTTP status 500\n"
                "hengdian-cli: checked 3 lines: 1 in force, 0 withdrawn, 0 other status, 0 not found, 2 not "
                "answered\n");

  std::vector<std::string> unreachable = arguments({"--site", "portal"});
  unreachable[4] = "127.0.0.1:" + std::to_string(hengdian::testing::closedLocalPort());
  const CliRun portal = run(unreachable, "GB/T 5490-2010\n");
  EXPECT_EQ(portal.exitCode, 4);
  EXPECT_EQ(portal.out, "【★未查询到该标准!】\n");
  EXPECT_TRUE(portal.err.starts_with("hengdian-cli: GB/T 5490-2010: the portal site did not answer: "))
      << portal.err;
}

// The lines answer slowest first, and one finds nothing and waits before its second attempt: with
// four lookups at once they finish out of order, yet every output is the one-at-a-time output.
TEST_F(CheckCommandTest, FourJobsGiveTheSameOutputsInInputOrder) {
  std::string input;
  for (int i = 0; i < 6; ++i) {
    const std::string code = "GB " + std::to_string(i) + "-2000";
    sites.setLibrarySearch(code, {hengdian::testing::delayed(libraryHit(code + " 标准", "/s/" + code),
                                                             std::chrono::milliseconds(15 * (6 - i)))});
    input += code + "\n";
  }
  input += "GB 9-2099\n";  // found by neither attempt
  for (const std::vector<std::string> &format :
       {std::vector<std::string>{"--captions"}, std::vector<std::string>{"--format", "json"},
        std::vector<std::string>{"--format", "csv"}}) {
    SCOPED_TRACE(format.back());
    std::vector<std::string> one = arguments(format);
    std::vector<std::string> four = one;
    four.insert(four.end(), {"--jobs", "4"});
    const CliRun sequential = run(one, input);
    const CliRun parallel = run(four, input);
    EXPECT_EQ(sequential.exitCode, 0) << sequential.err;
    EXPECT_EQ(parallel.exitCode, 0);
    EXPECT_EQ(parallel.out, sequential.out);
    EXPECT_EQ(parallel.err, sequential.err);
    EXPECT_NE(sequential.out.find("GB 0-2000"), std::string::npos);
  }
}

// 标准查新 on the library site: a current entry, two withdrawn ones of one stem, an unknown one, one
// not in force yet, one without a year and one with no version in force. The results text stays
// as it is, and no search goes out twice.
TEST_F(CheckCommandTest, CurrentNamesTheVersionInForceSearchingEachStemOnce) {
  const auto page = [](const std::vector<std::vector<std::string>> &hits) {
    return hengdian::testing::utf8Page(hengdian::testing::libraryResultPage(hits));
  };
  sites.setLibrarySearch("GB/T 5491-1985", {page({{"GB/T 5491-1985 扦样", "yjfz", "", "", "/s/1985"}})});
  sites.setLibrarySearch("GB/T 5491-2008", {page({{"GB/T 5491-2008 扦样", "yjfz", "", "", "/s/2008"}})});
  sites.setLibrarySearch("GB/T 5491", {page({{"GB/T 54910-2023 另一标准", "xxyx", "", "", "/s/54910"},
                                             {"GB/T 5491-2020 扦样", "xxyx", "", "", "/s/2020"},
                                             {"GB/T 5491-1985 扦样", "yjfz", "", "", "/s/1985"}})});
  sites.setLibrarySearch("GB 1-2030", {page({{"GB 1-2030 新", "jjss", "", "", "/s/1-2030"}})});
  sites.setLibrarySearch("GB 1", {page({{"GB 1-2000 旧", "xxyx", "", "", "/s/1-2000"}})});
  sites.setLibrarySearch("GB 2760", {page({{"GB 2760-2014 添加剂", "xxyx", "", "", "/s/2014"},
                                           {"GB 2760-2011 添加剂", "yjfz", "", "", "/s/2011"}})});
  sites.setLibrarySearch("GB 2-1990", {page({{"GB 2-1990 二", "yjfz", "", "", "/s/2-1990"}})});
  sites.setLibrarySearch("GB 2", {page({{"GB 2-2005 二", "jjfz", "", "", "/s/2-2005"}})});
  const std::string input =
      "GB/T 5490-2010\nGB/T 5491-1985\nGB/T 99999-2099\nGB/T 5491-2008\nGB 1-2030\nGB 2760\nGB 2-1990\n";

  const CliRun json = run(arguments({"--current", "--format", "json"}), input);
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json document = nlohmann::json::parse(json.out);
  std::vector<std::string> currents;
  for (const nlohmann::json &row : document["rows"])
    for (const char *field : {"current", "latest"})
      currents.push_back(row[field].is_null() ? "null" : row[field]["code"].get<std::string>());
  EXPECT_EQ(currents, (std::vector<std::string>{"GB/T 5490-2010", "null", "GB/T 5491-2020", "null", "null",
                                                "null", "GB/T 5491-2020", "null", "GB 1-2000", "null",
                                                "GB 2760-2014", "null", "null", "GB 2-2005"}));
  EXPECT_EQ(document["rows"][1]["current"], (nlohmann::json{{"code", "GB/T 5491-2020"},
                                                            {"title", "GB/T 5491-2020 扦样"},
                                                            {"status", "现行有效"},
                                                            {"link", "/s/2020"}}));
  EXPECT_EQ(document["summary"]["replaced"], 3);
  EXPECT_EQ(document["summary"]["noneInForce"], 2);
  // Only the unknown entry's second attempt repeats a search; GB 2760 is its own stem.
  std::map<std::string, int> searched;
  for (const std::string &query : hengdian::testing::requestFields(sites, &RecordedRequest::query))
    ++searched[query.substr(query.find("kw=") + 3)];
  EXPECT_EQ(searched, (std::map<std::string, int>{{"GB/T%205490-2010", 1},
                                                  {"GB/T%205491-1985", 1},
                                                  {"GB/T%205491", 1},
                                                  {"GB/T%2099999-2099", 2},
                                                  {"GB/T%2099999", 1},
                                                  {"GB/T%205491-2008", 1},
                                                  {"GB%201-2030", 1},
                                                  {"GB%201", 1},
                                                  {"GB%202760", 1},
                                                  {"GB%202-1990", 1},
                                                  {"GB%202", 1}}));

  const std::string summary =
      "hengdian-cli: checked 7 lines: 1 in force, 4 withdrawn, 1 other status, 1 not found, 0 not answered; "
      "3 replaced by a newer version, 2 with no version in force\n";
  for (const char *jobs : {"1", "4"}) {
    const CliRun text = run(arguments({"--current", "--jobs", jobs}), input);
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, run(arguments({}), input).out);
    EXPECT_EQ(text.err,
              "hengdian-cli: GB/T 5491-1985: 现行版本 GB/T 5491-2020 扦样\n"
              "hengdian-cli: GB/T 99999-2099: 没有找到现行版本\n"
              "hengdian-cli: GB/T 5491-2008: 现行版本 GB/T 5491-2020 扦样\n"
              "hengdian-cli: GB 1-2030: 现行版本 GB 1-2000 旧\n"
              "hengdian-cli: GB 2760: 现行版本 GB 2760-2014 添加剂\n"
              "hengdian-cli: GB 2-1990: 没有找到现行版本，最新版本 GB 2-2005 二（即将废止）\n" +
                  summary);
  }

  // A stem search the site does not answer is reported as a lookup is.
  hengdian::testing::RawAnswer unavailable = page({});
  unavailable.status = 503;
  sites.setLibrarySearch("GB 2", {unavailable});
  const CliRun failed = run(arguments({"--current", "--busy-pause-ms", "1"}), "GB 2-1990\n");
  EXPECT_EQ(failed.exitCode, 4);
  EXPECT_TRUE(failed.err.starts_with(
      "hengdian-cli: GB 2-1990: the library site did not answer the search for GB 2: HTTP status 503\n"))
      << failed.err;

  // On the portal site "现行" is in force: the entry is its own version, and nothing more is asked.
  sites.clearRequests();
  const CliRun portal = run(arguments({"--current", "--site", "portal"}), "GB/T 5490-2010\n");
  EXPECT_EQ(portal.err.find("现行版本"), std::string::npos) << portal.err;
  EXPECT_EQ(sites.requests().size(), 1u);
}

/// The rows of an RFC 4180 text: fields cut at commas, quoted fields unquoted, rows ended by CR LF.
std::vector<std::vector<std::string>> readCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      field += text[++i];
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ',' || c == '\r')) {
      rows.back().push_back(std::move(field));
      field.clear();
      if (c == '\r') {
        EXPECT_EQ(text.substr(i, 2), "\r\n");
        rows.emplace_back();
        ++i;
      }
    } else {
      EXPECT_TRUE(quoted || c != '\n') << "a bare line feed at " << i;
      field += c;
    }
  }
  EXPECT_TRUE(rows.back().empty() && field.empty()) << "the last row has no CR LF";
  rows.pop_back();
  return rows;
}

TEST_F(CheckCommandTest, CsvQuotesWhatNeedsItAndReadsBackAsTheEntries) {
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
TEST_F(CheckCommandTest, CsvCellsThatASpreadsheetWouldRunAreText) {
  for (const char start : std::string_view("=+-@\t")) {
    const std::string title = start + std::string("HYPERLINK(\"http://x/\") GB 7-2000");
    sites.setLibrarySearch("GB 7-2000", {libraryHit(title, "/s/7.html")});
    const CliRun csv = run(arguments({"--format", "csv"}), "GB 7-2000\n");
    EXPECT_EQ(readCsv(csv.out.substr(3)).at(1).at(4), "'" + title) << csv.err;
  }
}

// A workbook goes to --output or to a redirected standard output, never to a terminal; a refused
// run and an output file that cannot be made end before any lookup.
TEST_F(CheckCommandTest, XlsxGoesToAFileOrAPipeButNeverToATerminal) {
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
    std::filesystem::remove(file);
    std::vector<std::string> extra{"--format", "xlsx"};
    extra.insert(extra.end(), c.extra.begin(), c.extra.end());
    const std::size_t requestsBefore = sites.requests().size();
    std::istringstream in("GB/T 5490-2010\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCli(arguments(extra), in, out, err, false, c.outIsTerminal), c.exitCode) << err.str();
    EXPECT_EQ(out.str().starts_with("PK\x03\x04"), c.outIsWorkbook) << c.exitCode;
    EXPECT_EQ(readFileBytes(file).starts_with("PK\x03\x04"), c.fileIsWorkbook) << c.exitCode;
    EXPECT_EQ(sites.requests().size() > requestsBefore, c.looksUp) << c.exitCode;
  }
}

// Like `yes | hengdian-cli check`: the reading stops at the limit instead of running out of memory.
TEST_F(CheckCommandTest, AnInputOverTheLimitIsRefusedWithoutReadingOn) {
  struct EndlessZeros : std::streambuf {
    char chunk[1 << 16]{};
    std::size_t served = 0;
    int_type underflow() override {
      served += sizeof chunk;
      setg(chunk, chunk, chunk + sizeof chunk);
      return 0;
    }
  } zeros;
  std::istream in(&zeros);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runCli(arguments({}), in, out, err), 1);
  EXPECT_EQ(err.str(),
            "hengdian-cli: the input from standard input is larger than 64 MiB; check it in parts\n");
  EXPECT_LE(zeros.served, (std::size_t{64} << 20) + 2 * sizeof zeros.chunk);
  EXPECT_TRUE(sites.requests().empty());
}

// A code is measured in UTF-8 bytes: 341 × 粮 and a letter make 1024 of them.
TEST_F(CheckCommandTest, ACodeLongerThanOneKibIsReportedAndNotSent) {
  const std::string wide = toUtf8(std::u16string(342, u'粮'));  // 1026 bytes
  const std::string input =
      std::string(1024, 'G') + "\n" + std::string(1025, 'G') + "\n" + wide.substr(3) + "G\n" + wide + "\n";
  const CliRun json = run(arguments({"--site", "portal", "--format", "json"}), input);
  EXPECT_EQ(json.exitCode, 4);
  std::vector<std::string> errors;
  const nlohmann::json document = nlohmann::json::parse(json.out);
  for (const nlohmann::json &row : document["rows"])
    errors.push_back(row["error"]);
  const std::string notSent = "not sent: the code is longer than 1 KiB";
  EXPECT_EQ(errors, (std::vector<std::string>{"", notSent, "", notSent}));
  EXPECT_EQ(sites.requests().size(), 2u);
  EXPECT_NE(json.err.find("hengdian-cli: " + std::string(40, 'G') + "…: " + notSent + "\n"),
            std::string::npos);
}

// Wherever the memory runs out, a script must not take it for an unreadable list (exit 1).
TEST_F(CheckCommandTest, RunningOutOfMemoryExitsWithSix) {
  struct NoMemory : std::streambuf {
    int_type underflow() override { throw std::bad_alloc(); }
  } noMemory;
  std::istream in(&noMemory);
  in.exceptions(std::ios::badbit);  // lets the stream pass the failure on
  std::ostringstream out, err;
  EXPECT_EQ(runCli(arguments({}), in, out, err), 6);
  EXPECT_TRUE(err.str().starts_with("hengdian-cli: out of memory")) << err.str();
}

TEST_F(CheckCommandTest, UsageErrorsExitWithTwoAndUnreadableInputWithOne) {
  const std::vector<std::vector<std::string>> wrong{
      {},
      {"lookup"},
      {"check", "--site", "both"},
      {"check", "--format", "xml"},
      {"check", "--jobs", "0"},
      {"check", "--jobs", "9"},
      arguments({"--jobs", "010"}),  // ten, not octal eight
      arguments({"--jobs", "4x"}),
      arguments({"--jobs", "+3"}),
      {"check", "--retry-pause-ms", "-5"},
      {"check", "--retry-pause-ms", "soon"},
      {"check", "--library-host", "http://example.test/"},
      {"check", "--ca-file", (folder / "missing.pem").string()},
      {"check", "--colour"},
      {"check", "stray"},
  };
  for (const auto &args : wrong) {
    const CliRun result = run(args);
    EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("hengdian-cli: "), std::string::npos) << result.err;
  }
  EXPECT_TRUE(sites.requests().empty());
  EXPECT_NE(run(arguments({"--jobs", "4x"})).err.find("\"4x\" is not a number"), std::string::npos);
  EXPECT_EQ(run(arguments({"--jobs", "08", "--site", "portal"})).exitCode, 0);

  const CliRun missing = run(arguments({"--input", (folder / "missing.txt").string()}));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("missing.txt"), std::string::npos);
  EXPECT_EQ(missing.out, "");

  const CliRun help = run({"check", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char *option : {"--site", "--input", "--format", "--library-host", "--portal-host", "--ca-file",
                             "--retry-pause-ms", "--jobs", "--captions", "--help"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST_F(CheckCommandTest, TheProgramPrintsTheSameLines) {
  const fs::path list = writeList("list.txt", "GB/T 5490-2010\n");
  const fs::path out = folder / "out.txt";
  std::string command = "\"" HENGDIAN_CLI_PATH "\"";
  for (const std::string &argument : arguments({"--input", list.string()}))
    command += " \"" + argument + "\"";
  command += " > \"" + out.string() + "\" 2> \"" + (folder / "err.txt").string() + "\"";
  ASSERT_EQ(std::system(shellLine(command).c_str()), 0) << readFileBytes(folder / "err.txt");
  EXPECT_EQ(readFileBytes(out), run(arguments({"--input", list.string()})).out);
}

#ifdef _WIN32
TEST_F(CheckCommandTest, InterruptsAndWriteFailuresOfTheProgram) {
  GTEST_SKIP() << "runs the program with POSIX signals, /dev/full and pipes";
}
#else
/// The program started with `args`, standard input from `input`, standard output to `out` (closed
/// when -1) and standard error into `errFile`; its exit status, or -1 when it ran longer than
/// `limit` (it is then killed). `whenRunning` is called with its process id while it runs.
int runProgram(const std::vector<std::string> &args, const fs::path &input, int out, const fs::path &errFile,
               std::chrono::seconds limit, const std::function<void(pid_t)> &whenRunning = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  out < 0 ? posix_spawn_file_actions_addclose(&actions, 1)
          : posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all{HENGDIAN_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  if (whenRunning) whenRunning(pid);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The third line's answer never comes: the signal stops the check, and the two lines done stay.
TEST_F(CheckCommandTest, AnInterruptOrTerminationKeepsTheLinesDone) {
  sites.setLibrarySearch("GB 1-2000", {libraryHit("GB 1-2000 一", "/s/1.html")});
  sites.setLibrarySearch("GB 2-2000", {libraryHit("GB 2-2000 二", "/s/2.html")});
  sites.setLibrarySearch("GB 3-HOLD", {hengdian::testing::delayed(libraryHit("GB 3-HOLD 三", "/s/3.html"),
                                                                  std::chrono::minutes(10))});
  const fs::path list = writeList("list.txt", "GB 1-2000\nGB 2-2000\nGB 3-HOLD\n");
  const std::string done =
      "【同号■现行有效■GB 1-2000 一■2010-01-01■2011-01-01■/s/1.html】\n"
      "【同号■现行有效■GB 2-2000 二■2010-01-01■2011-01-01■/s/2.html】\n";
  for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    SCOPED_TRACE(signal);
    const fs::path out = folder / "out.txt";
    const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int exitCode = runProgram(
        arguments({"--jobs", "2"}), list, file, folder / "err.txt", std::chrono::seconds(30),
        [&, signal = signal](pid_t pid) {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          while (readFileBytes(out).size() < done.size() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          kill(pid, signal);
        });
    close(file);
    EXPECT_EQ(exitCode, status) << readFileBytes(folder / "err.txt");
    EXPECT_EQ(readFileBytes(out), done);
    EXPECT_NE(readFileBytes(folder / "err.txt").find("hengdian-cli: checked 2 lines: 2 in force"),
              std::string::npos);
  }
}

// A full disk or a closed pipe: the run ends at once, without waiting for the held second line,
// and says why; a standard output closed at the start ends it before any lookup.
TEST_F(CheckCommandTest, AWriteFailureEndsTheRunWithFive) {
  sites.setLibrarySearch("GB 1-2000", {libraryHit("GB 1-2000 一", "/s/1.html")});
  sites.setLibrarySearch("GB 2-HOLD", {hengdian::testing::delayed(libraryHit("GB 2-HOLD 二", "/s/2.html"),
                                                                  std::chrono::minutes(10))});
  const fs::path held = writeList("held.txt", "GB 1-2000\nGB 2-HOLD\n");
  const fs::path one = writeList("one.txt", "GB 1-2000\n");
  int pipeEnds[2] = {-1, -1};
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);
  const int full = open("/dev/full", O_WRONLY);
  std::vector<std::string> download = arguments({"--folder", folder.string() + "/"});
  download[0] = "download";
  // {arguments, entered list, standard output, reason}
  const std::vector<std::tuple<std::vector<std::string>, fs::path, int, std::string>> rows{
      {arguments({}), held, full, "No space left on device"},
      {arguments({"--format", "csv"}), held, pipeEnds[1], "Broken pipe"},
      {download, one, full, "No space left on device"},
      {arguments({"--jobs", "4"}), one, -1, "standard output is closed"},
      {download, one, -1, "standard output is closed"},
  };
  for (const auto &[args, list, out, reason] : rows) {
    SCOPED_TRACE(args[0] + " " + reason);
    sites.clearRequests();
    EXPECT_EQ(runProgram(args, list, out, folder / "err.txt", std::chrono::seconds(20)), 5);
    EXPECT_EQ(sites.requests().empty(), out == -1);
    EXPECT_NE(
        readFileBytes(folder / "err.txt").find("hengdian-cli: cannot write the results: " + reason + "\n"),
        std::string::npos)
        << readFileBytes(folder / "err.txt");
  }
  // Results written to a file of their own do not need standard output.
  const fs::path results = folder / "results.csv";
  EXPECT_EQ(runProgram(arguments({"--format", "csv", "--output", results.string()}), one, -1,
                       folder / "err.txt", std::chrono::seconds(20)),
            0)
      << readFileBytes(folder / "err.txt");
  EXPECT_NE(readFileBytes(results).find("GB 1-2000"), std::string::npos);
  close(pipeEnds[1]);
  close(full);
}
#endif

}  // namespace
}  // namespace hengdian::cli
