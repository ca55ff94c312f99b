#include "downloads/windows_file_name.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "runtime/text.h"
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

// Each device name in three cases, bare, before an extension (also after spaces) and in a folder
// element; a digit or letter more, or the name inside a longer one, is an ordinary name.
TEST(WindowsFileNameTest, EveryDeviceNameInAnyCaseGetsAnUnderscore) {
  std::vector<std::u16string> devices{u"CON", u"PRN", u"AUX", u"NUL"};
  for (const std::u16string_view port : {u"COM", u"LPT"})
    for (const char16_t digit : std::u16string_view(u"123456789¹²³"))
      devices.push_back(std::u16string(port) + digit);
  std::vector<std::tuple<std::u16string, std::u16string>> rows;
  for (const std::u16string &upper : devices) {
    const std::u16string lower = lowerCase(upper);
    const std::u16string mixed = lower.substr(0, 1) + upper.substr(1);
    for (const std::u16string &name : {upper, lower, mixed}) {
      rows.insert(rows.end(), {{name, name + u"_"},
                               {name + u".pdf", name + u"_.pdf"},
                               {name + u"  .tar.gz", name + u"_  .tar.gz"},
                               {u"a/" + name + u"/b.pdf", u"a/" + name + u"_/b.pdf"},
                               {name + u"0.pdf", name + u"0.pdf"},
                               {u"x" + name, u"x" + name},
                               {name + u"x.pdf", name + u"x.pdf"}});
    }
  }
  testing::expectEach(windowsFileName, rows);
}

}  // namespace
}  // namespace hengdian
