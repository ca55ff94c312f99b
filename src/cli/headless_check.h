#pragma once
// One check run without a window: the same QueryJob the window starts, with a plain event-loop
// thread standing in for the user interface thread and the entered text given up front.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lookup/query_job.h"
#include "lookup/result_row.h"

namespace hengdian::cli {

/// What a finished headless check leaves behind.
struct HeadlessCheckResult {
  bool started = false;         // false when no worker thread could be made
  std::u16string resultsText;   // the last results text the check showed
  std::vector<ResultRow> rows;  // entries 0 to N - 1 of the table, one per entered line
};

/// Hooks into the check's view, called on the stand-in user interface thread in the order the
/// check issues its calls.
struct HeadlessCheckHooks {
  std::function<void(const std::u16string &)> onCaption;
  std::function<void(std::size_t linesShown)> onResultsLines;  // after every results change
};

/// Checks every line of `input` on `site` (LibrarySite or PortalSite) and returns when the check
/// has ended.
HeadlessCheckResult runHeadlessCheck(const std::u16string &input, std::int32_t site,
                                     const QuerySettings &settings, const HeadlessCheckHooks &hooks);

}  // namespace hengdian::cli
