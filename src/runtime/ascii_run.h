#pragma once
// Copying the ASCII runs of a byte text into UTF-16 eight bytes at a time: most of every page is
// ASCII markup, and every byte decoder of the system passes it through unchanged.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace hengdian {

/// Copies the ASCII bytes of `bytes` from `pos` on to `out`, widened to UTF-16, up to the first
/// byte of 0x80 or above or up to the last few bytes, which it leaves to the caller as well.
/// Returns the position of the first byte not copied; `out` moves on by the units written. `out`
/// must have room for at least as many units as `bytes` has bytes from `pos` on: a group of eight
/// is written whole even when only its ASCII start counts. Any thread.
inline std::size_t copyAsciiRun(std::string_view bytes, std::size_t pos, char16_t *&out) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  while (bytes.size() - pos >= 8) {
    // A local copy, which the writes to `out` cannot change, so the widening needs no reloads.
    unsigned char group[8];
    std::memcpy(group, bytes.data() + pos, sizeof group);
    std::uint64_t word = 0;
    std::memcpy(&word, group, sizeof word);
    for (std::size_t i = 0; i < 8; ++i)
      out[i] = group[i];
    const std::uint64_t high = word & kHighBits;
    if (high == 0) {
      out += 8;
      pos += 8;
      continue;
    }
    // The bytes in front of the first high bit, the first in memory order.
    const int ascii =
        (std::endian::native == std::endian::little ? std::countr_zero(high) : std::countl_zero(high)) / 8;
    out += ascii;
    return pos + static_cast<std::size_t>(ascii);
  }
  return pos;
}

/// Writes the ASCII byte at `pos` to `out` and, when the byte after it is ASCII too, the run it
/// starts (`copyAsciiRun`); a lone ASCII byte between characters of other scripts is not worth
/// the run's test. Returns the position of the first byte not written. Any thread.
inline std::size_t copyAscii(std::string_view bytes, std::size_t pos, char16_t *&out) {
  *out++ = static_cast<unsigned char>(bytes[pos]);
  ++pos;
  if (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) < 0x80)
    pos = copyAsciiRun(bytes, pos, out);
  return pos;
}

}  // namespace hengdian
