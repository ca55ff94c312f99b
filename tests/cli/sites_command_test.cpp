// The site check against the stand-ins in each state, the exchanges --save-pages keeps, and the
// warning of a check whose pages no longer read as expected.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "support/stand_in_pages.h"
#include "support/stand_in_samples.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::pageAnswer;
using hengdian::testing::RawAnswer;
using hengdian::testing::readFileBytes;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class SitesCommandTest : public ::testing::Test {
 protected:
  SitesCommandTest() { hengdian::testing::serveSamples(sites); }

  CliRun run(const std::string &command, std::vector<std::string> extra, const std::string &input = "",
             const std::string &libraryHost = "") {
    std::vector<std::string> args{
        command,         "--library-host",   libraryHost.empty() ? sites.libraryHost() : libraryHost,
        "--portal-host", sites.portalHost(), "--ca-file",
        sites.caFile()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliRun result;
    result.exitCode = runCli(args, in, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  std::size_t filesIn(const fs::path &path) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), fs::directory_iterator()));
  }

  hengdian::testing::StandInSites sites;
  hengdian::testing::TempFolder temp{"hengdian-sites-test-"};
};

TEST_F(SitesCommandTest, ReportsEachSiteInEachStateAndKeepsEveryExchange) {
  const std::string untitled = hengdian::testing::libraryResultPage(
      {{"", "xxyx", "2015-05-24", "1", ""}, {"GB 2760-2014 x", "new", "", "", "/a"}});
  struct Case {
    const char *state;
    std::function<void()> setUp;
    std::string libraryHost;  // "" the stand-in's
    std::string verdict;
    std::string detail;
    int exitCode;
  };
  const Case cases[] = {
      {"as expected", [] {}, "", "works, hits found for 2 standards in ", "  GB 2760-2014: 1 hit, ", 0},
      {"changed pages", [&] { sites.setLibrarySearch("GB 2760-2014", {pageAnswer("text/html", untitled)}); },
       "", "answers, but its pages no longer read as expected",
       "; missing: status in 1 of 2 hits, title in 1 of 2 hits, dates in 1 of 2 hits, link in 1 of 2 hits\n",
       4},
      {"no hits", [&] { sites.setLibrarySearch("GB 2760-2014", {pageAnswer("text/html", "<html></html>")}); },
       "", "answers, but its pages no longer read as expected", "  GB 2760-2014: no hits, ", 4},
      {"503",
       [&] {
         sites.setLibrarySearch("GB 2760-2014", {RawAnswer{503, {}, "频控"}});
       },
       "", "throttled (it answers 503 or 429", "  GB 2760-2014: HTTP status 503\n", 4},
      {"down", [] {}, "127.0.0.1:" + std::to_string(hengdian::testing::closedLocalPort()),
       "unreachable: ", "  GB 2760-2014: no answer: ", 4},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.state);
    c.setUp();
    const fs::path saved = temp.path() / c.state;
    const CliRun result = run("sites", {"--save-pages", saved.string()}, "", c.libraryHost);
    EXPECT_EQ(result.exitCode, c.exitCode);
    const std::string host = c.libraryHost.empty() ? sites.libraryHost() : c.libraryHost;
    EXPECT_TRUE(result.out.starts_with("the library site (http://" + host + "): " + c.verdict)) << result.out;
    EXPECT_NE(result.out.find(c.detail), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("the portal site (https://" + sites.portalHost() + "): works"),
              std::string::npos);
    EXPECT_NE(result.err.find(saved.string()), std::string::npos) << result.err;
    EXPECT_EQ(filesIn(saved), 4u);  // two searches on each site
    hengdian::testing::serveSamples(sites);
  }
}

TEST_F(SitesCommandTest, SavePagesKeepsEachRequestAndAnswerByLineAndCode) {
  const fs::path saved = temp.path() / "pages";
  const fs::path portal = temp.path() / "portal";
  const fs::path downloads = temp.path() / "downloads";
  const std::string found = "GB/T 5490-2010\n";
  ASSERT_EQ(
      run("check", {"--save-pages", saved.string(), "--retry-pause-ms", "1"}, "GB/T 99999-2099\n \n" + found)
          .exitCode,
      0);
  ASSERT_EQ(run("check", {"--site", "portal", "--save-pages", portal.string()}, found).exitCode, 0);
  ASSERT_EQ(
      run("download", {"--save-pages", downloads.string(), "--folder", temp.path().string() + "/"}, found)
          .exitCode,
      0);
  struct Case {
    fs::path file;
    std::string request;  // the file's start
    std::string answer;   // the answer's body, the file's end
  };
  const Case cases[] = {
      {saved / "line_0001_GB_T_99999-2099-2.txt",
       "GET http://" + sites.libraryHost() +
           "/standard/search.php?corpstandard=2&fields=0&kw=GB/T%2099999-2099\n\nHTTP/1.1 200 ",
       hengdian::testing::libraryEmptyPage()},
      {saved / "line_0003_GB_T_5490-2010-1.txt", "GET http://" + sites.libraryHost(),
       "记录</div>\n"
       "<div class=\"foot\">食品标准资料库（本机替身）</div>\n</body>\n</html>\n"},
      {portal / "line_0001_GB_T_5490-2010-1.txt",
       "POST https://" + sites.portalHost() +
           "/basicsearch\n\ntext=GB/T%205490-2010&search=a100\n\nHTTP/1.1 200 ",
       "</html>\n"},
      {downloads / "download_0001_GB_T_5490-2010-1.txt",
       "GET http://" + sites.libraryHost() + "/standard/down.php?auth=24416\n\nHTTP/1.1 302 ", "%%EOF\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file.string());
    const std::string text = readFileBytes(c.file);
    EXPECT_TRUE(text.starts_with(c.request)) << text.substr(0, 300);
    EXPECT_TRUE(text.ends_with(c.answer));
  }
}

TEST_F(SitesCommandTest, ACheckWhoseHitsLackPartsWarnsOncePerRun) {
  const std::string untitled = hengdian::testing::libraryResultPage({{"", "xxyx", "2015", "1", "/a"}});
  const std::string linkless =
      hengdian::testing::portalResultPage({{"现行", "GB 1-2000 x", "2000", "2001", ""}});
  struct Case {
    std::string site;
    std::function<void()> setUp;
    std::string warning;  // "" none
  };
  const Case cases[] = {
      {"library", [] {}, ""},
      {"library",
       [&] {
         sites.setLibrarySearch("GB 1-2000", {pageAnswer("text/html", untitled)});
         sites.setLibrarySearch("GB 2-2000", {pageAnswer("text/html", untitled)});
       },
       "hengdian-cli: warning: the library site's result pages no longer read as expected; missing: title in "
       "2 "
       "of 2 hits. Run \"hengdian-cli sites\""},
      {"portal",
       [&] { sites.setPortalSearch("GB 1-2000", {pageAnswer("text/html; charset=utf-8", linkless)}); },
       "hengdian-cli: warning: the portal site's result pages no longer read as expected; missing: link in 1 "
       "of "
       "1 hits."},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.warning);
    c.setUp();
    const CliRun result = run("check", {"--site", c.site, "--retry-pause-ms", "1"}, "GB 1-2000\nGB 2-2000\n");
    const std::size_t at = result.err.find("warning:");
    if (c.warning.empty()) {
      EXPECT_EQ(at, std::string::npos) << result.err;
      continue;
    }
    EXPECT_NE(result.err.find(c.warning), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("warning:", at + 1), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("--save-pages DIR"), std::string::npos);
  }
}

}  // namespace
}  // namespace hengdian::cli
