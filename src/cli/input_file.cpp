#include "cli/input_file.h"

#include <fstream>

#include "runtime/code_page.h"

namespace hengdian::cli {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

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
