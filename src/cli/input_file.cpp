#include "cli/input_file.h"

#include <fstream>

#include "runtime/code_page.h"

namespace hengdian::cli {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool isHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

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
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (isHighSurrogate(units[i]) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
      ++i;
    } else if (isHighSurrogate(units[i]) || isLowSurrogate(units[i])) {
      units[i] = u'\uFFFD';
    }
  }
  return units;
}

// A read error (a directory given as the file, say) sets badbit; the end of the data does not.
std::optional<std::string> readAll(std::istream &stream) {
  std::string bytes;
  char chunk[1 << 16];
  while (stream) {
    stream.read(chunk, sizeof chunk);
    bytes.append(chunk, static_cast<std::size_t>(stream.gcount()));
  }
  if (stream.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

std::u16string decodeInputBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return fromUtf8(bytes.substr(kUtf8Bom.size()));
  if (bytes.starts_with(kUtf16LeBom)) return fromUtf16(bytes.substr(kUtf16LeBom.size()), false);
  if (bytes.starts_with(kUtf16BeBom)) return fromUtf16(bytes.substr(kUtf16BeBom.size()), true);
  if (isValidUtf8(bytes)) return fromUtf8(bytes);
  return fromSystemCodePage(bytes);
}

std::optional<std::string> readInputBytes(const std::string &path, std::istream &standardInput) {
  if (path == "-") return readAll(standardInput);
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return readAll(file);
}

}  // namespace hengdian::cli
