#include "lookup/current_version.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

using Text = std::u16string;

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

}  // namespace
}  // namespace hengdian
