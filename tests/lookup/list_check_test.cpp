#include "lookup/list_check.h"

#include <gtest/gtest.h>

#include <chrono>
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
/// is logged: "p <line>/<waits>", "e <line> <link>".
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
  std::vector<std::string> log;
};

// Line 0 answers late, the others with large pages: meanwhile done lines wait only while their
// bytes fit (an entry of 1000 hits takes over 100 KB),
// yet every line comes out, also when one entry alone is over the bound.
TEST_F(ListCheckTest, LinesAheadOfASlowLineAreBoundedInBytes) {
  constexpr std::size_t kLines = 40;
  for (std::size_t i = 0; i < kLines; ++i)
    sites.setLibrarySearch(codeOf(i), {i == 0 ? delayed(pageOf(0, 1), 1s) : pageOf(i, 1000)});
  std::size_t asked = 0;  // before line 0 is handed over
  hooks.onEntry = [&](std::size_t index, CheckedEntry &) {
    if (index == 0) asked = sites.requests().size();
    return true;
  };
  for (const auto &[heldBytes, mostAsked] :
       std::vector<std::tuple<std::size_t, std::size_t>>{{1, 8}, {1 << 20, 18}}) {
    SCOPED_TRACE(::testing::Message() << heldBytes << " bytes");
    sites.clearRequests();
    EXPECT_TRUE(check(kLines, {.jobs = 8, .heldEntryBytes = heldBytes}));
    EXPECT_LE(asked, mostAsked);
    EXPECT_EQ(sites.requests().size(), kLines);
  }
}

}  // namespace
}  // namespace hengdian
