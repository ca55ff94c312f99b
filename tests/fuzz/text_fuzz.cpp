// The text primitives on any UTF-16, each against a property it must keep.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "runtime/text.h"

using namespace hengdian;

namespace {

// Cutting a text at a separator and joining the fields again gives the text back; only for a few
// fields, to keep each run short.
void checkFields(std::u16string_view text, std::u16string_view separator) {
  const std::size_t count = countOf(text, separator);
  if (separator.empty() || count > 64) return;
  std::u16string joined = fieldOf(text, 1, separator);
  for (std::size_t i = 2; i <= count + 1; ++i) {
    joined += separator;
    joined += fieldOf(text, static_cast<std::int64_t>(i), separator);
  }
  fuzz::require(joined == text, "the fields joined by their separator give the text back");
  fuzz::require(fieldOf(text, static_cast<std::int64_t>(count) + 2, separator).empty(),
                "no field past the last");
}

}  // namespace

// Input: text, pattern and replacement, cut at NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const auto parts = fuzz::partsOf(data, size, 3);
  const std::u16string text = fuzz::anyUtf16(parts[0]);
  const std::u16string sub = fuzz::anyUtf16(parts[1]);
  const std::u16string replacement = fuzz::anyUtf16(parts[2]);

  fuzz::require(replaceAll(text, u"", replacement) == text,
                "replaceAll with an empty find returns its input");
  fuzz::require(replaceAll(text, sub, sub) == text, "replacing a text by itself changes nothing");
  const std::size_t at = std::u16string_view(text).find(sub);
  const std::size_t expected = text.empty() || sub.empty() || at == std::u16string::npos ? 0 : at + 1;
  fuzz::require(positionOf(text, sub) == expected, "positionOf finds the first occurrence");
  checkFields(text, sub);

  const std::u16string trimmed = trimSpaces(text);
  fuzz::require(trimmed.empty() || (trimmed.front() != u' ' && trimmed.back() != u' '), "trimSpaces trims");
  fuzz::require(positionOf(text, trimmed) != 0 || trimmed.empty(), "trimSpaces keeps a piece of the text");
  const std::int64_t width = static_cast<std::int64_t>(replacement.size()) - 8;
  fuzz::require(padLeft(text, width, u'0').size() == static_cast<std::size_t>(width < 0 ? 0 : width),
                "padLeft gives the asked length");

  const std::u16string lower = lowerCase(text);
  fuzz::require(lower.size() == text.size(), "lowerCase keeps the length");
  fuzz::require(lowerCase(lower) == lower, "lowerCase of lower-case text changes nothing");

  const std::u16string name = fileNamePart(text, false);
  fuzz::require(name.find_first_of(u"/\\\"") == std::u16string::npos, "a file name part holds no separator");
  fuzz::require(name.starts_with(fileNamePart(text, true)), "cutting the extension keeps the front");
  return 0;
}
