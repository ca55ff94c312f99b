#pragma once
// What a check works with: the entered lines, where and how the sites are asked, the lookup of one
// line, the entry it gives, and how far a check has come.

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/current_version.h"
#include "lookup/result_row.h"
#include "lookup/site.h"
#include "runtime/stop_flag.h"
#include "runtime/text.h"
#include "web/http.h"

namespace hengdian {

/// Where the check looks, how it asks and how long it waits before a site's second attempt.
struct QuerySettings {
  SiteHosts hosts;
  /// Each wait before a site's second attempt, in place of the site's own.
  std::optional<std::chrono::milliseconds> retryWait{};
  /// How each search request goes out: it ends within two minutes, whatever the site sends (one
  /// that stalls for 60 s sooner); a request cut off so reads as one the site did not answer.
  HttpSettings http{.totalTime = std::chrono::minutes(2)};
};

/// The hosts of the build configuration; the waits are the sites' own.
QuerySettings defaultQuerySettings();

/// The entered text with its line breaks cleaned: CR to LF, one pass of LF LF to LF, outer LFs
/// removed.
std::u16string cleanInputText(std::u16string_view text);

/// One line of the entered text: its first two TAB fields, each without outer spaces.
struct EnteredLine {
  std::u16string code;
  std::u16string name;

  bool operator==(const EnteredLine &) const = default;
};

/// The lines of the entered text after `cleanInputText`, cut in one pass; at least one, also for
/// an empty text. Line i of a check is entry i.
std::vector<EnteredLine> enteredLines(std::u16string_view text);

/// One entered line after its lookup.
struct CheckedEntry {
  EnteredLine entered;
  ResultRow row;  // the entered code, the found name and link, the site, why the site did not answer
  ResultLine line;
  /// The line's records in its order, none when nothing was found; once handed over by a list
  /// check, only the first.
  std::vector<HitRecord> records;
  CurrentFinding current;  // the version in force, when the check looks for it
  PageDrift drift{};       // what the hits of the page the line came from lacked
};

/// A search page as its site's parser read it, and why the site did not answer ("" when it did).
struct SiteAnswer {
  ParsedPage page;
  std::u16string error;
};

/// One search of `site` for `code` with the check's request, fetch and parser, its hits classified
/// against `code` and `name`, without a second attempt. Empty when `stop` was raised. Worker
/// thread.
std::optional<SiteAnswer> searchSite(Site site, std::u16string_view code, std::u16string_view name,
                                     const QuerySettings &settings, StopFlag &stop);

/// The longest code sent to a site, in UTF-8 bytes. A longer line is not sent: its entry reads as
/// not found, with `kCodeNotSent` as its row's error.
inline constexpr std::size_t kMaxCodeBytes = 1024;
inline const std::u16string kCodeNotSent = u"not sent: the code is longer than " + sizeText(kMaxCodeBytes);

/// Looks `entered` up on `site` and fills its row from the line's records. A site with a second
/// attempt is asked again, after its waits, when its first page holds no hit; `beforeWait(m)`
/// runs before wait m and ends the lookup when it returns false. The row's error is the last
/// attempt's. Empty when `stop` was raised. Worker thread.
std::optional<CheckedEntry> checkEntry(EnteredLine entered, Site site, const QuerySettings &settings,
                                       StopFlag &stop, const std::function<bool(int wait)> &beforeWait);

/// How far a check has come: the line under way (counted from 0; `count` once every line is
/// done), the number of lines, and the waits begun of the line's second attempt (from 1; 0
/// before it).
struct CheckProgress {
  std::size_t index = 0;
  std::size_t count = 0;
  int waits = 0;

  bool operator==(const CheckProgress &) const = default;
};

}  // namespace hengdian
