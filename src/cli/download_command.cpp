#include "cli/download_command.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "cli/check_output.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "downloads/download_job.h"
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
      "The check runs first, as check runs it; then every row it found is downloaded from the library site, "
      "one after another, whatever the row's site or link, and each download's log line is printed, oldest "
      "first; standard error says why each failed download failed. A file counts as saved only when the "
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

  // The table as the window holds it after the check: one entry per entered line and the empty
  // one behind them.
  ResultTable table;
  table.resize(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    table.setRow(i, rows[i]);

  DownloadView view;
  view.readSettings = [&options] { return DownloadSettings{u16(options.folder), u16(options.rule), false}; };
  view.insertLogLine = [&](const std::u16string &line) {
    if (progress) progress->finish();
    output.write(toUtf8(line) + "\n");
  };
  view.showMessage = [](const std::u16string &, MessageKind) {};
  view.showConfirmButton = [](bool) {};
  view.enableConfirmButton = [](bool) {};
  view.selectTab = [](int) {};

  // A signal stops the transfer under way, whose temporary file then goes, and ends the run.
  StopFlag stop;
  const InterruptSubscription interrupts([&stop] { stop.requestStop(); });

  DownloadContext context;
  context.libraryHost = checked.hosts[Site::Library];
  context.http.caFile = checked.http.caFile;
  context.http.busyWait = checked.http.busyWait;
  context.stop = &stop;
  context.rowDone = [&](const ResultRow &row, const DownloadResult &result) {
    if (result.status == DownloadStatus::Saved) return;
    if (progress) progress->finish();
    err << "hengdian-cli: " << toUtf8(row.code) << ": " << toUtf8(result.reason) << "\n" << std::flush;
  };
  context.retryPause = std::chrono::milliseconds(options.downloadPauseMs);
  // A log that cannot be written ends the run: nobody would learn what it saved.
  context.stopRequested = [&output] { return output.failed(); };
  // Kept exchanges of the downloads are labelled by the row under way.
  std::u16string rowLabel;
  if (checked.http.exchangeSink) {
    context.http.exchangeSink = [&rowLabel, sink = checked.http.exchangeSink](const HttpExchange &exchange) {
      HttpExchange labelled = exchange;
      labelled.label = rowLabel;
      sink(labelled);
    };
  }
  context.rowStarting = [&](std::size_t index, std::size_t count, const ResultRow &row) {
    rowLabel = exchangeLabel(u"download", index + 1, row.code);
    if (progress) progress->show(progressText(index, count, row.code));
  };

  const DownloadOutcome outcome = confirmDownload(DownloadJob{DownloadMode::Batch, 0}, table, view, context);
  if (progress) progress->finish();
  if (stop.stopRequested()) return interruptExitCode();
  if (output.failed()) return kExitWriteFailed;
  return outcome.failed == 0 ? 0 : kExitDownloadFailed;
}

}  // namespace hengdian::cli
