// The site check against the stand-ins in each state, the pages in the forms the real sites use
// today, the exchanges --save-pages keeps, and the warning of a check whose hits lack parts.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "support/stand_in_pages.h"
#include "support/stand_in_samples.h"
#include "support/test_helpers.h"

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
namespace t = hengdian::testing;

class SitesCommandTest : public ::testing::Test {
 protected:
  SitesCommandTest() { t::serveSamples(sites); }

  /// Exit code, standard output and standard error of `command` against the stand-ins.
  std::tuple<int, std::string, std::string> run(const std::string &command, std::vector<std::string> extra,
                                                const std::string &input = "", std::string library = "") {
    std::vector<std::string> args{command, "--library-host", library.empty() ? sites.libraryHost() : library};
    args.insert(args.end(), {"--portal-host", sites.portalHost(), "--ca-file", sites.caFile()});
    args.insert(args.end(), extra.begin(), extra.end());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = runCli(args, in, out, err);
    return {code, out.str(), err.str()};
  }

  t::StandInSites sites;
  t::TempFolder temp{"hengdian-sites-test-"};
};

TEST_F(SitesCommandTest, ReportsEachSiteInEachStateAndKeepsEveryExchange) {
  const std::string changed =
      t::libraryResultPage({{"", "xxyx", "1", "", ""}, {"GB 2760-2014", "x", "", "", "/a"}});
  const std::string down = "127.0.0.1:" + std::to_string(t::closedLocalPort());
  const auto library = [this](t::RawAnswer answer) { sites.setLibrarySearch("GB 2760-2014", {answer}); };
  const std::vector<std::tuple<std::function<void()>, std::string, std::string, int>> cases{
      {[] {}, "works, hits found for 2 standards in ", "  GB 2760-2014: 1 hit, ", 0},
      {[&] { library(t::pageAnswer("text/html", changed)); },
       "answers, but its pages no longer read as expected",
       "; missing: status in 1 of 2 hits, title in 1 of 2 hits, dates in 1 of 2 hits, link in 1 of 2 hits\n",
       4},
      {[&] {
         library({503, {}, "频控"});
       },
       "throttled (", "  GB 2760-2014: HTTP status 503\n", 4},
      {[] {}, "unreachable: ", "  GB 2760-2014: no answer: ", 4},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const auto &[setUp, verdict, detail, exitCode] = cases[i];
    SCOPED_TRACE(verdict);
    setUp();
    const fs::path saved = temp.path() / std::to_string(i);
    const std::string host = i + 1 == cases.size() ? down : sites.libraryHost();
    const auto [code, out, err] = run("sites", {"--save-pages", saved.string()}, "", host);
    EXPECT_EQ(code, exitCode);
    EXPECT_TRUE(out.starts_with("the library site (http://" + host + "): " + verdict)) << out;
    EXPECT_NE(out.find(detail), std::string::npos) << out;
    EXPECT_NE(out.find("the portal site (https://" + sites.portalHost() + "): works"), std::string::npos);
    EXPECT_NE(err.find(saved.string()), std::string::npos) << err;
    EXPECT_EQ(std::distance(fs::directory_iterator(saved), fs::directory_iterator()), 4);
    t::serveSamples(sites);
  }
}

TEST_F(SitesCommandTest, TodaysPageFormsGiveTheRowsLinkAndItem) {
  // The library page in GBK under headers without a charset, with an absolute https link; the
  // portal's link to an /online/ page.
  const std::string hex = "0c3a7f1e9b2d4c6a8e5f7b9d1a3c5e7f";
  t::expectEach(
      [&](const std::string &site) {
        const auto row = nlohmann::json::parse(
            std::get<1>(run("check", {"--site", site, "--format", "json"}, "GB 2760-2014\n")))["rows"][0];
        return std::tuple{row["name"], row["link"], row["itemId"]};
      },
      std::vector<std::tuple<std::string, std::tuple<std::string, std::string, std::string>>>{
          {"library",
           {"食品安全国家标准 食品添加剂使用标准",
            "https://" + sites.libraryHost() + "/standard/sort/3/42368.html", "42368"}},
          {"portal",
           {"食品安全国家标准 食品添加剂使用标准", sites.portalBase() + "/online/" + hex + ".html", ""}},
      });
}

TEST_F(SitesCommandTest, SavePagesKeepsEachRequestAndAnswerByLineAndCode) {
  const fs::path library = temp.path() / "l", portal = temp.path() / "p", downloads = temp.path() / "d";
  const std::string found = "GB/T 5490-2010\n", folder = temp.path().string() + "/";
  run("check", {"--save-pages", library.string(), "--retry-pause-ms", "1"}, "GB/T 99999-2099\n \n" + found);
  run("check", {"--site", "portal", "--save-pages", portal.string()}, found);
  run("download", {"--save-pages", downloads.string(), "--folder", folder}, found);
  const std::string get = "GET http://" + sites.libraryHost();
  // Each file: the request (its line and form body), then the answer exactly as received.
  t::expectEach(
      [](const fs::path &file, const std::string &request, const std::string &answer) {
        return t::readFileBytes(file).starts_with(request) && t::readFileBytes(file).ends_with(answer);
      },
      std::vector<std::tuple<fs::path, std::string, std::string, bool>>{
          {library / "line_0001_GB_T_99999-2099-2.txt",
           get + "/standard/search.php?corpstandard=2&fields=0&kw=GB/T%2099999-2099\n\nHTTP/1.1 200 ",
           t::libraryEmptyPage(), true},
          {library / "line_0003_GB_T_5490-2010-1.txt", get, "（本机替身）</div>\n</body>\n</html>\n", true},
          {portal / "line_0001_GB_T_5490-2010-1.txt",
           "POST https://" + sites.portalHost() +
               "/basicsearch\n\ntext=GB/T%205490-2010&search=a100\n\nHTTP/",
           "</html>\n", true},
          {downloads / "download_0001_GB_T_5490-2010-1.txt",
           get + "/standard/down.php?auth=24416\n\nHTTP/1.1 302 ", "%%EOF\n", true},
      });
}

TEST_F(SitesCommandTest, ACheckWhoseHitsLackPartsWarnsOncePerRun) {
  const auto page = [](const std::string &body) { return t::pageAnswer("text/html; charset=utf-8", body); };
  sites.setLibrarySearch("GB 1-2000", {page(t::libraryResultPage({{"", "xxyx", "1", "", "/a"}}))});
  sites.setLibrarySearch("GB 2-2000", {page(t::libraryResultPage({{"", "xxyx", "", "", "/b"}}))});
  sites.setPortalSearch("GB 1-2000", {page(t::portalResultPage({{"现行", "GB 1-2000", "1", "2", ""}}))});
  // The warning, then the summary line: one warning for the whole run.
  const std::string advice =
      ". Run \"hengdian-cli sites\" to check the sites, and check again with --save-pages "
      "DIR to keep the pages for a bug report\nhengdian-cli: checked";
  t::expectEach(
      [&](const std::string &site) {
        const std::string err = std::get<2>(run("check", {"--site", site}, "GB 1-2000\nGB 2-2000\n"));
        return err.substr(err.find("warning: "), err.find(" 2 lines") - err.find("warning: "));
      },
      std::vector<std::tuple<std::string, std::string>>{
          {"library",
           "warning: the library site's result pages no longer read as expected; missing: title in 2 "
           "of 2 hits" +
               advice},
          {"portal",
           "warning: the portal site's result pages no longer read as expected; missing: link in 1 "
           "of 1 hits" +
               advice},
      });
}

}  // namespace
}  // namespace hengdian::cli
