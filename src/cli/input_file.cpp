#include "cli/input_file.h"

#include <algorithm>
#include <fstream>

#include "runtime/code_page.h"
#include "runtime/utf16.h"

namespace hengdian::cli {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// UTF-16 bytes in the given order, behind their BOM. A surrogate without its partner and an odd
// last byte become U+FFFD, as invalid bytes do in the other decodings.
std::u16string fromUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  if (bytes.size() % 2 != 0) units.push_back(u'\uFFFD');
  for (std::size_t i = 0; i < units.size();) {
    const Utf16CodePoint point = codePointAt(units, i);
    if (isSurrogate(point.value)) units[i] = u'\uFFFD';
    i += point.units;
  }
  return units;
}

// How far into a list without BOM its zero bytes are looked for: its first lines.
constexpr std::size_t kUtf16Sample = 1024;

// Whether `bytes` look like UTF-16 in the given order without a BOM: an even count, and the
// first lines zero in the high byte of at least a quarter of their units (the ASCII of the codes)
// while far fewer units are zero in the low byte. UTF-8 and GBK lists hold no zero bytes.
bool looksLikeUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return false;
  const std::string_view sample = bytes.substr(0, kUtf16Sample);
  std::size_t zeroHigh = 0;
  std::size_t zeroLow = 0;
  for (std::size_t at = 0; at + 1 < sample.size(); at += 2) {
    zeroHigh += sample[bigEndian ? at : at + 1] == '\0';
    zeroLow += sample[bigEndian ? at + 1 : at] == '\0';
  }
  return zeroHigh != 0 && zeroHigh * 4 >= sample.size() / 2 && zeroLow * 4 < zeroHigh;
}

// A list without a UTF-16 BOM, line by line: a line that is valid UTF-8 as UTF-8, any other as
// GBK, so that a UTF-8 list and a GBK list put one behind the other both read right. A UTF-8 BOM
// at the start of a line (of a file put behind another) goes before that choice. CR and LF never
// stand inside a character of either encoding, so the lines are cut on the bytes.
std::u16string fromUtf8OrGbkLines(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    std::string_view line = bytes.substr(0, std::min(bytes.find_first_of("\r\n"), bytes.size() - 1) + 1);
    bytes.remove_prefix(line.size());
    if (line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
    text += isValidUtf8(line) ? fromUtf8(line) : fromSystemCodePage(line);
  }
  return text;
}

// A read error (a directory given as the file, say) sets badbit; the end of the data does not.
InputBytes readAll(std::istream &stream, std::size_t limit) {
  InputBytes input;
  char chunk[1 << 16];
  while (stream) {
    stream.read(chunk, sizeof chunk);
    input.bytes.append(chunk, static_cast<std::size_t>(stream.gcount()));
    if (input.bytes.size() > limit) return {{}, InputBytes::Failure::TooLarge};
  }
  if (stream.bad()) return {{}, InputBytes::Failure::Unreadable};
  return input;
}

}  // namespace

std::u16string decodeInputBytes(std::string_view bytes) {
  const bool littleEndian = looksLikeUtf16(bytes, false);
  std::u16string text = bytes.starts_with(kUtf16LeBom)   ? fromUtf16(bytes.substr(kUtf16LeBom.size()), false)
                        : bytes.starts_with(kUtf16BeBom) ? fromUtf16(bytes.substr(kUtf16BeBom.size()), true)
                        : littleEndian || looksLikeUtf16(bytes, true) ? fromUtf16(bytes, !littleEndian)
                                                                      : fromUtf8OrGbkLines(bytes);
  // A BOM is no part of a code, wherever it stands: files put one behind another leave theirs
  // inside the list.
  std::erase(text, u'\uFEFF');
  return text;
}

InputBytes readInputBytes(const std::string &path, std::istream &standardInput, std::size_t limit) {
  if (path == "-") return readAll(standardInput, limit);
  std::ifstream file(path, std::ios::binary);
  if (!file) return {{}, InputBytes::Failure::Unreadable};
  return readAll(file, limit);
}

}  // namespace hengdian::cli
