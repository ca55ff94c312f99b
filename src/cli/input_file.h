#pragma once
// Reading the entered list from a file or standard input.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace hengdian::cli {

/// Bytes of an entered list as text: UTF-8 (a leading BOM dropped), UTF-16 LE or BE behind their
/// BOM (what Windows Notepad saves as "Unicode"), or GBK when the bytes are not valid UTF-8 and
/// carry no BOM. GBK is the legacy code page of the core: GBK on POSIX, the ANSI
/// code page on Windows, which is GBK on the Chinese systems such lists come from.
std::u16string decodeInputBytes(std::string_view bytes);

/// All bytes of the file at `path`, or of `standardInput` when `path` is "-"; empty when the file
/// cannot be opened or read.
std::optional<std::string> readInputBytes(const std::string &path, std::istream &standardInput);

}  // namespace hengdian::cli
