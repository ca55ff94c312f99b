#include "downloads/windows_file_name.h"

#include <algorithm>
#include <array>

#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::u16string_view kRefused = u":*?\"<>|";
/// From an ASCII character to its full-width form (U+FF01 to U+FF5E).
constexpr char16_t kFullWidthOffset = 0xFEE0;

// Windows takes the superscript digits of Latin-1 for digits in these names too.
constexpr std::array<std::u16string_view, 28> kDeviceNames{
    u"con",  u"prn",  u"aux",  u"nul",  u"com1", u"com2", u"com3", u"com4", u"com5", u"com6",
    u"com7", u"com8", u"com9", u"com¹", u"com²", u"com³", u"lpt1", u"lpt2", u"lpt3", u"lpt4",
    u"lpt5", u"lpt6", u"lpt7", u"lpt8", u"lpt9", u"lpt¹", u"lpt²", u"lpt³"};

std::u16string validElement(std::u16string_view element) {
  if (element == u"." || element == u"..") return std::u16string(element);
  std::u16string valid;
  for (const char16_t c : element)
    valid += c < 0x20                                        ? u' '
             : kRefused.find(c) != std::u16string_view::npos ? static_cast<char16_t>(c + kFullWidthOffset)
                                                             : c;
  valid.erase(valid.find_last_not_of(u". ") + 1);
  // Spaces between the name and its extension do not keep Windows from taking it for the device.
  const std::size_t dot = std::min(valid.find(u'.'), valid.size());
  const std::size_t stem = std::u16string_view(valid).substr(0, dot).find_last_not_of(u' ') + 1;
  const std::u16string lowerStem = lowerCase(std::u16string_view(valid).substr(0, stem));
  if (std::find(kDeviceNames.begin(), kDeviceNames.end(), lowerStem) != kDeviceNames.end())
    valid.insert(valid.begin() + static_cast<std::ptrdiff_t>(stem), u'_');
  return valid;
}

}  // namespace

std::u16string windowsFileName(std::u16string_view name) {
  std::u16string valid;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(name.find_first_of(u"/\\", start), name.size());
    valid += validElement(name.substr(start, end - start));
    if (end == name.size()) return valid;
    valid += name[end];
    start = end + 1;
  }
}

}  // namespace hengdian
