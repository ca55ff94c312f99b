#pragma once
// The text primitives everything else cuts pages, lines and names with. All work on UTF-16,
// compare code unit by code unit, exactly and case-sensitively, and never fail.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hengdian {

/// Field `index` (from 1) of `text` cut at every non-overlapping `separator`; "" below 1 or past
/// the last field. An empty separator occurs nowhere, so field 1 is then the whole text.
std::u16string fieldOf(std::u16string_view text, std::int64_t index, std::u16string_view separator);

/// Start of the first occurrence of `sub` at or behind `from`, or npos; the same answer as
/// `std::u16string_view::find`, found by testing eight positions at a time for the first and the
/// last code unit of `sub` (two units that rarely stand at the right distance in markup by
/// chance) before comparing the whole.
std::size_t findText(std::u16string_view text, std::u16string_view sub, std::size_t from = 0);

/// Number of non-overlapping occurrences of `sub`, scanning from the left; 0 when either is empty.
std::size_t countOf(std::u16string_view text, std::u16string_view sub);

/// 1-based position of the first occurrence of `sub`; 0 when absent or when either is empty.
std::size_t positionOf(std::u16string_view text, std::u16string_view sub);

/// Every non-overlapping `find` replaced in one left-to-right pass; an empty `find` changes nothing.
std::u16string replaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view replacement);

/// Removes leading and trailing U+0020 only; TAB, line breaks and U+3000 stay.
std::u16string trimSpaces(std::u16string_view text);

/// Removes leading and trailing runs of `character`.
std::u16string trimChar(std::u16string_view text, char16_t character);

/// Right-aligns `text` in `length` characters filled with `character`; a longer text is cut to
/// its first `length` characters; a negative length counts as 0.
std::u16string padLeft(std::u16string_view text, std::int64_t length, char16_t character);

/// Every letter that has a lower-case form replaced by it (all of Unicode, not only ASCII), the
/// same on every platform.
std::u16string lowerCase(std::u16string_view text);

/// The last element of a path or link (behind the last "/" or "\", up to a double quote), with a
/// leading quote skipped; with `withoutExtension` its last extension is cut off.
std::u16string fileNamePart(std::u16string_view path, bool withoutExtension);

/// A size as a reader takes it in: "64 MiB", "1 KiB", or "1000 bytes" when no binary unit divides it.
std::u16string sizeText(std::size_t bytes);

}  // namespace hengdian
