#pragma once
// `hengdian-cli download`: after the check, the batch download of every row it found, logged to
// standard output as the download settings tab logs it.

#include <iosfwd>
#include <string>
#include <vector>

#include "lookup/query_job.h"
#include "lookup/result_row.h"

namespace CLI {
class App;
}

namespace hengdian::cli {

/// What `download` adds to the options of `check`.
struct DownloadCommandOptions {
  std::string folder;  // put in front of every file name as it is
  std::string rule;    // the naming rule
  int downloadPauseMs = 10100;
};

/// Adds `download`'s own options and its help footer to `download`, which has those of `check`.
void describeDownload(CLI::App &download, DownloadCommandOptions &options);

/// The batch download over `rows` (one per entered line), each from its site's host in `checked`,
/// trusting its CA file:
/// each log line goes to `out` as it is written, oldest first. With `progressLine` a line on `err`
/// tells which row is being downloaded, and `err` gets the reason of each failed download. The
/// exit code: 0 when every row was saved, 3 otherwise, 130 or 143 when SIGINT or SIGTERM ended it,
/// `kExitWriteFailed` when the log could not be written (the run stops before the next row).
int runBatchDownload(const std::vector<ResultRow> &rows, const QuerySettings &checked,
                     const DownloadCommandOptions &options, std::ostream &out, std::ostream &err,
                     bool progressLine);

}  // namespace hengdian::cli
