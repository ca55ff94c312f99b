#include "downloads/naming_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace hengdian {
namespace {

constexpr std::u16string_view kCode = u"GB/T 5490-2010";
constexpr std::u16string_view kName = u"粮油检验 一般规则";

TEST(CodeFormTest, SpellsTheCodeFourWays) {
  EXPECT_EQ(codeForm(kCode, 1), u"GBT 5490-2010");
  EXPECT_EQ(codeForm(kCode, 2), u"GB⁄T 5490-2010");
  EXPECT_EQ(codeForm(kCode, 3), u"GBT 5490");
  EXPECT_EQ(codeForm(kCode, 4), u"GB⁄T 5490");
  EXPECT_EQ(codeForm(kCode, 0), kCode);
  EXPECT_EQ(codeForm(kCode, 5), kCode);
}

TEST(CodeFormTest, CodeWithoutSlashOrHyphen) {
  EXPECT_EQ(codeForm(u"GB 2760-2014", 1), u"GB 2760-2014");
  EXPECT_EQ(codeForm(u"GB 2760-2014", 2), u"GB 2760-2014");
  EXPECT_EQ(codeForm(u"GB 2760-2014", 3), u"GB 2760");
  EXPECT_EQ(codeForm(u"GB 2760-2014", 4), u"GB 2760");
  EXPECT_EQ(codeForm(u"GB/T 5490", 3), u"GBT 5490");
  EXPECT_EQ(codeForm(u"GB/T 5490", 4), u"GB⁄T 5490");
  EXPECT_EQ(codeForm(u"", 4), u"");
}

TEST(CodeFormTest, EverySlashAndOnlyTheFirstHyphenCount) {
  EXPECT_EQ(codeForm(u"SN/T/Z 1-2-3", 1), u"SNTZ 1-2-3");
  EXPECT_EQ(codeForm(u"SN/T/Z 1-2-3", 2), u"SN⁄T⁄Z 1-2-3");
  EXPECT_EQ(codeForm(u"SN/T/Z 1-2-3", 3), u"SNTZ 1");
  EXPECT_EQ(codeForm(u"SN/T/Z 1-2-3", 4), u"SN⁄T⁄Z 1");
  EXPECT_EQ(codeForm(u"-2010", 3), u"");
}

TEST(CodeFormTest, OtherSlashesAndDashesStay) {
  // Full-width slash, en dash and full-width hyphen are left alone.
  EXPECT_EQ(codeForm(u"GB／T 5490–2010", 1), u"GB／T 5490–2010");
  EXPECT_EQ(codeForm(u"GB／T 5490－2010", 4), u"GB／T 5490－2010");
}

TEST(ExpandNamingRuleTest, DefaultRuleLeavesTheExtensionForTheDownload) {
  EXPECT_EQ(expandNamingRule(kDefaultNamingRule, kCode, kName), u"GB⁄T 5490-2010 粮油检验 一般规则.[扩展名]");
}

TEST(ExpandNamingRuleTest, ReplacesEveryPlaceholderEverywhere) {
  EXPECT_EQ(expandNamingRule(u"[标准代号1]|[标准代号2]|[标准代号3]|[标准代号4]|[标准名称]", kCode, kName),
            u"GBT 5490-2010|GB⁄T 5490-2010|GBT 5490|GB⁄T 5490|粮油检验 一般规则");
  EXPECT_EQ(expandNamingRule(u"[标准代号3]_[标准代号3]", kCode, kName), u"GBT 5490_GBT 5490");
}

TEST(ExpandNamingRuleTest, LeavesUnknownPlaceholdersAsWritten) {
  EXPECT_EQ(expandNamingRule(u"［标准代号1］[标准代号5][标准名字][other]", kCode, kName),
            u"［标准代号1］[标准代号5][标准名字][other]");
  EXPECT_EQ(expandNamingRule(u"fixed.pdf", kCode, kName), u"fixed.pdf");
  EXPECT_EQ(expandNamingRule(u"", kCode, kName), u"");
}

TEST(ExpandNamingRuleTest, ReplacesInOrderSoLaterStepsSeeInsertedText) {
  // A code that holds the name placeholder is expanded again by the name step.
  EXPECT_EQ(expandNamingRule(u"[标准代号1]", u"A[标准名称]", kName), u"A粮油检验 一般规则");
  // The name step comes last, so a name that holds a code placeholder keeps it.
  EXPECT_EQ(expandNamingRule(u"[标准名称]", kCode, u"x[标准代号1]"), u"x[标准代号1]");
}

TEST(ExpandNamingRuleTest, CopiesTheNameUnchanged) {
  EXPECT_EQ(expandNamingRule(u"[标准名称]", kCode, u"a/b:c?*"), u"a/b:c?*");
}

TEST(TargetPathTest, JoinsFolderAndNameWithoutAddingASeparator) {
  EXPECT_EQ(targetPath(u"/home/u/Desktop/", kDefaultNamingRule, kCode, kName),
            u"/home/u/Desktop/GB⁄T 5490-2010 粮油检验 一般规则.[扩展名]");
  EXPECT_EQ(targetPath(u"C:\\下载", u"[标准代号3].[扩展名]", kCode, kName), u"C:\\下载GBT 5490.[扩展名]");
  EXPECT_EQ(targetPath(u"C:\\下载\\", u"", kCode, kName), u"C:\\下载\\");
  EXPECT_EQ(targetPath(u"", u"", kCode, kName), u"");
}

}  // namespace
}  // namespace hengdian
