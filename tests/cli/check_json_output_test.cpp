#include "cli/check_command_fixture.h"

namespace hengdian::cli {
namespace {

using CheckJsonTest = CheckCommandTest;

TEST_F(CheckJsonTest, RowsAndSummaryOnEitherSite) {
  const std::string listBytes = "GB/T 5490-2010\t粮油检验 一般规则\r\nGB/T 9999-2099\t没有的标准\r\n";
  const std::string list = writeList("list.txt", listBytes).string();

  const CliRun library = run(arguments({"--input", list, "--format", "json"}));
  ASSERT_EQ(library.exitCode, 0) << library.err;
  EXPECT_TRUE(library.out.ends_with("}\n"));
  const nlohmann::json document = nlohmann::json::parse(library.out);
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
  EXPECT_EQ(rows[0]["line"], hengdian::testing::textLines(run(arguments({"--input", list})).out).at(0));
  EXPECT_EQ(rows[1], (nlohmann::json{{"code", "GB/T 9999-2099"},
                                     {"name", "没有的标准"},
                                     {"site", 0},
                                     {"link", ""},
                                     {"itemId", ""},
                                     {"line", "【★未查询到该标准!】"},
                                     {"error", ""}}));

  const CliRun portal = run(arguments({"--site", "portal", "--format", "json"}), listBytes);
  ASSERT_EQ(portal.exitCode, 0) << portal.err;
  const nlohmann::json portalRows = nlohmann::json::parse(portal.out)["rows"];
  ASSERT_EQ(portalRows.size(), 2u);
  EXPECT_EQ(portalRows[0]["site"], 1);
  EXPECT_EQ(portalRows[0]["link"], sites.portalBase() + "/gb/5490");
  EXPECT_EQ(portalRows[0]["itemId"], "");
  EXPECT_EQ(portalRows[1]["site"], 1);
}

}  // namespace
}  // namespace hengdian::cli
