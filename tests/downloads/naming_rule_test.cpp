#include "downloads/naming_rule.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/desktop_folder.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

using testing::expectEach;
using Text = std::u16string;

const Text kCode = u"GB/T 5490-2010";
const Text kName = u"粮油检验 一般规则";

TEST(CodeFormTest, DropsOrRewritesEverySlashAndCutsAtTheFirstHyphen) {
  const std::vector<std::tuple<Text, int, Text>> rows{
      {kCode, 1, u"GBT 5490-2010"},
      {kCode, 2, u"GB⁄T 5490-2010"},
      {kCode, 3, u"GBT 5490"},
      {kCode, 4, u"GB⁄T 5490"},
      {kCode, 0, kCode},
      {kCode, 5, kCode},
      // Codes without a slash or a hyphen.
      {u"GB 2760-2014", 1, u"GB 2760-2014"},
      {u"GB 2760-2014", 2, u"GB 2760-2014"},
      {u"GB 2760-2014", 3, u"GB 2760"},
      {u"GB 2760-2014", 4, u"GB 2760"},
      {u"GB/T 5490", 3, u"GBT 5490"},
      {u"GB/T 5490", 4, u"GB⁄T 5490"},
      {u"", 4, u""},
      // Every slash and only the first hyphen count.
      {u"SN/T/Z 1-2-3", 1, u"SNTZ 1-2-3"},
      {u"SN/T/Z 1-2-3", 2, u"SN⁄T⁄Z 1-2-3"},
      {u"SN/T/Z 1-2-3", 3, u"SNTZ 1"},
      {u"SN/T/Z 1-2-3", 4, u"SN⁄T⁄Z 1"},
      {u"-2010", 3, u""},
      // Full-width slash, en dash and full-width hyphen are left alone.
      {u"GB／T 5490–2010", 1, u"GB／T 5490–2010"},
      {u"GB／T 5490－2010", 4, u"GB／T 5490－2010"},
  };
  expectEach(codeForm, rows);
}

/// The rule expanded with room to spare.
std::optional<Text> expanded(const Text &rule, const Text &code, const Text &name) {
  return expandNamingRule(rule, code, name, 1000);
}

TEST(ExpandNamingRuleTest, ReplacesEveryKnownPlaceholderInOrder) {
  const std::vector<std::tuple<Text, Text, Text, Text>> rows{
      // The default rule leaves the extension for the download.
      {Text(kDefaultNamingRule), kCode, kName, u"GB⁄T 5490-2010 粮油检验 一般规则.[扩展名]"},
      {u"[标准代号1]|[标准代号2]|[标准代号3]|[标准代号4]|[标准名称]", kCode, kName,
       u"GBT 5490-2010|GB⁄T 5490-2010|GBT 5490|GB⁄T 5490|粮油检验 一般规则"},
      {u"[标准代号3]_[标准代号3]", kCode, kName, u"GBT 5490_GBT 5490"},
      // Unknown placeholders stay as written.
      {u"［标准代号1］[标准代号5][标准名字][other]", kCode, kName,
       u"［标准代号1］[标准代号5][标准名字][other]"},
      {u"fixed.pdf", kCode, kName, u"fixed.pdf"},
      {u"", kCode, kName, u""},
      // Each step searches what the steps before it left: a code that holds the next step's
      // placeholder is expanded again by that step...
      {u"[标准代号1]", u"a/[标准代号2]", kName, u"aa⁄[标准代号2]"},
      {u"[标准代号2]", u"a/[标准代号3]", kName, u"a⁄a[标准代号3]"},
      {u"[标准代号3]", u"a/[标准代号4]", kName, u"aa⁄[标准代号4]"},
      {u"[标准代号1]", u"A[标准名称]", kName, u"A粮油检验 一般规则"},
      // ...and one that holds an earlier step's is not.
      {u"[标准代号2]", u"a/[标准代号1]", kName, u"a⁄[标准代号1]"},
      {u"[标准名称]", kCode, u"x[标准代号1]", u"x[标准代号1]"},
      {u"[标准名称]", kCode, u"a/b:c?*", u"a/b:c?*"},  // the name is copied unchanged
  };
  expectEach(expanded, rows);
}

TEST(ExpandNamingRuleTest, ALimitStopsTheExpansionBeforeItGrows) {
  // Placeholders in the rule and in the code multiply one another: 2,800 of each would make
  // hundreds of millions of characters.
  Text rule;
  for (int i = 0; i < 700; ++i)
    rule += u"[标准代号1][标准代号2]";
  EXPECT_EQ(expandNamingRule(rule, rule.substr(0, 2800), kName, 32767), std::nullopt);
  EXPECT_EQ(expandNamingRule(u"[标准名称]", kCode, Text(40000, u'x'), 32767), std::nullopt);
  const Text exact = u"GB⁄T 5490-2010 粮油检验 一般规则.[扩展名]";
  EXPECT_EQ(expandNamingRule(Text(kDefaultNamingRule), kCode, kName, exact.size()), exact);
  EXPECT_EQ(expandNamingRule(Text(kDefaultNamingRule), kCode, kName, exact.size() - 1), std::nullopt);
}

TEST(SavedPathTest, JoinsFolderAndNameAsTheyAreAndFillsInTheExtension) {
#ifdef _WIN32
  const Text colon = u"a：b.pdf？id=7";  // made one Windows holds, after the extension is in
#else
  const Text colon = u"a:b.pdf?id=7";
#endif
  // {folder, expanded name, extension, path}
  const std::vector<std::tuple<Text, Text, Text, Text>> rows{
      {u"/home/u/Desktop/", u"GB⁄T 5490-2010 粮油检验 一般规则.[扩展名]", u"pdf",
       u"/home/u/Desktop/GB⁄T 5490-2010 粮油检验 一般规则.pdf"},
      {u"C:\\下载", u"GBT 5490.[扩展名]", u"pdf", u"C:\\下载GBT 5490.pdf"},
      {u"/d/[扩展名]/", u"[扩展名]/a.[扩展名]", u"txt", u"/d/txt/txt/a.txt"},
      {u"/d/", u"plain name", u"pdf", u"/d/plain name"},
      {u"/d/", u"a:b.[扩展名]", u"pdf?id=7", u"/d/" + colon},
      {u"/d/", u"", u"pdf", u"/d/"},
      // Without folder and name the file goes on the desktop under the redirect target's name.
      {u"", u"", u"pdf", desktopFolder() + u"report-2010.pdf"},
  };
  expectEach(
      [](const Text &folder, const Text &name, const Text &extension) {
        return savedPath(folder, name, extension, u"/files/report-2010.pdf");
      },
      rows);
}

}  // namespace
}  // namespace hengdian
