#include "cli/check_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <istream>
#include <optional>
#include <ostream>

#include "cli/check_output.h"
#include "cli/download_command.h"
#include "cli/headless_check.h"
#include "cli/input_file.h"
#include "lookup/query_job.h"
#include "runtime/code_page.h"
#include "web/http.h"

namespace hengdian::cli {

namespace {

/// The exit code when some site did not answer a lookup.
constexpr int kExitLookupFailed = 4;

/// The options of `check` as given.
struct CheckOptions {
  std::string site = "library";
  std::string input = "-";
  std::string format = "text";
  std::string libraryHost;
  std::string portalHost;
  std::string caFile;
  int retryPauseMs = 1010;
  bool captions = false;
};

/// A host with an optional port; the scheme and the path are the tool's own.
const CLI::Validator kHostName(
    [](const std::string &value) -> std::string {
      if (value.empty()) return "the host must not be empty";
      if (value.find_first_of("/ \t\r\n?#@") != std::string::npos) return "expected HOST or HOST:PORT";
      return "";
    },
    "");

void describeCheck(CLI::App &check, CheckOptions &options) {
  check
      .add_option("--site", options.site, "Site for every entered line: the library site or the portal site")
      ->type_name("SITE")
      ->check(CLI::IsMember({"library", "portal"}))
      ->capture_default_str();
  check
      .add_option("--input", options.input,
                  "The entered text, one standard per line (code, TAB, name); \"-\" is standard input. "
                  "UTF-8, a leading BOM ignored; UTF-16 LE or BE with a BOM; a file that is not valid UTF-8 "
                  "is read as GBK")
      ->type_name("FILE")
      ->capture_default_str();
  check
      .add_option("--format", options.format,
                  "text: the results text, one line per entered line; json: an array with code, name, "
                  "site, link, itemId, line and error per entered line")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"text", "json"}))
      ->capture_default_str();
  check.add_option("--library-host", options.libraryHost, "Host of the library site, reached over http://")
      ->type_name("HOST[:PORT]")
      ->check(kHostName)
      ->capture_default_str();
  check.add_option("--portal-host", options.portalHost, "Host of the portal site, reached over https://")
      ->type_name("HOST[:PORT]")
      ->check(kHostName)
      ->capture_default_str();
  check.add_option("--ca-file", options.caFile, "Extra CA certificates (PEM) trusted for HTTPS")
      ->type_name("PEM")
      ->check(CLI::ExistingFile);
  check
      .add_option("--retry-pause-ms", options.retryPauseMs,
                  "Each of the ten waits before the library site is asked a second time, in milliseconds")
      ->type_name("N")
      ->check(CLI::Range(0, 3600000))
      ->capture_default_str();
  check.add_flag("--captions", options.captions,
                 "Print every change of the progress caption to standard error, one per line");
}

/// The hosts and the wait of the check.
QuerySettings querySettings(const CheckOptions &options) {
  QuerySettings settings;
  settings.libraryHost = u16(options.libraryHost);
  settings.portalHost = u16(options.portalHost);
  settings.retryWait = std::chrono::milliseconds(options.retryPauseMs);
  return settings;
}

/// Reads the input and runs the check as `options` say, with the captions or the progress line on
/// `err`; nothing (after saying why on `err`) when the input cannot be read or the check not start.
std::optional<HeadlessCheckResult> runCheckPart(const CheckOptions &options, std::istream &in,
                                                std::ostream &err, bool errIsTerminal) {
  const std::optional<std::string> bytes = readInputBytes(options.input, in);
  if (!bytes) {
    err << "hengdian-cli: cannot read the input "
        << (options.input == "-" ? "from standard input" : options.input) << "\n";
    return std::nullopt;
  }
  const std::u16string input = decodeInputBytes(*bytes);

  if (!options.caFile.empty()) setHttpCaFile(options.caFile);

  std::optional<ProgressLine> progress;
  if (errIsTerminal && !options.captions) progress.emplace(input, err);
  HeadlessCheckHooks hooks;
  hooks.onCaption = [&](const std::u16string &caption) {
    if (options.captions) err << toUtf8(caption) << "\n" << std::flush;
    if (progress) progress->captionChanged(caption);
  };
  hooks.onResultsLines = [&](std::size_t linesShown) {
    if (progress) progress->resultsChanged(linesShown);
  };

  const std::int32_t site = options.site == "portal" ? PortalSite : LibrarySite;
  HeadlessCheckResult result = runHeadlessCheck(input, site, querySettings(options), hooks);
  if (progress) progress->finish();
  if (!result.started) {
    err << "hengdian-cli: could not start the check\n";
    return std::nullopt;
  }
  return result;
}

/// Runs the check as `options` say; the exit code.
int runCheckCommand(const CheckOptions &options, std::istream &in, std::ostream &out, std::ostream &err,
                    bool errIsTerminal) {
  const std::optional<HeadlessCheckResult> result = runCheckPart(options, in, err, errIsTerminal);
  if (!result) return 1;
  if (options.format == "json") {
    out << resultsJson(result->rows, result->resultsText);
  } else {
    out << toUtf8(result->resultsText);
  }
  out.flush();
  // A failed lookup reads as not found in the results; a script learns of it here.
  const std::string failures = failureReport(result->rows);
  err << failures << std::flush;
  return failures.empty() ? 0 : kExitLookupFailed;
}

}  // namespace

int runCli(const std::vector<std::string> &arguments, std::istream &in, std::ostream &out, std::ostream &err,
           bool errIsTerminal) {
  CLI::App app("Looks up Chinese technical standards on the library site or the portal site.",
               "hengdian-cli");
  app.require_subcommand(1);
  CheckOptions options;
  const QuerySettings defaults = defaultQuerySettings();
  options.libraryHost = toUtf8(defaults.libraryHost);
  options.portalHost = toUtf8(defaults.portalHost);
  options.retryPauseMs = static_cast<int>(defaults.retryWait.count());
  CLI::App *check = app.add_subcommand(
      "check", "Check every entered line on one site and print one result line per entered line");
  describeCheck(*check, options);
  check->footer(
      "Exit status: 0 when every lookup got an answer, whatever it found; 4 when a site did not answer "
      "some lookup (no answer, TLS failure, stall, redirect limit, cut-off or oversized page, or a status "
      "outside 200..299): the line still reads as not found, and standard error gets one line per such "
      "entry, \"hengdian-cli: <code>: <site> did not answer: <reason>\" (the JSON row's \"error\" holds "
      "the reason); 1 when the input cannot be read; 2 for a usage error.");
  CheckOptions downloadCheck = options;
  DownloadCommandOptions downloadOptions;
  CLI::App *download = app.add_subcommand(
      "download",
      "Check every entered line, then download every row's file from the library site into a folder");
  describeCheck(*download, downloadCheck);
  describeDownload(*download, downloadOptions);

  // CLI11 takes the arguments last one first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp &) {
    out << app.help();
    return 0;
  } catch (const CLI::ParseError &error) {
    const char *command = download->parsed() ? "download" : "check";
    err << "hengdian-cli: " << error.what() << "\nRun \"hengdian-cli " << command
        << " --help\" for the options.\n";
    return 2;
  }
  if (download->parsed()) {
    const std::optional<HeadlessCheckResult> checked = runCheckPart(downloadCheck, in, err, errIsTerminal);
    if (!checked) return 1;
    return runBatchDownload(checked->rows, u16(downloadCheck.libraryHost), downloadOptions, out, err,
                            errIsTerminal && !downloadCheck.captions);
  }
  return runCheckCommand(options, in, out, err, errIsTerminal);
}

}  // namespace hengdian::cli
