#include "lookup/current_version.h"

#include <algorithm>
#include <utility>

#include "lookup/site.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

/// "-" and four digits.
constexpr std::size_t kYearLength = 5;

bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

/// The year of "-YYYY" at `at` of `text`; empty when the text holds no such year there.
std::optional<int> yearAt(std::u16string_view text, std::size_t at) {
  if (text.size() < at + kYearLength || text[at] != u'-') return std::nullopt;
  int year = 0;
  for (std::size_t i = at + 1; i < at + kYearLength; ++i) {
    if (!isDigit(text[i])) return std::nullopt;
    year = year * 10 + (text[i] - u'0');
  }
  return year;
}

/// The year a code ends in ("-1985"); empty when it ends in none.
std::optional<int> trailingYear(std::u16string_view code) {
  if (code.size() < kYearLength) return std::nullopt;
  return yearAt(code, code.size() - kYearLength);
}

/// A version of a stem as a title begins with it.
struct TitleVersion {
  std::u16string code;
  int year = 0;
};

/// The version of `stem` that `title` begins with, the stem compared without regard to case;
/// empty when the title begins with no version of it.
std::optional<TitleVersion> versionOf(std::u16string_view stem, std::u16string_view title) {
  title.remove_prefix(std::min(title.find_first_not_of(u' '), title.size()));
  if (stem.empty() || title.size() < stem.size() + kYearLength) return std::nullopt;
  if (lowerCase(title.substr(0, stem.size())) != lowerCase(stem)) return std::nullopt;
  const std::optional<int> year = yearAt(title, stem.size());
  const std::size_t end = stem.size() + kYearLength;
  // "GB/T 5491-20201" is no version of 2020.
  if (!year || (title.size() > end && isDigit(title[end]))) return std::nullopt;
  return TitleVersion{std::u16string(title.substr(0, end)), *year};
}

/// Whether `title` (leading spaces aside) begins with `code` continued as a longer code, the way
/// "GB 27600-2010" and "GB 2760.1-2010" begin with "GB 2760".
bool beginsWithLongerCode(std::u16string_view code, std::u16string_view title) {
  title.remove_prefix(std::min(title.find_first_not_of(u' '), title.size()));
  return title.size() > code.size() && lowerCase(title.substr(0, code.size())) == lowerCase(code) &&
         (isDigit(title[code.size()]) || title[code.size()] == u'.');
}

}  // namespace

std::u16string codeStem(std::u16string_view code) {
  if (!trailingYear(code)) return std::u16string(code);
  return trimSpaces(code.substr(0, code.size() - kYearLength));
}

std::optional<CurrentVersion> chooseCurrentVersion(Site site, std::u16string_view stem,
                                                   const std::vector<HitRecord> &records) {
  const std::u16string_view inForceWord = siteDescription(site).words.inForce;
  std::optional<CurrentVersion> best;
  int bestYear = 0;
  for (const HitRecord &record : records) {
    const std::optional<TitleVersion> version = versionOf(stem, record.title);
    if (!version) continue;
    const bool inForce = record.status == inForceWord;
    // A version in force beats one that is not, whatever their years.
    if (best && (best->inForce != inForce ? best->inForce : bestYear >= version->year)) continue;
    best = CurrentVersion{version->code, record.title, record.status, record.link, inForce};
    bestYear = version->year;
  }
  return best;
}

const CurrentVersion *versionInForce(const CurrentFinding &found) {
  const bool inForce = found.standing == CurrentStanding::Itself ||
                       found.standing == CurrentStanding::Replaced ||
                       found.standing == CurrentStanding::NotReplaced;
  return inForce && found.version ? &*found.version : nullptr;
}

const CurrentVersion *latestVersion(const CurrentFinding &found) {
  return found.standing == CurrentStanding::NoneInForce && found.version ? &*found.version : nullptr;
}

std::optional<CurrentVersion> inForceRecord(Site site, std::u16string_view code,
                                            const std::vector<HitRecord> &records) {
  if (records.empty()) return std::nullopt;
  const HitRecord &record = records.front();
  if (!isSameCode(record.marker) || record.status != siteDescription(site).words.inForce) return std::nullopt;
  std::u16string versionCode(code);
  // A code without a year names no version; the title says which one is in force, unless it is
  // another standard's whose code only begins like the entered one.
  if (!trailingYear(code)) {
    if (beginsWithLongerCode(code, record.title)) return std::nullopt;
    if (const std::optional<TitleVersion> version = versionOf(code, record.title))
      versionCode = version->code;
  }
  return CurrentVersion{std::move(versionCode), record.title, record.status, record.link, true};
}

CurrentStanding standingAgainst(std::u16string_view code, const std::optional<CurrentVersion> &version) {
  if (!version || !version->inForce) return CurrentStanding::NoneInForce;
  const std::optional<int> enteredYear = trailingYear(code);
  if (!enteredYear) return CurrentStanding::Replaced;
  return trailingYear(version->code).value_or(0) > *enteredYear ? CurrentStanding::Replaced
                                                                : CurrentStanding::NotReplaced;
}

}  // namespace hengdian
