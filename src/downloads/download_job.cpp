#include "downloads/download_job.h"

#include "downloads/naming_rule.h"
#include "downloads/windows_file_name.h"
#include "lookup/site.h"
#include "runtime/text.h"
#include "web/download.h"
#include "web/http.h"

namespace hengdian {

namespace {

/// Whether the name goes into the file name and would bring a path separator with it: the title
/// comes from a web page, and "../" in it would write outside the chosen folder. The user's own
/// rule text and the code forms are not the name and may hold separators on purpose.
bool nameBreaksOutOfFolder(const DownloadSettings &settings, const ResultRow &row) {
  if (row.name.find_first_of(u"/\\") == std::u16string::npos) return false;
  return positionOf(expandCodeForms(settings.rule, row.code), kNamePlaceholder) > 0;
}

/// Puts `text` on top of the log behind the time stamp of now.
void logLine(const DownloadView &view, const DownloadContext &context, std::u16string_view text) {
  const DateValue now = context.clock ? context.clock() : currentDate();
  view.insertLogLine(formatDate(kLogTimeMask, now) + std::u16string(text));
}

/// The fixed message the log and the message box give a download that failed so.
std::u16string_view failureMessage(DownloadStatus status) {
  switch (status) {
    case DownloadStatus::NoRequest:
      return kServerConnectFailed;
    case DownloadStatus::NotWritten:
      return kFileCreateFailed;
    default:
      return kFileDownloadFailed;
  }
}

bool stopRequested(const DownloadContext &context) {
  return (context.stopRequested && context.stopRequested()) ||
         (context.stop != nullptr && context.stop->stopRequested());
}

/// Downloads `row`, logs it, counts it; returns the log text after the time stamp.
std::u16string runRow(const ResultRow &row, const DownloadSettings &settings, const DownloadView &view,
                      const DownloadContext &context, DownloadOutcome &outcome,
                      WrittenFiles *written = nullptr) {
  const DownloadResult result = downloadRow(row, settings, context, written);
  ++(result.status == DownloadStatus::Saved ? outcome.saved : outcome.failed);
  const std::u16string text = downloadResultText(row, result);
  logLine(view, context, text);
  if (context.rowDone) context.rowDone(row, result);
  return text;
}

void runSingle(const DownloadJob &job, const ResultTable &table, const DownloadSettings &settings,
               const DownloadView &view, const DownloadContext &context, DownloadOutcome &outcome) {
  if (stopRequested(context)) {
    outcome.stopped = true;
    return;
  }
  // An index beyond a table that a later check made shorter reads as an empty row, which fails
  // with a line the user can see.
  const ResultRow row = table.row(job.rowIndex);
  if (context.rowStarting) context.rowStarting(0, 1, row);
  const std::u16string text = runRow(row, settings, view, context, outcome);
  if (settings.notify) view.showMessage(text, outcome.failed > 0 ? MessageKind::Error : MessageKind::Plain);
}

void runBatch(const ResultTable &table, const DownloadSettings &settings, const DownloadView &view,
              const DownloadContext &context, DownloadOutcome &outcome) {
  // The last entry is the empty one behind the rows of a check.
  const std::size_t entries = table.size();
  if (entries < 2) return;
  view.enableConfirmButton(false);
  logLine(view, context, kBatchStartText);
  const std::size_t count = entries - 1;
  WrittenFiles written;
  // A stop is looked for before each row and after the last, which it may have ended.
  for (std::size_t index = 0;; ++index) {
    if (stopRequested(context)) {
      outcome.stopped = true;
      return;
    }
    if (index == count) break;
    // A check may rewrite the table meanwhile; each row is a copy taken under its lock.
    const ResultRow row = table.row(index);
    if (context.rowStarting) context.rowStarting(index, count, row);
    runRow(row, settings, view, context, outcome, &written);
  }
  logLine(view, context, kBatchEndText);
  if (settings.notify) view.showMessage(std::u16string(kBatchEndText), MessageKind::Plain);
  view.enableConfirmButton(true);
}

}  // namespace

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
                                const DownloadContext &context) {
  const DownloadSettings settings = view.readSettings();
  DownloadOutcome outcome;
  if (job.mode == DownloadMode::Single) {
    runSingle(job, table, settings, view, context, outcome);
  } else {
    runBatch(table, settings, view, context, outcome);
  }
  // A stop means the window is closing; there is nothing left to tidy.
  if (outcome.stopped) return outcome;
  view.selectTab(0);
  view.showConfirmButton(false);
  return outcome;
}

DownloadResult downloadRow(const ResultRow &row, const DownloadSettings &settings,
                           const DownloadContext &context, WrittenFiles *written) {
  if (nameBreaksOutOfFolder(settings, row)) {
    return DownloadResult{
        DownloadStatus::NotWritten, {}, u"the name would put a path separator into the file name"};
  }
  // The name gets the room the folder leaves in the longest path a file can be created under.
  const std::size_t folderLength = settings.folder.size();
  const std::optional<std::u16string> name =
      folderLength > kLongestTargetPath
          ? std::nullopt
          : expandNamingRule(settings.rule, row.code, row.name, kLongestTargetPath - folderLength);
  if (!name)
    return DownloadResult{DownloadStatus::NotWritten, {}, u"the path would be too long for any file"};

  DownloadOptions options;
  options.retryPause = context.retryPause;
  options.serveEvents = context.serveEvents;
  options.http = context.http;
  options.stop = context.stop;
  // Every row's file comes from the library site, whatever the row's own site.
  const SiteDescription &library = siteDescription(Site::Library);
  const HttpHeaders headers{{u"Referer", library.refererAddress(context.libraryHost)}};
  DownloadResult result = downloadFile(
      library.downloadAddress(context.libraryHost, itemId(row)), headers,
      [&](std::u16string_view extension, std::u16string_view redirectTarget) {
        const std::u16string path = savedPath(settings.folder, *name, extension, redirectTarget);
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
