#include "downloads/download_job.h"

#include <vector>

namespace hengdian {

bool armDownload(DownloadJob &job, DownloadMode mode, std::size_t currentRow, const ResultTable &table,
                 const DownloadView &view) {
  if (!siteDescription(table.row(currentRow).site).downloadAddress) return false;
  job.mode = mode;
  job.rowIndex = currentRow;
  view.selectTab(1);
  view.showConfirmButton(true);
  return true;
}

DownloadOutcome confirmDownload(const DownloadJob &job, const ResultTable &table, const DownloadView &view,
                                DownloadRun run) {
  const DownloadSettings settings = view.readSettings();
  run.folder = settings.folder;
  run.rule = settings.rule;
  const bool batch = job.mode == DownloadMode::Batch;
  // A batch covers every entry but the empty one behind the rows of a check, copied under the
  // table's lock; an index beyond a table that a later check made shorter reads as an empty row,
  // which fails with a line the user can see.
  std::vector<ResultRow> rows = batch ? table.rows() : std::vector<ResultRow>{table.row(job.rowIndex)};
  if (batch && !rows.empty()) rows.pop_back();
  // The Single box repeats the row's log text; `run`'s own rowDone is not needed by the window.
  std::u16string rowText;
  run.observer.rowDone = [&rowText](const ResultRow &row, const DownloadResult &result) {
    rowText = downloadResultText(row, result);
  };
  if (batch && !rows.empty()) view.enableConfirmButton(false);
  const DownloadOutcome outcome = runDownloads(rows, job.mode, run);
  // A stop means the window is closing; there is nothing left to tidy.
  if (outcome.stopped) return outcome;
  if (!batch) {
    if (settings.notify)
      view.showMessage(rowText, outcome.failed > 0 ? MessageKind::Error : MessageKind::Plain);
  } else if (!rows.empty()) {
    if (settings.notify) view.showMessage(std::u16string(kBatchEndText), MessageKind::Plain);
    view.enableConfirmButton(true);
  }
  view.selectTab(0);
  view.showConfirmButton(false);
  return outcome;
}

}  // namespace hengdian
