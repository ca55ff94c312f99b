#pragma once
// Turning a search-result page into the ResultLine of one entered standard. The parsers know a
// page only by fixed marker texts; they do no input or output and keep no state.

#include <string>
#include <string_view>
#include <vector>

#include "lookup/result_row.h"

namespace hengdian {

/// The line for `page` from `site` (LibrarySite or PortalSite), classified against the entered
/// `code` and `name`. `portalBase` ("https://" and the portal host) goes in front of portal links.
/// Line breaks and control characters inside a record (CR, LF, every other C0 control but TAB,
/// DEL, the C1 controls, U+2028 and U+2029) become one space each, so one entry stays on one line.
ResultLine parseResultPage(std::int32_t site, std::u16string_view page, std::u16string_view code,
                           std::u16string_view name, std::u16string_view portalBase);

/// A parsed page: its line, and the records the line is made of, in the line's order (none when
/// the line is the not-found text).
struct ParsedPage {
  ResultLine line;
  std::vector<HitRecord> records;
};

/// The line of `page` as `parseResultPage` gives it, with its records.
ParsedPage parsePage(std::int32_t site, std::u16string_view page, std::u16string_view code,
                     std::u16string_view name, std::u16string_view portalBase);

/// The words a site's records use for a standard in force and for a withdrawn one: the library
/// site's status images give "现行有效" and "已经废止", the portal site prints "现行" and "废止".
struct StatusWords {
  std::u16string_view inForce;
  std::u16string_view withdrawn;
};

/// The status words of `site` (LibrarySite or PortalSite).
StatusWords statusWords(std::int32_t site);

/// The library site's parser.
ResultLine parseLibraryPage(std::u16string_view page, std::u16string_view code, std::u16string_view name);

/// The portal site's parser.
ResultLine parsePortalPage(std::u16string_view page, std::u16string_view code, std::u16string_view name,
                           std::u16string_view portalBase);

}  // namespace hengdian
