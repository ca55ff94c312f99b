#include "runtime/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace hengdian {
namespace {

using namespace std::string_literals;

TEST(Utf8, RoundTripsChineseAndCharactersOutsideTheBasicPlane) {
  const std::u16string text = u"GB/T 5490-2010 粮油检验 😀";
  const std::string bytes = toUtf8(text);
  EXPECT_EQ(bytes, "GB/T 5490-2010 \xE7\xB2\xAE\xE6\xB2\xB9\xE6\xA3\x80\xE9\xAA\x8C \xF0\x9F\x98\x80");
  EXPECT_EQ(fromUtf8(bytes), text);
  EXPECT_EQ(fromUtf8(""), u"");
  EXPECT_EQ(fromUtf8("a\0b"s), u"a\0b"s);
}

TEST(Utf8, InvalidBytesBecomeReplacementCharactersWithoutLosingTheRest) {
  EXPECT_EQ(fromUtf8("a\x80z"), u"a\uFFFDz");                            // stray continuation byte
  EXPECT_EQ(fromUtf8("a\xE7\xB2"), u"a\uFFFD");                          // sequence cut off at the end
  EXPECT_EQ(fromUtf8("\xE7\xB2z"), u"\uFFFDz");                          // cut off inside
  EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");                      // overlong "/"
  EXPECT_EQ(fromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // encoded surrogate
  EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(fromUtf8("\xFF\xE7\xB2\xAE"), u"\uFFFD粮");
}

TEST(Utf8, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(toUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(toUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  EXPECT_EQ(toUtf8(u"a\xD83D"), "a\xEF\xBF\xBD");
}

TEST(Utf8, ValidityCheck) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("plain ascii"));
  EXPECT_TRUE(isValidUtf8("\xE7\xB2\xAE \xF0\x9F\x98\x80"));
  EXPECT_TRUE(isValidUtf8("\xEF\xBF\xBD"));  // a real U+FFFD is well-formed
  EXPECT_FALSE(isValidUtf8("\xE7\xB2"));
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(isValidUtf8("\xD6\xD0\xCE\xC4"));  // GBK bytes
}

// The legacy code page off Windows is GBK.
TEST(SystemCodePage, ConvertsGbkBothWays) {
  EXPECT_EQ(fromSystemCodePage("\xD6\xD0\xCE\xC4 GB/T \xC1\xB8"), u"中文 GB/T 粮");
  EXPECT_EQ(toSystemCodePage(u"中文 GB/T 粮"), "\xD6\xD0\xCE\xC4 GB/T \xC1\xB8");
  EXPECT_EQ(fromSystemCodePage(""), u"");
  EXPECT_EQ(toSystemCodePage(u""), "");
}

TEST(SystemCodePage, InvalidBytesBecomeReplacementCharactersWithoutLosingTheRest) {
  EXPECT_EQ(fromSystemCodePage("\xD6\xD0\xFF\xCE\xC4"), u"中\uFFFD文");
  EXPECT_EQ(fromSystemCodePage("ab\x81"), u"ab\uFFFD");  // lead byte cut off at the end
  EXPECT_EQ(fromSystemCodePage("\x81 z"), u"\uFFFD z");  // lead byte without a trail byte
}

TEST(SystemCodePage, CharactersGbkCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(toSystemCodePage(u"a😀b"), "a?b");
  EXPECT_EQ(toSystemCodePage(u"a\xD800"
                             u"粮"),
            "a?\xC1\xB8");
}

TEST(DecodeText, FollowsTheChosenDecoding) {
  EXPECT_EQ(decodeText("\xE7\xB2\xAE", TextDecoding::Utf8), u"粮");
  EXPECT_EQ(decodeText("\xC1\xB8", TextDecoding::SystemCodePage), u"粮");
  EXPECT_EQ(decodeText("\xC1\xB8", TextDecoding::Utf8), u"\uFFFD\uFFFD");
}

}  // namespace
}  // namespace hengdian
