#include "lookup/query_job.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "lookup/list_check.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

/// The view as the calls posted to the user interface thread share it: they may run after the
/// worker has ended, so they own it together.
using SharedView = std::shared_ptr<const LookupView>;

/// Updates of the view the check holds until its next trip to the user interface thread: a
/// finished line's text and caption go there together with the next line's read of the site
/// chooser, so each line costs one trip instead of one per update. They run there in the order
/// they were held, before the read.
using HeldUpdates = std::vector<std::function<void()>>;

/// Holds `caption` for showing.
void holdCaption(const SharedView &view, HeldUpdates &held, std::u16string caption) {
  held.push_back([view, caption = std::move(caption)] { view->setResultsCaption(caption); });
}

/// Holds one more finished line for showing, as the first line of the check (replacing what an
/// earlier check left) or behind the lines before it.
void holdLine(const SharedView &view, HeldUpdates &held, const ResultLine &line, bool first) {
  std::u16string text = line + u'\n';
  if (first) {
    held.push_back([view, text = std::move(text)] { view->setResultsText(text); });
  } else {
    held.push_back([view, text = std::move(text)] { view->appendResultsText(text); });
  }
}

/// Hands the held updates to the user interface thread without waiting; false when the job has
/// been stopped.
bool postHeld(const UiPost &post, StopFlag &stop, HeldUpdates &held) {
  HeldUpdates calls;
  calls.swap(held);
  return postToUiThread(post, stop, [calls = std::move(calls)] {
    for (const std::function<void()> &call : calls)
      call();
  });
}

/// Shows the held updates and then reads the site chooser, in one waited trip to the user
/// interface thread. Empty when the job has been stopped.
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

  // With a look-ahead of one the hooks run on this thread, one after another: a line's read of the
  // site chooser and its lookup begin only once the line before it has been handed over.
  const auto shared = std::make_shared<const LookupView>(view);
  HeldUpdates held;
  ListCheckHooks hooks;
  // Read anew for every line, after the line before it is shown, so a change of the chooser
  // applies from the next line on.
  hooks.siteFor = [&](std::size_t) { return showHeldAndReadSite(view, post, stop, held); };
  hooks.onProgress = [&](const CheckProgress &progress) {
    // The loading caption is up since the check was started.
    if (progress.index == 0 && progress.waits == 0) return;
    holdCaption(shared, held, progressCaption(progress));
    // A wait's caption shows as the wait begins; a line's goes with the next line's site.
    if (progress.waits > 0) postHeld(post, stop, held);
  };
  hooks.onEntry = [&](std::size_t index, CheckedEntry &entry) {
    // The row goes in whole, so the user interface thread never sees a half-written entry.
    if (!stop.runUnlessStopped([&] { table.setRow(index, entry.row); })) return false;
    holdLine(shared, held, entry.line, index == 0);
    if (view.addEntry) held.push_back([shared, index, entry] { shared->addEntry(index, entry); });
    return true;
  };
  if (!checkList(lines, Site::Library, settings, {.jobs = 1, .lookahead = 1}, stop, hooks)) return;
  holdCaption(shared, held, std::u16string(kCaptionDone));
  postHeld(post, stop, held);
}

std::u16string progressCaption(const CheckProgress &progress) {
  std::u16string caption(kCaptionLoading);
  if (progress.waits > 0) return caption.append(padLeft(u"", progress.waits, u'>'));
  if (progress.index == 0) return caption;
  // One, two or three dots by the number of the line done last, mod 3.
  static constexpr std::u16string_view kDots[] = {u"...", u".", u".."};
  return caption.append(kDots[(progress.index - 1) % 3]);
}

}  // namespace hengdian
