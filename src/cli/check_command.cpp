#include "cli/check_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "cli/download_command.h"
#include "cli/exit_codes.h"
#include "cli/input_file.h"
#include "cli/interrupt.h"
#include "cli/json_output.h"
#include "cli/results_output.h"
#include "cli/saved_pages.h"
#include "cli/sites_command.h"
#include "cli/standard_error.h"
#include "hengdian/version.h"
#include "lookup/list_check.h"
#include "lookup/query_job.h"
#include "lookup/report_columns.h"
#include "lookup/report_workbook.h"
#include "runtime/code_page.h"
#include "runtime/date.h"
#include "runtime/stop_flag.h"
#include "runtime/text.h"
#include "web/http.h"
#include "web/saved_exchanges.h"

namespace hengdian::cli {

namespace {

/// The most lookups at once that --jobs allows.
constexpr int kMaxJobs = 8;

/// The options of `check` as given.
struct CheckOptions {
  std::string site = "library";
  std::string input = "-";
  std::string format = "text";
  std::string output;  // check only; "" for standard output
  PerSite<std::string> hosts;
  std::string caFile;
  int retryPauseMs = 0;
  int busyPauseMs = 5000;
  int jobs = 1;
  bool captions = false;
  bool current = false;   // check only
  std::string savePages;  // the folder for every exchange; "" keeps none
};

/// A whole number written in decimal digits, leading zeros read as nothing ("010" is ten), where
/// the parser alone would take "010" for octal eight and call "4x" out of range.
const CLI::Validator kDecimalNumber(
    [](std::string &value) -> std::string {
      if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
        return "\"" + value + "\" is not a number";
      value.erase(0, std::min(value.find_first_not_of('0'), value.size() - 1));
      return "";
    },
    "");

/// Adds an option taking a whole number from `low` to `high` in decimal digits.
void addNumberOption(CLI::App &command, const std::string &name, int &value, const std::string &help, int low,
                     int high) {
  command.add_option(name, value, help)
      ->type_name("N")
      ->transform(kDecimalNumber)
      ->check(CLI::Range(low, high))
      ->capture_default_str();
}

void describeCheck(CLI::App &check, CheckOptions &options) {
  std::vector<std::string> names;
  for (const Site site : kSites)
    names.emplace_back(siteDescription(site).name);
  check
      .add_option("--site", options.site, "Site for every entered line: the library site or the portal site")
      ->type_name("SITE")
      ->check(CLI::IsMember(names))
      ->capture_default_str();
  check
      .add_option("--input", options.input,
                  "The entered text, one standard per line (code, TAB, name), at most " +
                      toUtf8(sizeText(kMaxInputBytes)) +
                      "; \"-\" is standard input. UTF-16 LE or BE, with a BOM or without; otherwise line by "
                      "line, a line that is valid UTF-8 as UTF-8 and any other as GBK. A BOM is dropped "
                      "wherever it stands; a line whose code is longer than " +
                      toUtf8(sizeText(kMaxCodeBytes)) + " is not sent")
      ->type_name("FILE")
      ->capture_default_str();
  check
      .add_option(
          "--format", options.format,
          "text: the results text, one line per entered line, each as soon as it is done; json: "
          "an object with \"rows\" (code, name, site, link, itemId, line and error per entered line) "
          "and \"summary\", at the end; csv: a table for spreadsheets, one row per entered line with "
          "the entered code and name, the first record's fields, the result line and why the site did "
          "not answer (UTF-8 with a BOM, CR LF, a header row); xlsx: an Excel workbook of the csv table, "
          "at the end, with the header row frozen and filtered, the status cells coloured by state, the "
          "links clickable, and a sheet \"汇总\" with the counts, the site and the time of the check (never "
          "written to a terminal: use --output)")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"text", "json", "csv", "xlsx"}))
      ->capture_default_str();
  describeSiteOptions(check, options.hosts, options.caFile);
  const SecondAttempt &secondAttempt = siteDescription(Site::Library).secondAttempt;
  const HttpSettings busy;
  addNumberOption(check, "--retry-pause-ms", options.retryPauseMs,
                  "Each of the " + std::to_string(secondAttempt.waits) +
                      " waits before the library site is asked a second time, in milliseconds",
                  0, 3600000);
  addNumberOption(check, "--busy-pause-ms", options.busyPauseMs,
                  "The wait before a site that answered 503 or 429 (too busy) is asked again, at most " +
                      std::to_string(busy.busyRetries) +
                      " times, when it names no wait of its own (Retry-After, of which at most " +
                      std::to_string(busy.busyWaitLimit.count() / 1000) + " s are waited), in milliseconds",
                  0, 30000);
  addNumberOption(check, "--jobs", options.jobs,
                  "Lookups under way at once, each over its own connection; the results come out in input "
                  "order and the same whatever the number. The public sites are shared by everyone: 4 is a "
                  "polite maximum",
                  1, kMaxJobs);
  check
      .add_option(
          "--save-pages", options.savePages,
          "Save every request sent to the sites and every answer (headers and body bytes as received) "
          "in DIR, one file each, named by the line number and code, for a bug report")
      ->type_name("DIR");
  check.add_flag("--captions", options.captions,
                 "Print every change of the progress caption to standard error, one per line");
}

/// The hosts, the CA file and the wait of the check.
QuerySettings querySettings(const CheckOptions &options) {
  QuerySettings settings;
  for (const Site site : kSites)
    settings.hosts[site] = u16(options.hosts[site]);
  settings.retryWait = std::chrono::milliseconds(options.retryPauseMs);
  settings.http.caFile = options.caFile;
  settings.http.busyWait = std::chrono::milliseconds(options.busyPauseMs);
  if (!options.savePages.empty()) settings.http.exchangeSink = exchangeSaver(u16(options.savePages));
  return settings;
}

/// The site --site names.
Site chosenSite(const CheckOptions &options) {
  // --site takes only the sites' names.
  for (const Site named : kSites) {
    if (siteDescription(named).name == options.site) return named;
  }
  return Site::Library;
}

/// Takes each checked entry, in input order; false ends the check.
using EntryTaker = std::function<bool(CheckedEntry &entry)>;

/// How the check part of a command ended.
struct CheckPart {
  int exitCode = 0;  // 0 when every line was checked; else the command's exit status
  bool lookupFailed = false;
  CheckSummary summary;
};

/// Reads the input and checks it as `options` say, handing every entry to `take`, with the
/// captions or the progress line, a line per lookup the site did not answer and the summary on
/// `err`. An interrupt stops the check; what was handed over stays.
CheckPart runCheckPart(const CheckOptions &options, std::istream &in, std::ostream &err, bool errIsTerminal,
                       const EntryTaker &take) {
  std::vector<EnteredLine> lines;
  {
    const InputBytes input = readInputBytes(options.input, in);
    const std::string source = options.input == "-" ? "standard input" : options.input;
    if (input.failure == InputBytes::Failure::Unreadable) {
      err << "hengdian-cli: cannot read the input from " << source << "\n";
      return {kExitFailed, false, {}};
    }
    if (input.failure == InputBytes::Failure::TooLarge) {
      err << "hengdian-cli: the input from " << source << " is larger than "
          << toUtf8(sizeText(kMaxInputBytes)) << "; check it in parts\n";
      return {kExitFailed, false, {}};
    }
    lines = enteredLines(decodeInputBytes(input.bytes));
  }
  if (!options.savePages.empty()) {
    const PagesFolder folder = makePagesFolder(options.savePages);
    if (!folder.error.empty()) {
      err << "hengdian-cli: " << folder.error << "\n";
      return {kExitFailed, false, {}};
    }
  }

  std::optional<ProgressLine> progress;
  if (errIsTerminal && !options.captions) progress.emplace(err);
  CheckPart part;
  PageDrift drift;  // of every lookup's page, for one warning at the end
  ListCheckHooks hooks;
  hooks.onProgress = [&](const CheckProgress &at) {
    if (options.captions) err << toUtf8(progressCaption(at)) << "\n" << std::flush;
    if (progress && at.index < at.count) {
      progress->show(progressText(at.index, at.count, lines[at.index].code, at.waits));
    }
  };
  hooks.onEntry = [&](std::size_t, CheckedEntry &entry) {
    if (progress) progress->finish();
    drift += entry.drift;
    // A failed lookup reads as not found in the results; a script learns of it here.
    err << failureLine(entry) << std::flush;
    part.lookupFailed = part.lookupFailed || !entry.row.error.empty() ||
                        entry.current.standing == CurrentStanding::NotAnswered;
    // Counted before `take`, which may move the entry, but only once it has taken it.
    CheckSummary counted = part.summary;
    counted.add(entry);
    if (!take(entry)) return false;
    part.summary = counted;
    return true;
  };

  const Site site = chosenSite(options);
  StopFlag stop;
  bool complete = false;
  {
    const InterruptSubscription interrupted([&stop] { stop.requestStop(); });
    complete = checkList(lines, site, querySettings(options), {options.jobs, options.current}, stop, hooks);
  }
  if (progress) progress->finish();
  if (complete && options.captions) err << toUtf8(kCaptionDone) << "\n";
  err << driftWarning(site, drift);
  err << summaryLine(part.summary, options.current) << std::flush;
  // Short of an interrupt, only `take` ends a check early, when its output failed.
  if (interruptSignal() != 0) {
    part.exitCode = interruptExitCode();
  } else if (!complete) {
    part.exitCode = kExitWriteFailed;
  }
  return part;
}

/// Runs the check as `options` say; the exit code.
int runCheckCommand(const CheckOptions &options, std::istream &in, std::ostream &out, std::ostream &err,
                    bool errIsTerminal) {
  std::ofstream file;
  if (!options.output.empty()) {
    errno = 0;
    file.open(options.output, std::ios::binary | std::ios::trunc);
    if (!file) {
      err << "hengdian-cli: cannot write the results: " << options.output << ": "
          << (errno != 0 ? std::strerror(errno) : "cannot create the file") << "\n";
      return kExitWriteFailed;
    }
  }
  ResultsOutput output(options.output.empty() ? out : file, err);
  const DateValue startedAt = currentDate();
  // JSON and the workbook only: they are written at the end.
  const bool atEnd = options.format == "json" || options.format == "xlsx";
  std::vector<CheckedEntry> kept;
  bool headerWritten = false;
  const CheckPart part = runCheckPart(options, in, err, errIsTerminal, [&](CheckedEntry &entry) {
    if (atEnd) {
      kept.push_back(std::move(entry));
      return true;
    }
    if (options.format == "csv") {
      if (!headerWritten && !output.write(csvHeader(options.current))) return false;
      headerWritten = true;
      return output.write(csvRow(entry, options.current));
    }
    if (!output.write(toUtf8(entry.line) + "\n")) return false;
    // The results text stays as without --current; what the stem search found goes beside it.
    err << currentLine(entry) << std::flush;
    return true;
  });
  if (part.exitCode == kExitFailed) return kExitFailed;
  // After an interrupt too, with the rows done before it.
  if (options.format == "json") output.write(resultsJson(kept, part.summary, options.current));
  if (options.format == "xlsx") {
    const WorkbookBytes workbook =
        reportWorkbook(kept, {part.summary, chosenSite(options), startedAt, options.current});
    if (!workbook.error.empty()) {
      err << "hengdian-cli: cannot write the results: " << toUtf8(workbook.error) << "\n";
      return kExitWriteFailed;
    }
    output.write(workbook.bytes);
  }
  if (part.exitCode != 0) return part.exitCode;
  if (output.failed()) return kExitWriteFailed;
  return part.lookupFailed ? kExitLookupFailed : 0;
}

/// Runs the command line; see `runCli`.
int runCommand(const std::vector<std::string> &arguments, std::istream &in, std::ostream &out,
               std::ostream &err, bool errIsTerminal, bool outIsTerminal) {
  CLI::App app("Looks up Chinese technical standards on the library site or the portal site.",
               "hengdian-cli");
  app.require_subcommand(1);
  app.set_version_flag("--version", "hengdian-cli " + std::string(kVersionUtf8));
  CheckOptions options;
  const QuerySettings defaults = defaultQuerySettings();
  for (const Site site : kSites)
    options.hosts[site] = toUtf8(defaults.hosts[site]);
  options.retryPauseMs = static_cast<int>(siteDescription(Site::Library).secondAttempt.wait.count());
  CLI::App *check = app.add_subcommand(
      "check", "Check every entered line on one site and print one result line per entered line");
  describeCheck(*check, options);
  check->add_option("--output", options.output, "Write the results to FILE instead of standard output")
      ->type_name("FILE");
  check->add_flag(
      "--current", options.current,
      "标准查新: for every entry that is not in force (its record's status is not 现行有效, on the portal "
      "site 现行, or it was not found), search the same site once more with the code without its \"-\" "
      "and year (GB/T 5491-1985: GB/T 5491; a code without a year is its own stem, and its own page "
      "serves) and report the version in force: of the hits whose title "
      "begins with that stem, \"-\" and a year, the latest in force; when none is, the latest of any status "
      "is reported as the latest version. The search "
      "goes through the same connections and --jobs, once per stem; on the library site it has no second "
      "attempt. Text: one line per such entry on standard error, the results text unchanged; JSON: "
      "\"current\" (the version in force or null) and \"latest\" (the latest version when none is in force, "
      "or null) in every row; CSV: five more columns; the summary counts the replaced entries and "
      "those with no version in force");
  check->footer(
      "At the end standard error gets a summary: the lines checked, and how many are in force, withdrawn, "
      "of another status, not found and not answered. A lookup the site did not answer (no answer, TLS "
      "failure, stall, redirect limit, cut-off or oversized page, or a status outside 200..299) still reads "
      "as not found, and standard error gets one line per such entry, \"hengdian-cli: <code>: <site> did "
      "not answer: <reason>\" (the JSON row's \"error\" and the CSV's last column hold the reason), and the "
      "same for a --current search, \"… did not answer the search for <stem>: <reason>\", and for a code "
      "longer than " +
      toUtf8(sizeText(kMaxCodeBytes)) + ", which is not sent.\n\n" + exitStatusHelp());
  CheckOptions downloadCheck = options;
  DownloadCommandOptions downloadOptions;
  CLI::App *download = app.add_subcommand(
      "download",
      "Check every entered line, then download every row's file from the library site into a folder");
  describeCheck(*download, downloadCheck);
  describeDownload(*download, downloadOptions);
  SitesOptions sitesOptions;
  sitesOptions.hosts = options.hosts;
  CLI::App *sites = app.add_subcommand(
      "sites", "Ask each site about a few well-known standards and report whether it works as expected");
  describeSites(*sites, sitesOptions);

  // CLI11 takes the arguments last one first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp &) {
    ResultsOutput output(out, err);
    return output.write(app.help()) ? 0 : kExitWriteFailed;
  } catch (const CLI::CallForVersion &version) {
    ResultsOutput output(out, err);
    return output.write(std::string(version.what()) + "\n") ? 0 : kExitWriteFailed;
  } catch (const CLI::ParseError &error) {
    const char *command = download->parsed() ? "download" : sites->parsed() ? "sites" : "check";
    err << "hengdian-cli: " << error.what() << "\nRun \"hengdian-cli " << command
        << " --help\" for the options.\n";
    return kExitUsage;
  }
  // Standard output closed at the start: nobody would see the results, so nothing is looked up;
  // results bound for a file of their own need no standard output.
  if (!out.good() && !(check->parsed() && !options.output.empty())) {
    err << "hengdian-cli: cannot write the results: standard output is closed\n";
    return kExitWriteFailed;
  }
  if (sites->parsed()) return runSitesCommand(sitesOptions, out, err);
  if (download->parsed()) {
    std::vector<ResultRow> rows;
    const CheckPart part = runCheckPart(downloadCheck, in, err, errIsTerminal, [&rows](CheckedEntry &entry) {
      rows.push_back(std::move(entry.row));
      return true;
    });
    if (part.exitCode != 0) return part.exitCode;
    return runBatchDownload(rows, querySettings(downloadCheck), downloadOptions, out, err,
                            errIsTerminal && !downloadCheck.captions);
  }
  // A workbook is no text for a terminal.
  if (options.format == "xlsx" && options.output.empty() && outIsTerminal) {
    err << "hengdian-cli: --format xlsx writes a workbook, not text for a terminal: name a file with "
           "--output or redirect standard output\nRun \"hengdian-cli check --help\" for the options.\n";
    return kExitUsage;
  }
  return runCheckCommand(options, in, out, err, errIsTerminal);
}

}  // namespace

int runCli(const std::vector<std::string> &arguments, std::istream &in, std::ostream &out, std::ostream &err,
           bool errIsTerminal, bool outIsTerminal) {
  try {
    return runCommand(arguments, in, out, err, errIsTerminal, outIsTerminal);
  } catch (const std::bad_alloc &) {
    // Anywhere: reading the list, a worker's page, the JSON document. Results not yet written
    // are lost, and a script must not take this for an unreadable list.
    err << "hengdian-cli: out of memory; the run stopped, and its results are incomplete\n" << std::flush;
    return kExitOutOfMemory;
  }
}

}  // namespace hengdian::cli
