#pragma once
// `hengdian-cli check`: the same check the window runs, driven from the command line.

#include <iosfwd>
#include <string>
#include <vector>

namespace hengdian::cli {

/// Runs the command line `arguments` (without the program name) and returns the exit code:
/// 0 when every lookup got an answer, 4 when some did not (each reported on `err`), 5 when the
/// results could not be written to `out`, 1 when the input cannot be read, 2 for a usage error,
/// 130 or 143 when an interrupt stopped the run (see --help for `download`'s own). With
/// `errIsTerminal` and without --captions a progress line is kept up to date on `err`; with
/// `outIsTerminal` a workbook for standard output is refused.
int runCli(const std::vector<std::string> &arguments, std::istream &in, std::ostream &out, std::ostream &err,
           bool errIsTerminal = false, bool outIsTerminal = false);

}  // namespace hengdian::cli
