#include "cli/download_command.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/results_output.h"
#include "cli/standard_error.h"
#include "downloads/download_run.h"
#include "downloads/naming_rule.h"
#include "runtime/code_page.h"
#include "runtime/stop_flag.h"
#include "web/saved_exchanges.h"

namespace hengdian::cli {

void describeDownload(CLI::App &download, DownloadCommandOptions &options) {
  download
      .add_option("--folder", options.folder,
                  "Folder the files are saved in. Each file name is put directly behind this text, so end it "
                  "with a path separator (\"downloads/\", not \"downloads\")")
      ->type_name("DIR")
      ->required();
  options.rule = toUtf8(kDefaultNamingRule);
  download
      .add_option(
          "--rule", options.rule,
          "Naming rule: [标准代号1] to [标准代号4] stand for the code, [标准名称] for the name, [扩展名] "
          "for the file's extension")
      ->type_name("RULE")
      ->capture_default_str();
  download
      .add_option("--download-pause-ms", options.downloadPauseMs,
                  "The wait before a download is tried a second time when the site named no file, in "
                  "milliseconds")
      ->type_name("N")
      ->check(CLI::Range(0, 3600000))
      ->capture_default_str();
  // The check's --format chooses how results are printed; this command prints its log instead.
  if (CLI::Option *format = download.get_option_no_throw("--format"))
    format->description("Accepted as for check; this command prints the download log whatever it says");
  download.footer(
      "The check runs first, as check runs it; then every row it found is downloaded from its site, one "
      "after another, whatever the row's link (only the library site serves files: a row of another site "
      "fails), and each download's log line is printed, oldest first; standard error says why each failed "
      "download failed. A file counts as saved only when the "
      "final answer is 200, not empty and of the type the site's redirect promised (a web page sent for a "
      "pdf is not), and never when that type is a program Windows or a Linux desktop would run (exe, bat, "
      "js, lnk, msi, sh, desktop, ...); a failed download leaves an existing file as it was. A name that "
      "this run saved already gets \" (2)\", \" (3)\", ... before its extension; a log that cannot be "
      "written stops the run before the next row.\n\n" +
      exitStatusHelp());
}

int runBatchDownload(const std::vector<ResultRow> &rows, const QuerySettings &checked,
                     const DownloadCommandOptions &options, std::ostream &out, std::ostream &err,
                     bool progressLine) {
  std::optional<ProgressLine> progress;
  if (progressLine) progress.emplace(err);
  ResultsOutput output(out, err);
  // A signal stops the transfer under way, whose temporary file then goes, and ends the run; so
  // does a log that cannot be written: nobody would learn what the run saved.
  StopFlag stop;
  const InterruptSubscription interrupts([&stop] { stop.requestStop(); });

  DownloadRun run;
  run.folder = u16(options.folder);
  run.rule = u16(options.rule);
  run.hosts = checked.hosts;
  run.retryPause = std::chrono::milliseconds(options.downloadPauseMs);
  run.http.caFile = checked.http.caFile;
  run.http.busyWait = checked.http.busyWait;
  run.stop = &stop;
  // Kept exchanges of the downloads are labelled by the row under way.
  std::u16string rowLabel;
  if (checked.http.exchangeSink) {
    run.http.exchangeSink = [&rowLabel, sink = checked.http.exchangeSink](const HttpExchange &exchange) {
      HttpExchange labelled = exchange;
      labelled.label = rowLabel;
      sink(labelled);
    };
  }
  run.observer.logLine = [&](const std::u16string &line) {
    if (progress) progress->finish();
    if (!output.write(toUtf8(line) + "\n")) stop.requestStop();
  };
  run.observer.rowStarting = [&](std::size_t index, std::size_t count, const ResultRow &row) {
    rowLabel = exchangeLabel(u"download", index + 1, row.code);
    if (progress) progress->show(progressText(index, count, row.code));
  };
  run.observer.rowDone = [&](const ResultRow &row, const DownloadResult &result) {
    if (result.status == DownloadStatus::Saved) return;
    if (progress) progress->finish();
    err << "hengdian-cli: " << toUtf8(row.code) << ": " << toUtf8(result.reason) << "\n" << std::flush;
  };

  const DownloadOutcome outcome = runDownloads(rows, DownloadMode::Batch, run);
  if (progress) progress->finish();
  if (interruptExitCode() != 0) return interruptExitCode();
  if (output.failed()) return kExitWriteFailed;
  return outcome.failed == 0 ? 0 : kExitDownloadFailed;
}

}  // namespace hengdian::cli
