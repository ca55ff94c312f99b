#pragma once
// `hengdian-cli check`: the same check the window runs, driven from the command line.

#include <iosfwd>
#include <string>
#include <vector>

namespace hengdian::cli {

/// Runs the command line `arguments` (without the program name) and returns one of the exit
/// statuses of cli/exit_codes.h, each lookup the site did not answer reported on `err`. With
/// `errIsTerminal` and without --captions a progress line is kept up to date on `err`; with
/// `outIsTerminal` a workbook for standard output is refused.
int runCli(const std::vector<std::string> &arguments, std::istream &in, std::ostream &out, std::ostream &err,
           bool errIsTerminal = false, bool outIsTerminal = false);

}  // namespace hengdian::cli
