#pragma once
// Reading the entered list from a file or standard input.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace hengdian::cli {

/// The largest entered list read; a longer one is refused rather than read into memory.
inline constexpr std::size_t kMaxInputBytes = std::size_t{64} << 20;

/// Bytes of an entered list as text: UTF-16 LE or BE behind their BOM (what Windows Notepad saves
/// as "Unicode") or without one when its first lines show the zero bytes of that order; otherwise
/// line by line, a line that is valid UTF-8 as UTF-8 and any other as GBK. Every U+FEFF (a BOM)
/// is dropped, wherever it stands. GBK is the legacy code page of the core: GBK on POSIX, the ANSI
/// code page on Windows, which is GBK on the Chinese systems such lists come from.
std::u16string decodeInputBytes(std::string_view bytes);

/// What reading an entered list gave: its bytes, or why there are none.
struct InputBytes {
  enum class Failure { None, Unreadable, TooLarge };
  std::string bytes;
  Failure failure = Failure::None;
};

/// All bytes of the file at `path`, or of `standardInput` when `path` is "-"; Unreadable when the
/// file cannot be opened or read, TooLarge (after reading no further) when it holds more than
/// `limit` bytes.
InputBytes readInputBytes(const std::string &path, std::istream &standardInput,
                          std::size_t limit = kMaxInputBytes);

}  // namespace hengdian::cli
