#include "downloads/windows_file_name.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

TEST(WindowsFileNameTest, RefusedCharactersTrailingDotsAndDeviceNamesBecomeValid) {
  const std::vector<std::tuple<std::u16string, std::u16string>> rows{
      {u"GB⁄T 1.1-2020 第1部分:总则.pdf", u"GB⁄T 1.1-2020 第1部分：总则.pdf"},
      {u"a*b?c\"d<e>f|g.pdf", u"a＊b？c＂d＜e＞f｜g.pdf"},
      {u"x.pdf?id=7", u"x.pdf？id=7"},  // the extension the redirect filled in
      {u"a\tb\x01"
       u"c\x1F.pdf",
       u"a b c .pdf"},
      {u"name. . ", u"name"},
      {u"CON.pdf", u"CON_.pdf"},
      {u"con", u"con_"},
      {u"nul. ", u"nul_"},
      {u"Lpt9.tar.gz", u"Lpt9_.tar.gz"},
      {u"COM10.pdf", u"COM10.pdf"},
      {u"sub/PRN.txt", u"sub/PRN_.txt"},  // each element between separators, which stay
      {u"..\\a:b./c", u"..\\a：b/c"},
      {u"", u""},
  };
  testing::expectEach(windowsFileName, rows);
}

}  // namespace
}  // namespace hengdian
