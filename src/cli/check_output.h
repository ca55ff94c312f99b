#pragma once
// What the command-line tool writes about a check: standard output with every write checked, the
// results as JSON, the reports on standard error, and the one-line
// progress display on a terminal.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/list_check.h"
#include "lookup/query_job.h"

namespace hengdian::cli {

/// Standard output as the results go there: every write flushed and checked. The first failure is
/// reported on `err` ("hengdian-cli: cannot write the results: <reason>"); nothing is written
/// after it.
class ResultsOutput {
 public:
  ResultsOutput(std::ostream &out, std::ostream &err);

  /// Writes and flushes `bytes`; false once any write has failed.
  bool write(std::string_view bytes);
  /// Whether a write has failed.
  bool failed() const { return failed_; }

 private:
  std::ostream &out_;
  std::ostream &err_;
  bool failed_ = false;
};

/// The JSON document of a check: "rows", per entered line its row's code, name, site, link and
/// item id (library rows only, "" for portal rows), its result line and the row's error ("" when
/// the site answered), with `withCurrent` also "current", the version in force (code, title,
/// status, link) or null, and "latest", the latest version when none is in force or null; and
/// "summary", the counts of `summary` (with `withCurrent` also
/// "replaced" and "noneInForce"). Pretty-printed UTF-8 with a final line break.
std::string resultsJson(const std::vector<CheckedEntry> &entries, const CheckSummary &summary,
                        bool withCurrent);

/// "hengdian-cli: <code>: the library site did not answer: <reason>\n" (or the portal site) when
/// the entry's lookup got no answer, "hengdian-cli: <code>: the library site did not answer the
/// search for <stem>: <reason>\n" when its stem search got none; "" when both did.
std::string failureLine(const CheckedEntry &entry);

/// For an entry whose version in force was searched for: "hengdian-cli: <code>: 现行版本 <title>\n",
/// or "hengdian-cli: <code>: 没有找到现行版本\n", followed by "，最新版本 <title>（<status>）" when a
/// version not in force was found; "" for any other entry.
std::string currentLine(const CheckedEntry &entry);

/// "hengdian-cli: checked 4 lines: 2 in force, 1 withdrawn, 0 other status, 1 not found, 0 not
/// answered\n"; with `withCurrent` "; 1 replaced by a newer version, 1 with no version in force"
/// before the line break.
std::string summaryLine(const CheckSummary &summary, bool withCurrent);

/// "[3/40] GB/T 5490-2010": the entry (counted from 0) and its code, with the wait of a library
/// line's second attempt when one is under way.
std::u16string progressText(std::size_t index, std::size_t count, std::u16string_view code, int waits = 0);

/// The progress display: one line on a terminal, rewritten in place.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream &terminal);

  /// Replaces the line by `text`.
  void show(const std::u16string &text);
  /// Clears the line, leaving the terminal as it was.
  void finish();

 private:
  std::size_t shownWidth_ = 0;
  std::ostream &terminal_;
};

}  // namespace hengdian::cli
