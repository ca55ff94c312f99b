#include "cli/input_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace hengdian::cli {
namespace {

TEST(InputFile, DecodesUtf8WithOrWithoutBomAndFallsBackToGbk) {
  EXPECT_EQ(decodeInputBytes("GB/T 5490-2010\t\xE7\xB2\xAE\xE6\xB2\xB9"), u"GB/T 5490-2010\t粮油");
  EXPECT_EQ(decodeInputBytes("\xEF\xBB\xBFGB 2760-2014\r\n"), u"GB 2760-2014\r\n");
  EXPECT_EQ(decodeInputBytes("\xEF\xBB\xBF"), u"");
  EXPECT_EQ(decodeInputBytes(""), u"");
  // "粮油检验 一般规则" as saved on Chinese Windows.
  EXPECT_EQ(
      decodeInputBytes("GB/T 5490-2010\t\xC1\xB8\xD3\xCD\xBC\xEC\xD1\xE9 \xD2\xBB\xB0\xE3\xB9\xE6\xD4\xF2"),
      u"GB/T 5490-2010\t粮油检验 一般规则");
}

// Lists put one behind another (`cat a.txt b.txt`): each line read by itself, no BOM left over.
TEST(InputFile, DecodesEachLineByItselfAndDropsEveryBom) {
  const std::vector<std::pair<std::string, std::u16string>> cases{
      {"GB 1\t\xE7\xB2\xAE\xE6\xB2\xB9\nGB 2\t\xC1\xB8\xD3\xCD\n", u"GB 1\t粮油\nGB 2\t粮油\n"},
      {"GB 2\t\xC1\xB8\xD3\xCD\r\nGB 1\t\xE7\xB2\xAE\xE6\xB2\xB9", u"GB 2\t粮油\r\nGB 1\t粮油"},
      {"\xC1\xB8\r\xE7\xB2\xAE", u"粮\r粮"},
      {"\xEF\xBB\xBFGB 1\n\xEF\xBB\xBFGB 2\n", u"GB 1\nGB 2\n"},
      {"GB 1\n\xEF\xBB\xBF\xC1\xB8\xD3\xCD\n", u"GB 1\n粮油\n"},
      {"GB\xEF\xBB\xBF 1", u"GB 1"},
      {std::string("\xFF\xFEG\0\n\0\xFF\xFE\x42\0", 10), u"G\nB"},
  };
  for (const auto &[bytes, text] : cases)
    EXPECT_EQ(decodeInputBytes(bytes), text) << ::testing::PrintToString(bytes);
}

// Windows Notepad's "Unicode" files; misread as UTF-8 they would send codes with NULs.
TEST(InputFile, DecodesUtf16WithOrWithoutItsBomInEitherByteOrder) {
  const std::vector<std::pair<std::string, std::u16string>> cases{
      {std::string("\xFF\xFEG\0B\0\t\0\xAE\x7C\r\0\n\0", 14), u"GB\t粮\r\n"},
      {std::string("\xFE\xFF\0G\0B\0\t\x7C\xAE", 10), u"GB\t粮"},
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), u"\U0001F600"},
      {std::string("\xFF\xFE\x3D\xD8G\0\x41", 7), u"\uFFFDG\uFFFD"},  // lone surrogate, odd byte
      {"\xFF\xFE", u""},
      // Without a BOM, known by the zero bytes of the ASCII, also beside a zero low byte (一).
      {std::string("G\0B\0\t\0\xAE\x7C\0N\r\0\n\0", 14), u"GB\t粮一\r\n"},
      {std::string("\0G\0B\0\t\x7C\xAE", 8), u"GB\t粮"},
      {std::string("G\0B\0\0", 5), std::u16string(u"G\0B\0\0", 5)},  // an odd count: UTF-8 as before
  };
  for (const auto &[bytes, text] : cases)
    EXPECT_EQ(decodeInputBytes(bytes), text) << ::testing::PrintToString(bytes);
}

TEST(InputFile, ReadsStandardInputForADashAndFailsOnWhatCannotBeRead) {
  std::istringstream in("GB 1-2000\r\nGB 2-2000");
  EXPECT_EQ(readInputBytes("-", in).bytes, "GB 1-2000\r\nGB 2-2000");
  std::istringstream empty;
  const InputBytes none = readInputBytes("-", empty);
  EXPECT_EQ(none.bytes, "");
  EXPECT_EQ(none.failure, InputBytes::Failure::None);

  EXPECT_EQ(readInputBytes("/nonexistent/hengdian/list.txt", in).failure, InputBytes::Failure::Unreadable);
  EXPECT_EQ(readInputBytes(std::filesystem::temp_directory_path().string(), in).failure,
            InputBytes::Failure::Unreadable);
}

// The bytes are read in chunks of 64 KiB: at the limit the list is whole, one byte over it is refused.
TEST(InputFile, ReadsExactlyTheLimitAndRefusesOneByteMore) {
  for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65536},
                                  std::size_t{65537}, std::size_t{3} << 16}) {
    for (const std::size_t size : {limit, limit + 1}) {
      SCOPED_TRACE(std::to_string(size) + " bytes, limit " + std::to_string(limit));
      std::istringstream in(std::string(size, 'G'));
      const InputBytes read = readInputBytes("-", in, limit);
      EXPECT_EQ(read.failure, size > limit ? InputBytes::Failure::TooLarge : InputBytes::Failure::None);
      EXPECT_EQ(read.bytes.size(), size > limit ? 0 : size);
    }
  }
}

}  // namespace
}  // namespace hengdian::cli
