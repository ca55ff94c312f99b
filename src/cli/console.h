#pragma once
// The few things the command-line tool needs to know about the process's standard streams.

namespace hengdian::cli {

/// Which of the standard streams the process was started without.
struct ClosedStreams {
  bool input = false;
  bool output = false;
  bool error = false;
};

/// Opens the null device on each of descriptors 0, 1 and 2 that is closed, so that no file or
/// socket opened later takes its number and receives what was meant for the stream; which were
/// closed. Call it first, before anything opens a descriptor.
ClosedStreams openClosedStandardStreams();

/// Whether standard error goes to a terminal, where a progress line makes sense.
bool standardErrorIsTerminal();

/// Whether standard output goes to a terminal, where a workbook's bytes make no sense.
bool standardOutputIsTerminal();

/// Makes standard input and output pass bytes unchanged, so CR LF in a list and the "\n" ending
/// each result line arrive as they are.
void useBinaryStandardStreams();

/// Makes a write to a closed pipe fail with an error that the writer sees, instead of ending the
/// process at once.
void reportBrokenPipesAsWriteErrors();

}  // namespace hengdian::cli
