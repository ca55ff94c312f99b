#include "lookup/list_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/code_page.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

using namespace std::chrono_literals;
using testing::delayed;
using testing::libraryHit;

std::string codeOf(std::size_t i) {
  return "GB " + std::to_string(1000 + i) + "-2000";
}

/// A library page of `hits` hits for line `i`, each linking to "/i".
testing::RawAnswer pageOf(std::size_t i, std::size_t hits) {
  const std::vector<std::string> hit{codeOf(i) + " 粮油检验 一般规则", "xxyx", "2010", "2011",
                                     "/" + std::to_string(i)};
  return testing::utf8Page(testing::libraryResultPage(std::vector(hits, hit)));
}

/// A list check of lines codeOf(0), codeOf(1), … against the stand-in sites; what it hands over
/// and asks is logged: "p <line>/<waits>", "e <line> <link>", "s <line>".
class ListCheckTest : public testing::SitesTest {
 protected:
  ListCheckTest() {
    settings.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}};
    settings.retryWait = 1ms;
    settings.http.caFile = http.caFile;
    hooks.onProgress = [this](const CheckProgress &at) {
      log.push_back("p " + std::to_string(at.index) + "/" + std::to_string(at.waits));
    };
    hooks.onEntry = [this](std::size_t index, CheckedEntry &entry) {
      log.push_back("e " + std::to_string(index) + " " + toUtf8(entry.row.link));
      if (index == stopAfter) stop.requestStop();
      return true;
    };
  }

  bool check(std::size_t count, const ListCheckOptions &options) {
    std::vector<EnteredLine> lines;
    for (std::size_t i = 0; i < count; ++i)
      lines.push_back({u16(codeOf(i)), u""});
    return checkList(lines, Site::Library, settings, options, stop, hooks);
  }

  QuerySettings settings;
  ListCheckHooks hooks;
  StopFlag stop;
  std::size_t stopAfter = SIZE_MAX;
  std::vector<std::string> log;
};

// Line 0 answers late, the others with large pages: meanwhile only the look-ahead's lines are asked
// for, and lines go out only while the done ones and those under way fit in the bytes (an entry of
// 1000 hits takes about 100 KB, its lookup several times that; the first line's size is unknown);
// yet every line comes out, also when one entry alone is over the bound.
TEST_F(ListCheckTest, LinesAheadOfASlowLineAreBoundedInNumberAndBytes) {
  constexpr std::size_t kLines = 40;
  for (std::size_t i = 0; i < kLines; ++i)
    sites.setLibrarySearch(codeOf(i), {i == 0 ? delayed(pageOf(0, 1), 1s) : pageOf(i, 1000)});
  std::size_t asked = 0;  // before line 0 is handed over
  hooks.onEntry = [&](std::size_t index, CheckedEntry &) {
    if (index == 0) asked = sites.requests().size();
    return true;
  };
  for (const auto &[lookahead, heldBytes, mostAsked] :
       std::vector<std::tuple<std::size_t, std::size_t, std::size_t>>{
           {3, kHeldEntryBytes, 3}, {kLookahead, 1, 2}, {kLookahead, 1 << 20, 10}}) {
    SCOPED_TRACE(::testing::Message() << lookahead << " lines, " << heldBytes << " bytes");
    sites.clearRequests();
    EXPECT_TRUE(check(kLines, {.jobs = 8, .lookahead = lookahead, .heldEntryBytes = heldBytes}));
    EXPECT_LE(asked, mostAsked);
    EXPECT_EQ(sites.requests().size(), kLines);
  }
}

// Answers slowest first, and line 1 finds nothing and waits ten times before it asks again.
TEST_F(ListCheckTest, EntriesAndWaitsComeInInputOrderWhateverOrderTheAnswersCome) {
  sites.setLibrarySearch(codeOf(0), {delayed(pageOf(0, 1), 600ms)});
  sites.setLibrarySearch(codeOf(2), {delayed(pageOf(2, 1), 300ms)});
  sites.setLibrarySearch(codeOf(3), {pageOf(3, 1)});
  EXPECT_TRUE(check(4, {.jobs = 4}));
  std::vector<std::string> expected{"p 0/0", "e 0 /0", "p 1/0"};
  for (int wait = 1; wait <= 10; ++wait)
    expected.push_back("p 1/" + std::to_string(wait));
  expected.insert(expected.end(), {"e 1 ", "p 2/0", "e 2 /2", "p 3/0", "e 3 /3", "p 4/0"});
  EXPECT_EQ(log, expected);
  EXPECT_EQ(sites.requests().size(), 5u);
}

// The window's way: the site is asked for each line once the line before it is handed over; no
// site ends the check.
TEST_F(ListCheckTest, TheSiteHookIsAskedForEachLineAfterTheLineBeforeIsHandedOver) {
  sites.setLibrarySearch(codeOf(0), {pageOf(0, 1)});
  sites.setPortalSearch(codeOf(1), {testing::portalHit(codeOf(1) + " 乙", "/1")});
  hooks.onProgress = nullptr;
  hooks.siteFor = [&](std::size_t index) -> std::optional<Site> {
    log.push_back("s " + std::to_string(index));
    if (index == 2) return std::nullopt;
    return index == 1 ? Site::Portal : Site::Library;
  };
  EXPECT_FALSE(check(3, {.jobs = 1, .lookahead = 1}));
  EXPECT_EQ(log,
            (std::vector<std::string>{"s 0", "e 0 /0", "s 1", "e 1 " + sites.portalBase() + "/1", "s 2"}));
}

// A stop while a later line is held ends the check at once, with nothing handed over after it.
TEST_F(ListCheckTest, AStopInTheMiddleHandsOverNothingMore) {
  for (std::size_t i = 0; i < 8; ++i)
    sites.setLibrarySearch(codeOf(i), {i == 3 ? delayed(pageOf(i, 1), 10min) : pageOf(i, 1)});
  hooks.onProgress = nullptr;
  stopAfter = 2;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(check(8, {.jobs = 4}));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  EXPECT_EQ(log, (std::vector<std::string>{"e 0 /0", "e 1 /1", "e 2 /2"}));
}

}  // namespace
}  // namespace hengdian
