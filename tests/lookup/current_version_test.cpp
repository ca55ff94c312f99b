#include "lookup/current_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "lookup/list_check.h"
#include "runtime/code_page.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

using Text = std::u16string;

using CurrentVersionCheck = testing::SitesTest;

TEST(CodeStem, IsTheCodeWithoutItsHyphenAndFourDigitYear) {
  const std::vector<std::tuple<Text, Text>> rows{
      {u"GB/T 5491-1985", u"GB/T 5491"},
      {u"GB 2760-2014", u"GB 2760"},
      {u"NY/T 777-2010", u"NY/T 777"},
      {u"GB 5009.3-2016", u"GB 5009.3"},
      {u"GB 2760", u"GB 2760"},
      {u"gb/t 5491-1985", u"gb/t 5491"},
      {u"GB/T 5491－1985", u"GB/T 5491－1985"},
      {u"GB/T 5491-85", u"GB/T 5491-85"},
      {u"GB/T 5491 -1985", u"GB/T 5491"},
      {u"-1985", u""},
  };
  testing::expectEach(codeStem, rows);
}

TEST(ChooseCurrentVersion, TheLatestVersionInForceOrElseTheLatestOfTheStem) {
  // Hits as {title, status}; the choice as "code status link", the link being the hit's number.
  using Hits = std::vector<std::tuple<Text, Text>>;
  const auto choose = [](Site site, const Text &stem, const Hits &hits) {
    std::vector<HitRecord> records;
    for (const auto &[title, status] : hits)
      records.push_back({MatchMarker::SameCode, status, title, u"", u"",
                         Text(1, static_cast<char16_t>(u'0' + records.size()))});
    const std::optional<CurrentVersion> chosen = chooseCurrentVersion(site, stem, records);
    return chosen ? chosen->code + u" " + chosen->status + u" " + chosen->link : Text();
  };
  const std::vector<std::tuple<Site, Text, Hits, Text>> rows{
      {Site::Library,
       u"GB/T 5491",
       {{u"GB/T 5491-1985 扦样", u"已经废止"}, {u"GB/T 5491-2020 扦样", u"现行有效"}},
       u"GB/T 5491-2020 现行有效 1"},
      {Site::Library,
       u"GB 2760",
       {{u"GB 2760-2011 a", u"已经废止"},
        {u"GB 2760-2024 a", u"即将实施"},
        {u"GB 2760-2014 a", u"现行有效"},
        {u"GB 2760-2007 a", u"现行有效"}},
       u"GB 2760-2014 现行有效 2"},
      {Site::Library,
       u"GB 2",
       {{u"GB 2-1990 a", u"已经废止"}, {u"GB 2-2005 a", u"即将废止"}, {u"GB 2-1999 a", u"已经废止"}},
       u"GB 2-2005 即将废止 1"},
      {Site::Library,
       u"GB/T 5491",
       {{u"GB/T 54910-2023 a", u"现行有效"},
        {u"GB/T 5491.2-2024 a", u"现行有效"},
        {u"GB/T 5491-20201 a", u"现行有效"},
        {u"XGB/T 5491-2023 a", u"现行有效"},
        {u"GB/T 5491 a", u"现行有效"},
        {u"GB/T 5491-1985 a", u"已经废止"}},
       u"GB/T 5491-1985 已经废止 5"},
      {Site::Library, u"gb/t 5491", {{u"  GB/T 5491-2020 a", u"现行有效"}}, u"GB/T 5491-2020 现行有效 0"},
      {Site::Library,
       u"GB 3",
       {{u"GB 3-2000 a", u"现行有效"}, {u"GB 3-2000/XG1-2005 a", u"现行有效"}},
       u"GB 3-2000 现行有效 0"},
      {Site::Library, u"GB/T 99999", {}, u""},
      {Site::Library, u"", {{u"-2020 a", u"现行有效"}}, u""},
      // The portal site's word for in force is "现行".
      {Site::Portal,
       u"GB/T 5491",
       {{u"GB/T 5491-1985 扦样", u"废止"},
        {u"GB/T 5491-2020 扦样", u"现行"},
        {u"GB/T 5491-2024 扦样", u"即将实施"}},
       u"GB/T 5491-2020 现行 1"},
  };
  testing::expectEach(choose, rows);
}

// Through the list check on the library site, one entry each: its own page and its stem's page
// (none: the stem must not be searched); the standing, the version named ("" for none).
TEST_F(CurrentVersionCheck, EntriesAtTheEdgesOfTheVersionInForce) {
  const auto page = [](std::vector<std::vector<std::string>> hits) {
    return testing::utf8Page(testing::libraryResultPage(hits));
  };
  testing::RawAnswer failed = page({{"GB 3-2000 三", "yjfz", "", "", "/s/3"}});
  failed.status = 500;
  const std::vector<
      std::tuple<std::string, testing::RawAnswer, std::optional<testing::RawAnswer>, CurrentStanding, Text>>
      rows{
          // The same year as the version in force: the entry's own version, not a newer one.
          {"GB 2-2020", page({{"GB 20-2020 二十", "xxyx", "", "", "/s/20"}}),
           page({{"GB 2-2020 二", "xxyx", "", "", "/s/2"}, {"GB 2-2015 二", "yjfz", "", "", "/s/2-2015"}}),
           CurrentStanding::NotReplaced, u"GB 2-2020"},
          // The only hit is another standard, on the entry's page and on the stem's.
          {"GB 1-2000", page({{"GB 10-2000 十", "xxyx", "", "", "/s/10"}}),
           page({{"GB 10-2000 十", "xxyx", "", "", "/s/10"}}), CurrentStanding::NoneInForce, u""},
          {"GB 2760", page({{"GB 27600-2010 另一标准", "xxyx", "", "", "/s/27600"}}), std::nullopt,
           CurrentStanding::NoneInForce, u""},
          // A lookup the site did not answer tells nothing of the versions.
          {"GB 3-2000", failed, std::nullopt, CurrentStanding::NotSought, u""},
      };
  QuerySettings settings{.hosts = {{u16(sites.libraryHost()), u16(sites.portalHost())}},
                         .retryWait = std::chrono::milliseconds(1)};
  settings.http.caFile = http.caFile;
  StopFlag stop;
  for (const auto &[code, own, stemPage, standing, version] : rows) {
    SCOPED_TRACE(code);
    const Text stem = codeStem(u16(code));
    sites.setLibrarySearch(code, {own});
    if (stemPage) sites.setLibrarySearch(toUtf8(stem), {*stemPage});
    sites.clearRequests();
    std::optional<CurrentFinding> found;
    ListCheckHooks hooks;
    hooks.onEntry = [&found](std::size_t, CheckedEntry &entry) {
      found = entry.current;
      return true;
    };
    ASSERT_TRUE(checkList({{u16(code), u""}}, Site::Library, settings, {.findCurrent = true}, stop, hooks));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->standing, standing);
    EXPECT_EQ(found->version ? found->version->code : Text(), version);
    if (stem == u16(code)) continue;  // its own page is its stem's
    const std::string stemQuery = "kw=" + toUtf8(urlEncode(stem));
    const auto asked = testing::requestFields(sites, &testing::RecordedRequest::query);
    EXPECT_EQ(
        std::ranges::count_if(asked, [&](const std::string &query) { return query.ends_with(stemQuery); }),
        stemPage ? 1 : 0);
  }
}

}  // namespace
}  // namespace hengdian
