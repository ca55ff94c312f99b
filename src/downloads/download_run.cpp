#include "downloads/download_run.h"

#include <optional>

#include "downloads/naming_rule.h"
#include "downloads/windows_file_name.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

/// Whether the name goes into the file name and would bring a path separator with it: the title
/// comes from a web page, and "../" in it would write outside the chosen folder. The user's own
/// rule text and the code forms are not the name and may hold separators on purpose.
bool nameBreaksOutOfFolder(const DownloadRun &run, const ResultRow &row) {
  if (row.name.find_first_of(u"/\\") == std::u16string::npos) return false;
  return positionOf(expandCodeForms(run.rule, row.code), kNamePlaceholder) > 0;
}

/// Hands `text` behind the time stamp of now to the observer.
void logLine(const DownloadRun &run, std::u16string_view text) {
  if (!run.observer.logLine) return;
  const DateValue now = run.clock ? run.clock() : currentDate();
  run.observer.logLine(formatDate(kLogTimeMask, now) + std::u16string(text));
}

/// The fixed message the log and the message box give a download that failed so.
std::u16string_view failureMessage(DownloadStatus status) {
  return status == DownloadStatus::NoRequest    ? kServerConnectFailed
         : status == DownloadStatus::NotWritten ? kFileCreateFailed
                                                : kFileDownloadFailed;
}

}  // namespace

DownloadOutcome runDownloads(std::span<const ResultRow> rows, DownloadMode mode, const DownloadRun &run) {
  const bool batch = mode == DownloadMode::Batch;
  DownloadOutcome outcome;
  if (batch && rows.empty()) return outcome;
  if (batch) logLine(run, kBatchStartText);
  WrittenFiles written;
  // A stop is looked for before each row and after the last, which it may have ended.
  for (std::size_t index = 0;; ++index) {
    if (run.stop != nullptr && run.stop->stopRequested()) {
      outcome.stopped = true;
      return outcome;
    }
    if (index == rows.size()) break;
    const ResultRow &row = rows[index];
    if (run.observer.rowStarting) run.observer.rowStarting(index, rows.size(), row);
    const DownloadResult result = downloadRow(row, run, batch ? &written : nullptr);
    ++(result.status == DownloadStatus::Saved ? outcome.saved : outcome.failed);
    logLine(run, downloadResultText(row, result));
    if (run.observer.rowDone) run.observer.rowDone(row, result);
  }
  if (batch) logLine(run, kBatchEndText);
  return outcome;
}

DownloadResult downloadRow(const ResultRow &row, const DownloadRun &run, WrittenFiles *written) {
  if (nameBreaksOutOfFolder(run, row)) {
    return DownloadResult{
        DownloadStatus::NotWritten, {}, u"the name would put a path separator into the file name"};
  }
  // The name gets the room the folder leaves in the longest path a file can be created under.
  const std::optional<std::u16string> name =
      run.folder.size() > kLongestTargetPath
          ? std::nullopt
          : expandNamingRule(run.rule, row.code, row.name, kLongestTargetPath - run.folder.size());
  if (!name)
    return DownloadResult{DownloadStatus::NotWritten, {}, u"the path would be too long for any file"};
  const SiteDescription &site = siteDescription(row.site);
  if (!site.downloadAddress)
    return DownloadResult{DownloadStatus::NotDownloaded, {}, u"the site serves no files"};

  DownloadOptions options{run.retryPause, run.serveEvents, run.http, run.stop};
  const std::u16string &host = run.hosts[row.site];
  DownloadResult result = downloadFile(
      site.downloadAddress(host, itemId(row)), {{u"Referer", site.refererAddress(host)}},
      [&](std::u16string_view extension, std::u16string_view redirectTarget) {
        const std::u16string path = savedPath(run.folder, *name, extension, redirectTarget);
        if (written == nullptr) return path;
        std::u16string unwritten = path;
        for (int number = 2; written->contains(platformPathKey(unwritten)); ++number)
          unwritten = numberedPath(path, number);
        return unwritten;
      },
      options);
  if (written != nullptr && result.status == DownloadStatus::Saved)
    written->insert(platformPathKey(result.path));
  return result;
}

std::u16string downloadResultText(const ResultRow &row, const DownloadResult &result) {
  const std::u16string text = u"下载" + row.code + u" " + row.name;
  if (result.status == DownloadStatus::Saved) return text + u"成功，保存路径：" + result.path;
  return text + u"失败：" + std::u16string(failureMessage(result.status));
}

}  // namespace hengdian
