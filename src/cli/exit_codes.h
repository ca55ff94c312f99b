#pragma once
// The exit statuses of hengdian-cli, each with what it means; every command's --help lists them
// from this table.

#include <csignal>
#include <string>
#include <string_view>

namespace hengdian::cli {

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDownloadFailed = 3;
inline constexpr int kExitLookupFailed = 4;
inline constexpr int kExitWriteFailed = 5;
inline constexpr int kExitOutOfMemory = 6;
/// A run a signal stopped ends with this plus the signal's number, as a shell expects.
inline constexpr int kExitSignalBase = 128;

/// One exit status and what it means.
struct ExitStatus {
  int code = 0;
  std::string_view meaning;
};

/// Every exit status of hengdian-cli.
inline constexpr ExitStatus kExitStatuses[] = {
    {0,
     "check: every lookup got an answer, whatever it found; download: every row was saved; sites: both "
     "sites work"},
    {kExitFailed,
     "the input could not be read (standard input closed, say) or is too large (see --input), "
     "the folder for the saved pages could not be made, or the run could not start"},
    {kExitUsage, "a usage error"},
    {kExitDownloadFailed, "download: at least one download failed"},
    {kExitLookupFailed,
     "a site did not answer some lookup (or, with --current, some stem search), or a code "
     "too long to be sent was entered; sites: a site does not work as expected"},
    {kExitWriteFailed,
     "the results (or the download log) could not be written: \"hengdian-cli: cannot write "
     "the results: <reason>\" on standard error (a full disk, a closed pipe, or standard "
     "output closed at the start, when nothing is looked up)"},
    {kExitOutOfMemory, "the memory ran out; the results are incomplete"},
    {kExitSignalBase + SIGINT,
     "an interrupt (Ctrl+C) stopped the run; what was done before it stays "
     "written, and a download under way is stopped and its temporary file removed"},
    {kExitSignalBase + SIGTERM, "a termination request stopped the run, as an interrupt does"},
};

/// "Exit status:" and a line per entry of `kExitStatuses`, for the end of a command's help.
inline std::string exitStatusHelp() {
  std::string text = "Exit status:\n";
  for (const ExitStatus &status : kExitStatuses)
    text += "  " + std::to_string(status.code) + "  " + std::string(status.meaning) + "\n";
  return text;
}

}  // namespace hengdian::cli
