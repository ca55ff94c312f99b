#include <map>

#include "cli/check_command_fixture.h"

namespace hengdian::cli {
namespace {

using hengdian::testing::RecordedRequest;
using hengdian::testing::textLines;
using CheckCurrentTest = CheckCommandTest;

// 标准查新 on the library site: a current entry, two withdrawn ones of one stem, an unknown one, one
// not in force yet, one without a year and one with no version in force. The results text stays
// as it is, and no search goes out twice.
TEST_F(CheckCurrentTest, CurrentNamesTheVersionInForceSearchingEachStemOnce) {
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
      "3 replaced by a newer version, 2 with no version in force";
  for (const char *jobs : {"1", "4"}) {
    const CliRun text = run(arguments({"--current", "--jobs", jobs}), input);
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, run(arguments({}), input).out);
    EXPECT_EQ(textLines(text.err),
              (std::vector<std::string>{
                  "hengdian-cli: GB/T 5491-1985: 现行版本 GB/T 5491-2020 扦样",
                  "hengdian-cli: GB/T 99999-2099: 没有找到现行版本",
                  "hengdian-cli: GB/T 5491-2008: 现行版本 GB/T 5491-2020 扦样",
                  "hengdian-cli: GB 1-2030: 现行版本 GB 1-2000 旧",
                  "hengdian-cli: GB 2760: 现行版本 GB 2760-2014 添加剂",
                  "hengdian-cli: GB 2-1990: 没有找到现行版本，最新版本 GB 2-2005 二（即将废止）", summary}));
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

}  // namespace
}  // namespace hengdian::cli
