#include "lookup/query_job.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/code_page.h"
#include "runtime/text.h"
#include "web/decoding.h"
#include "web/http.h"

namespace hengdian {

namespace {

constexpr int kRetryWaits = 10;

/// The view as the calls posted to the user interface thread share it: they may run after the
/// worker has ended, so they own it together.
using SharedView = std::shared_ptr<const LookupView>;

/// Updates of the view the worker holds until its next trip to the user interface thread: a
/// finished line's text and caption go there together with the next line's read of the site
/// chooser, so each line costs one trip instead of one per update. They run there in the order
/// they were held, before the read.
using HeldUpdates = std::vector<std::function<void()>>;

/// Holds `caption` for showing. Worker thread.
void holdCaption(const SharedView &view, HeldUpdates &held, std::u16string caption) {
  held.push_back([view, caption = std::move(caption)] { view->setResultsCaption(caption); });
}

/// Holds one more finished line for showing, as the first line of the check (replacing what an
/// earlier check left) or behind the lines before it. Each call costs what the line costs,
/// unless the view can only replace its whole text; then `shown` keeps the text so far.
/// Worker thread.
void holdLine(const SharedView &view, HeldUpdates &held, const ResultLine &line, bool first,
              std::u16string &shown) {
  std::u16string tail = line + u'\n';
  if (first || !view->appendResultsText) {
    if (!view->appendResultsText) {
      shown += tail;
      tail = shown;
    }
    held.push_back([view, text = std::move(tail)] { view->setResultsText(text); });
    return;
  }
  held.push_back([view, tail = std::move(tail)] { view->appendResultsText(tail); });
}

/// Hands the held updates to the user interface thread without waiting; false when the job has
/// been stopped. Worker thread.
bool postHeld(const UiPost &post, StopFlag &stop, HeldUpdates &held) {
  HeldUpdates calls;
  calls.swap(held);
  return postToUiThread(post, stop, [calls = std::move(calls)] {
    for (const std::function<void()> &call : calls)
      call();
  });
}

/// Shows the held updates and then reads the site chooser, in one waited trip to the user
/// interface thread. Empty when the job has been stopped. Worker thread.
std::optional<Site> showHeldAndReadSite(const LookupView &view, const UiPost &post, StopFlag &stop,
                                        HeldUpdates &held) {
  const std::optional<Site> site = callOnUiThread<Site>(post, stop, [&] {
    for (const std::function<void()> &call : held)
      call();
    return view.selectedSite();
  });
  held.clear();
  return site;
}

}  // namespace

std::optional<SiteAnswer> searchSite(Site site, std::u16string_view code, std::u16string_view name,
                                     const QuerySettings &settings, StopFlag &stop) {
  const std::u16string &host = settings.hosts[site];
  const SearchRequest request = siteDescription(site).searchRequest(host, code);
  const int headers = request.headersInFront ? 1 : 0;
  FetchedText fetched = request.method == HttpMethod::Post
                            ? fetchTextByPost(request.address, headers, request.body, settings.http, &stop)
                            : fetchTextByGet(request.address, headers, settings.http, &stop);
  if (stop.stopRequested()) return std::nullopt;
  return SiteAnswer{parseResultPage(site, fetched.text, code, name, host), std::move(fetched.error)};
}

QuerySettings defaultQuerySettings() {
  QuerySettings settings;
  for (const Site site : kSites)
    settings.hosts[site] = std::u16string(siteDescription(site).defaultHost);
  return settings;
}

void startCheck(QueryJob &job) {
  if (isThreadRunning(job.threads, job.runningThread)) stopThread(job.threads, job.runningThread);
  job.view.setResultsCaption(std::u16string(kCaptionLoading));
  // The worker gets its own copies of the view, the poster and the settings; only the table is
  // shared, and it guards itself.
  job.runningThread = startThread(
      job.threads, [&table = job.table, view = job.view, post = job.post, settings = job.settings](
                       StopFlag &stop) { runCheck(table, view, post, settings, stop); });
}

void runCheck(ResultTable &table, const LookupView &view, const UiPost &post, const QuerySettings &settings,
              StopFlag &stop) {
  std::vector<EnteredLine> lines;
  {
    // Only the cut lines are kept through the check, not the whole entered text.
    const std::optional<std::u16string> input = callOnUiThread<std::u16string>(post, stop, view.inputText);
    if (!input) return;
    lines = enteredLines(*input);
  }
  if (!stop.runUnlessStopped([&] { table.resize(lines.size()); })) return;

  const auto shared = std::make_shared<const LookupView>(view);
  std::u16string shown;  // only for a view that cannot append
  HeldUpdates held;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Read anew for every line, after the line before it is shown, so a change of the chooser
    // applies from the next line on.
    const std::optional<Site> site = showHeldAndReadSite(view, post, stop, held);
    if (!site) return;
    const std::optional<CheckedEntry> entry =
        checkEntry(std::move(lines[i]), *site, settings, stop, [&](int wait) {
          holdCaption(shared, held, progressCaption({i, lines.size(), wait}));
          return postHeld(post, stop, held);
        });
    if (!entry) return;

    // The row goes in whole, so the user interface thread never sees a half-written entry.
    if (!stop.runUnlessStopped([&] { table.setRow(i, entry->row); })) return;
    holdLine(shared, held, entry->line, i == 0, shown);
    holdCaption(shared, held, progressCaption({i + 1, lines.size(), 0}));
  }
  holdCaption(shared, held, std::u16string(kCaptionDone));
  postHeld(post, stop, held);
}

std::optional<CheckedEntry> checkEntry(EnteredLine entered, Site site, const QuerySettings &settings,
                                       StopFlag &stop, const std::function<bool(int wait)> &beforeWait) {
  // A line this long is no standard code: the site never sees it, and the row says why.
  const bool sent = toUtf8(entered.code).size() <= kMaxCodeBytes;
  std::optional<SiteAnswer> found =
      sent ? searchSite(site, entered.code, entered.name, settings, stop)
           : SiteAnswer{{std::u16string(kNotFoundLine), {}}, std::u16string(kCodeNotSent)};
  if (sent && found && siteDescription(site).secondAttempt && found->page.records.empty()) {
    for (int wait = 1; wait <= kRetryWaits; ++wait) {
      if (!beforeWait(wait) || !stop.waitFor(settings.retryWait)) return std::nullopt;
    }
    found = searchSite(site, entered.code, entered.name, settings, stop);
  }
  if (!found) return std::nullopt;

  CheckedEntry entry;
  entry.row.code = entered.code;
  entry.row.name = entered.name;
  entry.row.site = site;
  fillRow(entry.row, found->page.line);
  entry.row.error = std::move(found->error);
  entry.entered = std::move(entered);
  entry.line = std::move(found->page.line);
  entry.records = std::move(found->page.records);
  return entry;
}

std::u16string progressCaption(const CheckProgress &progress) {
  std::u16string caption(kCaptionLoading);
  if (progress.waits > 0) return caption.append(padLeft(u"", progress.waits, u'>'));
  if (progress.index == 0) return caption;
  // One, two or three dots by the number of the line done last, mod 3.
  static constexpr std::u16string_view kDots[] = {u"...", u".", u".."};
  return caption.append(kDots[(progress.index - 1) % 3]);
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
    const std::size_t firstTab = line.find(u'\t');
    EnteredLine entered;
    entered.code = trimSpaces(line.substr(0, firstTab));
    if (firstTab != std::u16string_view::npos) {
      const std::u16string_view rest = line.substr(firstTab + 1);
      entered.name = trimSpaces(rest.substr(0, rest.find(u'\t')));
    }
    lines.push_back(std::move(entered));
    if (end == all.size()) return lines;
    start = end + 1;
  }
}

}  // namespace hengdian
