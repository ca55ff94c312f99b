#include <cstdlib>

#include "cli/check_command_fixture.h"

namespace hengdian::cli {
namespace {

using hengdian::testing::lineFields;
using hengdian::testing::readFileBytes;
using hengdian::testing::textLines;
using Lines = std::vector<std::string>;
using CheckTextTest = CheckCommandTest;

const std::string kNotFound = "【★未查询到该标准!】";

std::string summaryOf(int lines, int inForce, int notFound, int notAnswered) {
  return "hengdian-cli: checked " + std::to_string(lines) + " lines: " + std::to_string(inForce) +
         " in force, 0 withdrawn, 0 other status, " + std::to_string(notFound) + " not found, " +
         std::to_string(notAnswered) + " not answered";
}

TEST_F(CheckTextTest, PrintsOneResultLinePerEntryOnEitherSite) {
  const std::string list =
      writeList("list.txt", "GB/T 5490-2010\t粮油检验 一般规则\r\nGB/T 9999-2099\t没有的标准\r\n").string();
  const std::string title = "GB/T 5490-2010 粮油检验 一般规则";
  const struct {
    const char *site;
    Lines found;
  } rows[] = {
      {"library", {"同号同名", "现行有效", title, "2010-01-01", "2011-01-01", "/standard/show-5490.html"}},
      {"portal", {"同号同名", "现行", title, "2010-11-10", "2011-02-01", sites.portalBase() + "/gb/5490"}},
  };
  for (const auto &row : rows) {
    const CliRun result = run(arguments({"--input", list, "--site", row.site}));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const Lines lines = textLines(result.out);
    ASSERT_EQ(lines.size(), 2u) << result.out;
    EXPECT_EQ(lineFields(lines[0]), row.found);
    EXPECT_EQ(lines[1], kNotFound);
    EXPECT_EQ(textLines(result.err), Lines{summaryOf(2, 1, 1, 0)});
  }
}

TEST_F(CheckTextTest, CaptionsGoToStandardErrorInOrder) {
  const CliRun withCaptions =
      run(arguments({"--captions", "--site", "portal"}), "GB/T 5490-2010\nGB/T 5491-1985\n");
  EXPECT_EQ(withCaptions.exitCode, 0);
  const std::string summary = summaryOf(2, 1, 1, 0);
  EXPECT_EQ(textLines(withCaptions.err),
            (Lines{"查询得到信息：正在加载中", "查询得到信息：正在加载中...", "查询得到信息：正在加载中.",
                   "查询得到信息：已加载完成。", summary}));

  // On a terminal without --captions: one progress line, rewritten and cleared at the end.
  const CliRun onTerminal = run(arguments({"--site", "portal"}), "GB/T 5490-2010\nGB/T 5491-1985\n", true);
  EXPECT_EQ(onTerminal.exitCode, 0);
  ASSERT_TRUE(onTerminal.err.ends_with("\r" + summary + "\n")) << onTerminal.err;
  const std::string progress = onTerminal.err.substr(0, onTerminal.err.size() - summary.size() - 1);
  EXPECT_NE(progress.find("\r[1/2] GB/T 5490-2010"), std::string::npos) << progress;
  EXPECT_NE(progress.find("\r[2/2] GB/T 5491-1985"), std::string::npos) << progress;
  EXPECT_EQ(progress.find('\n'), std::string::npos);
}

// A failed lookup reads as not found, but a script sees it on standard error, in the JSON row
// and in the exit code.
TEST_F(CheckTextTest, LookupsTheSiteDidNotAnswerAreReportedAndExitWithFour) {
  const std::string loop = "/standard/search.php?corpstandard=2&fields=0&kw=LOOP";
  sites.setLibrarySearch("LOOP", {hengdian::testing::redirectAnswer(loop)});
  hengdian::testing::RawAnswer serverError = hengdian::testing::libraryHit("GB 500 错误页", "/s/500.html");
  serverError.status = 500;
  sites.setLibrarySearch("GB 500", {serverError});
  const std::string input = "GB/T 5490-2010\nLOOP\nGB 500\n";

  const CliRun library = run(arguments({"--format", "json"}), input);
  EXPECT_EQ(library.exitCode, 4);
  const nlohmann::json rows = nlohmann::json::parse(library.out)["rows"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["error"], "");
  EXPECT_EQ(rows[1]["line"], kNotFound);
  EXPECT_NE(rows[1]["error"], "");
  EXPECT_EQ(rows[2]["error"], "HTTP status 500");  // the hits of an error page still show
  EXPECT_EQ(lineFields(rows[2]["line"].get<std::string>()).at(0), "同号");
  EXPECT_EQ(
      textLines(library.err),
      (Lines{"hengdian-cli: LOOP: the library site did not answer: " + rows[1]["error"].get<std::string>(),
             "hengdian-cli: GB 500: the library site did not answer: HTTP status 500",
             summaryOf(3, 1, 0, 2)}));

  std::vector<std::string> unreachable = arguments({"--site", "portal"});
  unreachable[4] = "127.0.0.1:" + std::to_string(hengdian::testing::closedLocalPort());
  const CliRun portal = run(unreachable, "GB/T 5490-2010\n");
  EXPECT_EQ(portal.exitCode, 4);
  EXPECT_EQ(textLines(portal.out), Lines{kNotFound});
  EXPECT_TRUE(portal.err.starts_with("hengdian-cli: GB/T 5490-2010: the portal site did not answer: "))
      << portal.err;
}

// std::system hands the line to `cmd /c` on Windows, which drops the first and the last quote of a
// line that starts with one; a pair around the whole line keeps the program's own quotes.
#ifdef _WIN32
const std::string kLineQuote = "\"";
#else
const std::string kLineQuote;
#endif

TEST_F(CheckTextTest, TheProgramPrintsTheSameLines) {
  const std::filesystem::path list = writeList("list.txt", "GB/T 5490-2010\n");
  const std::filesystem::path out = folder / "out.txt";
  std::string command = "\"" HENGDIAN_CLI_PATH "\"";
  for (const std::string &argument : arguments({"--input", list.string()}))
    command += " \"" + argument + "\"";
  command += " > \"" + out.string() + "\" 2> \"" + (folder / "err.txt").string() + "\"";
  ASSERT_EQ(std::system((kLineQuote + command + kLineQuote).c_str()), 0) << readFileBytes(folder / "err.txt");
  EXPECT_EQ(readFileBytes(out), run(arguments({"--input", list.string()})).out);
}

}  // namespace
}  // namespace hengdian::cli
