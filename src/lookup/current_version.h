#pragma once
// 标准查新: for an entered standard that is not the version in force, the version that is. The site
// is searched once more with the code's stem (the code without its year), and the versions of the
// stem on that page are compared by year and status.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/result_row.h"

namespace hengdian {

/// One version of a standard as a search page shows it.
struct CurrentVersion {
  std::u16string code;  // as the title begins: "GB/T 5491-2020"
  std::u16string title;
  std::u16string status;
  std::u16string link;
  bool inForce = false;  // the status is its site's word for in force

  bool operator==(const CurrentVersion &) const = default;
};

/// The code without its trailing "-" and four-digit year, and without the spaces before them
/// ("GB/T 5491-1985" gives "GB/T 5491"); a code without such a year as it is. Only the ASCII
/// hyphen and digits count, so "GB/T 5491－1985" with a full-width hyphen is its own stem.
std::u16string codeStem(std::u16string_view code);

/// The version in force among the records of `site`'s search page for `stem`. Only records whose
/// title (leading spaces aside) begins with the stem, "-" and a four-digit year not followed by
/// another digit are versions of it, the stem compared without regard to case, so that
/// "GB/T 54910-2023" and "GB/T 5491.2-2024" are not versions of "GB/T 5491". Of the versions in
/// force the latest year wins; when none is in force, the latest year whatever its status; of
/// equal years the first in `records`. Empty when the page holds no version of the stem.
std::optional<CurrentVersion> chooseCurrentVersion(Site site, std::u16string_view stem,
                                                   const std::vector<HitRecord> &records);

/// How an entry stands against the version in force of its standard.
enum class CurrentStanding {
  NotSought,    // not looked for: not asked, an empty code, or the site did not answer the check
  Itself,       // the entry's own record (the first, a 同号 one) is in force
  Replaced,     // a later version is in force (for a code without a year: any version)
  NotReplaced,  // the version in force is the entry's own or an earlier one (the entry is not
                // in force yet, or its own record says otherwise)
  NoneInForce,  // no version is in force: the latest one is shown, or none was found
  NotAnswered,  // the site did not answer the stem search
};

/// What the look for the version in force found for one entry.
struct CurrentFinding {
  CurrentStanding standing = CurrentStanding::NotSought;
  std::optional<CurrentVersion> version;  // the version in force, or the latest one
  std::u16string stem;                    // the stem searched ("" when none was)
  std::u16string error;                   // why the site did not answer the stem search

  bool operator==(const CurrentFinding &) const = default;
};

/// The version in force that `found` names: the entry's own, or the one its stem page shows in
/// force; none when no version is in force or the stem search got no answer.
const CurrentVersion *versionInForce(const CurrentFinding &found);

/// The latest version, with its status, of a standard of which no version is in force; none when
/// a version is in force or the stem page showed no version at all.
const CurrentVersion *latestVersion(const CurrentFinding &found);

/// The entry's own version when its first record is a 同号 record in force on `site`: that record,
/// with the code its title begins with (the entered `code` when the title is not in that form).
/// For a code without a year, a title beginning with a longer code ("GB 27600-2010" for
/// "GB 2760") is another standard's, and the entry has none.
std::optional<CurrentVersion> inForceRecord(Site site, std::u16string_view code,
                                            const std::vector<HitRecord> &records);

/// Replaced, NotReplaced or NoneInForce: how the entered `code` stands against `version`, the
/// choice of its stem page.
CurrentStanding standingAgainst(std::u16string_view code, const std::optional<CurrentVersion> &version);

}  // namespace hengdian
