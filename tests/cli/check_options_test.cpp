#include <chrono>
#include <new>
#include <streambuf>

#include "cli/check_command_fixture.h"

namespace hengdian::cli {
namespace {

namespace fs = std::filesystem;
using hengdian::testing::libraryHit;
using CheckOptionsTest = CheckCommandTest;

TEST_F(CheckOptionsTest, ReadsGbkListsAndDropsTheUtf8Bom) {
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

// The lines answer slowest first, and one finds nothing and waits before its second attempt: with
// four lookups at once they finish out of order, yet every output is the one-at-a-time output.
TEST_F(CheckOptionsTest, FourJobsGiveTheSameOutputsInInputOrder) {
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

// Like `yes | hengdian-cli check`: the reading stops at the limit instead of running out of memory.
TEST_F(CheckOptionsTest, AnInputOverTheLimitIsRefusedWithoutReadingOn) {
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
  std::ostringstream out, err;
  EXPECT_EQ(runCli(arguments({}), in, out, err), 1);
  EXPECT_EQ(err.str(),
            "hengdian-cli: the input from standard input is larger than 64 MiB; check it in parts\n");
  EXPECT_LE(zeros.served, (std::size_t{64} << 20) + 2 * sizeof zeros.chunk);
  EXPECT_TRUE(sites.requests().empty());
}

// A code is measured in UTF-8 bytes: 341 × 粮 and a letter make 1024 of them.
TEST_F(CheckOptionsTest, ACodeLongerThanOneKibIsReportedAndNotSent) {
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
TEST_F(CheckOptionsTest, RunningOutOfMemoryExitsWithSix) {
  struct NoMemory : std::streambuf {
    int_type underflow() override { throw std::bad_alloc(); }
  } noMemory;
  std::istream in(&noMemory);
  in.exceptions(std::ios::badbit);  // lets the stream pass the failure on
  std::ostringstream out, err;
  EXPECT_EQ(runCli(arguments({}), in, out, err), 6);
  EXPECT_TRUE(err.str().starts_with("hengdian-cli: out of memory")) << err.str();
}

TEST_F(CheckOptionsTest, UsageErrorsExitWithTwoAndUnreadableInputWithOne) {
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

}  // namespace
}  // namespace hengdian::cli
