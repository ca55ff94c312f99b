#include "lookup/check.h"

#include <algorithm>
#include <utility>

#include "runtime/code_page.h"
#include "runtime/text.h"
#include "web/decoding.h"

namespace hengdian {

std::optional<SiteAnswer> searchSite(Site site, std::u16string_view code, std::u16string_view name,
                                     const QuerySettings &settings, StopFlag &stop) {
  const std::u16string &host = settings.hosts[site];
  FetchedText fetched = fetchSearch(siteDescription(site).searchRequest(host, code), settings.http, &stop);
  if (stop.stopRequested()) return std::nullopt;
  return SiteAnswer{parseResultPage(site, fetched.text, code, name, host), std::move(fetched.error)};
}

QuerySettings defaultQuerySettings() {
  QuerySettings settings;
  for (const Site site : kSites)
    settings.hosts[site] = std::u16string(siteDescription(site).defaultHost);
  return settings;
}

std::optional<CheckedEntry> checkEntry(EnteredLine entered, Site site, const QuerySettings &settings,
                                       StopFlag &stop, const std::function<bool(int wait)> &beforeWait) {
  // A line this long is no standard code: the site never sees it, and the row says why.
  const bool sent = toUtf8(entered.code).size() <= kMaxCodeBytes;
  std::optional<SiteAnswer> found = sent ? searchSite(site, entered.code, entered.name, settings, stop)
                                         : SiteAnswer{{std::u16string(kNotFoundLine), {}}, kCodeNotSent};
  const SecondAttempt &second = siteDescription(site).secondAttempt;
  if (sent && found && second.waits > 0 && found->page.records.empty()) {
    for (int wait = 1; wait <= second.waits; ++wait) {
      if (!beforeWait(wait) || !stop.waitFor(settings.retryWait.value_or(second.wait))) return std::nullopt;
    }
    found = searchSite(site, entered.code, entered.name, settings, stop);
  }
  if (!found) return std::nullopt;

  CheckedEntry entry;
  entry.row.code = entered.code;
  entry.row.name = entered.name;
  entry.row.site = site;
  fillRow(entry.row, found->page.records);
  entry.row.error = std::move(found->error);
  entry.entered = std::move(entered);
  entry.line = std::move(found->page.line);
  entry.records = std::move(found->page.records);
  entry.drift = found->page.drift;
  return entry;
}

std::u16string cleanInputText(std::u16string_view text) {
  const std::u16string lineFeeds = replaceAll(text, u"\r", u"\n");
  const std::u16string singled = replaceAll(lineFeeds, u"\n\n", u"\n");
  return trimChar(singled, u'\n');
}

std::vector<EnteredLine> enteredLines(std::u16string_view text) {
  const std::u16string cleaned = cleanInputText(text);
  const std::u16string_view all(cleaned);
  std::vector<EnteredLine> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(all.find(u'\n', start), all.size());
    const std::u16string_view line = all.substr(start, end - start);
    // Fields 1 and 2 at TAB; further fields are ignored.
    lines.push_back({trimSpaces(fieldOf(line, 1, u"\t")), trimSpaces(fieldOf(line, 2, u"\t"))});
    if (end == all.size()) return lines;
    start = end + 1;
  }
}

}  // namespace hengdian
