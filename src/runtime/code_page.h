#pragma once
// Conversions between UTF-16 and the byte encodings that reach the system: UTF-8 and the legacy
// code page (the Windows ANSI code page there, GBK elsewhere). Invalid bytes never fail: they
// become U+FFFD. Characters the legacy code page cannot hold become "?".

#include <string>
#include <string_view>

namespace hengdian {

/// How received bytes are turned into text.
enum class TextDecoding { Utf8, SystemCodePage };

/// UTF-8 bytes to UTF-16; invalid sequences become U+FFFD.
std::u16string fromUtf8(std::string_view bytes);

/// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

/// Legacy code page bytes to UTF-16; invalid sequences become U+FFFD.
std::u16string fromSystemCodePage(std::string_view bytes);

/// UTF-16 to the legacy code page; unencodable characters become "?".
std::string toSystemCodePage(std::u16string_view text);

/// `bytes` decoded as `decoding` says.
std::u16string decodeText(std::string_view bytes, TextDecoding decoding);

/// Whether `bytes` is well-formed UTF-8 throughout.
bool isValidUtf8(std::string_view bytes);

/// Convenience for literals and command-line text in UTF-8.
inline std::u16string u16(std::string_view utf8) {
  return fromUtf8(utf8);
}

}  // namespace hengdian
