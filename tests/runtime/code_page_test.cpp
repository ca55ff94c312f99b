#include "runtime/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

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
  const std::vector<std::tuple<std::string, std::u16string>> rows{
      {"a\x80z", u"a\uFFFDz"},                            // stray continuation byte
      {"a\xE7\xB2", u"a\uFFFD"},                          // sequence cut off at the end
      {"\xE7\xB2z", u"\uFFFDz"},                          // cut off inside
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xFF\xE7\xB2\xAE", u"\uFFFD粮"},
  };
  testing::expectEach(fromUtf8, rows);
}

TEST(Utf8, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::vector<std::tuple<std::u16string, std::string>> rows{
      {u"a\xD800z", "a\xEF\xBF\xBDz"},
      {u"\xDC00", "\xEF\xBF\xBD"},
      {u"a\xD83D", "a\xEF\xBF\xBD"},
  };
  testing::expectEach(toUtf8, rows);
}

TEST(Utf8, ValidityCheck) {
  const std::vector<std::tuple<std::string, bool>> rows{
      {"", true},
      {"plain ascii", true},
      {"\xE7\xB2\xAE \xF0\x9F\x98\x80", true},
      {"\xEF\xBF\xBD", true},  // a real U+FFFD is well-formed
      {"\xE7\xB2", false},
      {"\xC0\xAF", false},
      {"\xED\xA0\x80", false},
      {"\xD6\xD0\xCE\xC4", false},  // GBK bytes
  };
  testing::expectEach(isValidUtf8, rows);
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

// Both decoders copy runs of ASCII eight bytes at a time; a run may end at any byte of a group of
// eight, with a character of another script, a bad byte or the end of the text.
TEST(DecodeText, AsciiRunsEndingAtEveryOffsetDecodeAsOneByteAtATime) {
  struct Piece {
    std::string bytes;
    TextDecoding decoding;
    std::u16string text;
  };
  const std::vector<Piece> pieces{
      {"\xC1\xB8", TextDecoding::SystemCodePage, u"粮"},
      {"\xFF", TextDecoding::SystemCodePage, u"\uFFFD"},
      {"\xE7\xB2\xAE", TextDecoding::Utf8, u"粮"},
      {"\xC3\xA9", TextDecoding::Utf8, u"é"},
      {"\xF0\x9F\x98\x80", TextDecoding::Utf8, u"😀"},
      {"\xFF", TextDecoding::Utf8, u"\uFFFD"},
      {"\xED\xA0\x80", TextDecoding::Utf8, u"\uFFFD\uFFFD\uFFFD"},
  };
  const std::vector<std::pair<std::string, std::u16string>> cutEnds{
      {"\x81", u"\uFFFD"}, {"\xE7\xB2", u"\uFFFD"}};  // a character cut off by the end of the text
  for (const Piece &piece : pieces) {
    for (std::size_t before = 0; before <= 17; ++before) {
      for (std::size_t after = 0; after <= 17; ++after) {
        const std::string bytes =
            std::string(before, 'a') + piece.bytes + std::string(after, 'b') + piece.bytes;
        const std::u16string text =
            std::u16string(before, u'a') + piece.text + std::u16string(after, u'b') + piece.text;
        EXPECT_EQ(decodeText(bytes, piece.decoding), text) << before << " " << after << " " << piece.bytes;
      }
      for (const auto &[cut, replaced] : cutEnds) {
        const TextDecoding decoding = cut.size() == 1 ? TextDecoding::SystemCodePage : TextDecoding::Utf8;
        EXPECT_EQ(decodeText(std::string(before, 'a') + cut, decoding),
                  std::u16string(before, u'a') + replaced);
      }
    }
  }
}

TEST(DecodeText, FollowsTheChosenDecoding) {
  const std::vector<std::tuple<std::string, TextDecoding, std::u16string>> rows{
      {"\xE7\xB2\xAE", TextDecoding::Utf8, u"粮"},
      {"\xC1\xB8", TextDecoding::SystemCodePage, u"粮"},
      {"\xC1\xB8", TextDecoding::Utf8, u"\uFFFD\uFFFD"},
  };
  testing::expectEach(decodeText, rows);
}

}  // namespace
}  // namespace hengdian
