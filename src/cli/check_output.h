#pragma once
// What the command-line tool writes about a check: standard output with every write checked, the
// results as JSON, the reports on standard error, and the one-line progress display on a terminal.

#include "cli/json_output.h"
#include "cli/results_output.h"
#include "cli/standard_error.h"

namespace hengdian::cli {

/// The exit status when the results (or the download log) could not be written.
inline constexpr int kExitWriteFailed = 5;

/// The exit status when the memory ran out.
inline constexpr int kExitOutOfMemory = 6;

}  // namespace hengdian::cli
