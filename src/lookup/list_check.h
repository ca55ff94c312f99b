#pragma once
// The check of a whole list, the window's and the command line's: every line looked up on worker
// threads of the check's own, each with its own kept connections, and what they find handed over
// in input order, as if the lines had been looked up one after another.

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "lookup/check.h"
#include "runtime/stop_flag.h"

namespace hengdian {

/// What a list check hands over, always in input order and on the thread that runs it, and what
/// it asks before each lookup.
struct ListCheckHooks {
  /// The site line `index` is looked up on, asked just before its lookup (by a worker; with a
  /// look-ahead of one by the thread that runs the check, once line `index` − 1 has been handed
  /// over); empty ends the check. Without it every line goes to the check's site.
  std::function<std::optional<Site>(std::size_t index)> siteFor;
  /// {0, count, 0} first; {i, count, m} before wait m of line i's second attempt; {i + 1, count,
  /// 0} once line i has been handed over.
  std::function<void(const CheckProgress &)> onProgress;
  /// Line `index`, done. Returning false ends the check at once.
  std::function<bool(std::size_t index, CheckedEntry &entry)> onEntry;
};

/// How many lines behind the one handed over next may be looked up already. The lines done ahead
/// of it wait in memory, so a line held up long (its waits, a slow answer) keeps at most this
/// many waiting, however long the list.
inline constexpr std::size_t kLookahead = 256;

/// How many bytes the finished entries waiting for their turn to be handed over may take up before
/// the workers pause; a few pages of a hundred thousand hits each.
inline constexpr std::size_t kHeldEntryBytes = std::size_t{32} << 20;

/// How a list check runs.
struct ListCheckOptions {
  /// Lookups under way at once (a line that waits before its second attempt keeps its lookup).
  int jobs = 1;
  /// Whether every entry gets its version in force (`CheckedEntry::current`). An entry whose first
  /// record is a 同号 record in force is its own; for any other (nothing found, or a 同号 record
  /// not in force, or none) the site is searched once more for the code's stem by the worker that
  /// looked the entry up, with the same request and parser and no second attempt. Entries of one
  /// stem share one search, and a code without a year, its own stem, takes its own page. An empty
  /// code and a lookup the site did not answer get none.
  bool findCurrent = false;
  /// The lines, counted from the one handed over next, that may be under way or done (1 to
  /// `kLookahead`).
  std::size_t lookahead = kLookahead;
  /// Once the entries waiting for their turn, and the lookups under way at several times the size
  /// of the recent entries, would take up more than this many bytes, no worker takes another line
  /// until the hand-over has moved on. The line handed over next is always under way, so the check
  /// never stalls, whatever the size of one entry.
  std::size_t heldEntryBytes = kHeldEntryBytes;
};

/// Checks every line of `lines` on `site` (or the one `hooks.siteFor` names) as `options` say, and returns
/// once the check has ended: true when every line was handed over, false when `stop` was raised or `onEntry`
/// refused a line (the check raises `stop` itself then). Nothing of the check runs any more once it has
/// returned. An exception of a worker is thrown again here.
bool checkList(const std::vector<EnteredLine> &lines, Site site, const QuerySettings &settings,
               const ListCheckOptions &options, StopFlag &stop, const ListCheckHooks &hooks);

/// Gives each of `entries` (entries a list check has handed over, with only their first record)
/// its version in force, as `ListCheckOptions::findCurrent` does, on the site of its row, with up
/// to `jobs` stem searches under way at once; entries of one stem share one search, and a code
/// without a year searches its stem as well. `onFound(index, entry)` runs for each entry once it
/// has its finding, one at a time, on the worker that searched. Returns once every search has
/// ended: true when every entry got its finding, false when `stop` was raised. Nothing of the run
/// goes on after it has returned. An exception of a worker is thrown again here.
bool findCurrentVersions(std::vector<CheckedEntry> &entries, const QuerySettings &settings, int jobs,
                         StopFlag &stop,
                         const std::function<void(std::size_t index, const CheckedEntry &entry)> &onFound);

/// The entries of a check counted by what their lookups found. Each entry counts once, as the
/// first of these that applies: the site did not answer, nothing found, in force (the first
/// record's status is its site's word for it, "现行有效" or the portal site's "现行"), withdrawn
/// ("已经废止" or "废止"), any other status.
struct CheckSummary {
  std::size_t checked = 0;
  std::size_t inForce = 0;
  std::size_t withdrawn = 0;
  std::size_t otherStatus = 0;
  std::size_t notFound = 0;
  std::size_t notAnswered = 0;
  /// Of the entries whose version in force was looked for: those a later version replaces, and
  /// those of which no version is in force.
  std::size_t replaced = 0;
  std::size_t noneInForce = 0;

  /// Counts `entry`.
  void add(const CheckedEntry &entry);

  bool operator==(const CheckSummary &) const = default;
};

}  // namespace hengdian
