#include "cli/headless_check.h"

#include "lookup/result_table.h"
#include "runtime/text.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_thread.h"

namespace hengdian::cli {

HeadlessCheckResult runHeadlessCheck(const std::u16string &input, std::int32_t site,
                                     const QuerySettings &settings, const HeadlessCheckHooks &hooks) {
  HeadlessCheckResult result;
  ResultTable table;
  ThreadRegistry threads;
  EventLoopThread ui;

  // Runs on `ui` only, so `result.resultsText` needs no lock of its own. Each update costs what
  // its new text costs: the text grows in place and its lines are counted as they come.
  std::size_t linesShown = 0;
  LookupView view;
  view.inputText = [&input] { return input; };
  view.selectedSite = [site] { return site; };
  view.setResultsText = [&](const std::u16string &text) {
    result.resultsText = text;
    linesShown = countOf(text, u"\n");
    if (hooks.onResultsLines) hooks.onResultsLines(linesShown);
  };
  view.appendResultsText = [&](const std::u16string &tail) {
    result.resultsText += tail;
    linesShown += countOf(tail, u"\n");
    if (hooks.onResultsLines) hooks.onResultsLines(linesShown);
  };
  view.setResultsCaption = [&](const std::u16string &caption) {
    if (hooks.onCaption) hooks.onCaption(caption);
  };

  QueryJob job{threads, table, view, ui.poster(), settings};
  ui.runAndWait([&] { startCheck(job); });
  result.started = job.runningThread != 0;
  // The worker posts its last updates without waiting for them; once it has ended, an empty call
  // on `ui` comes after all of them.
  threads.waitForAll();
  ui.runAndWait([] {});

  const std::size_t lines = enteredLines(input).size();
  result.rows = table.rows();
  if (result.rows.size() > lines) result.rows.resize(lines);
  return result;
}

}  // namespace hengdian::cli
