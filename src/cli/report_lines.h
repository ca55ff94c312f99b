#pragma once
// The lines a check writes on standard error: a lookup the site did not answer, the version in
// force, and the summary at the end.

#include <string>
#include <string_view>

#include "lookup/list_check.h"
#include "lookup/query_job.h"

namespace hengdian::cli {

/// A code as a line of standard error or the progress shows it: a line too long to be a code
/// cut to its start, followed by "…".
std::u16string shownCode(std::u16string_view code);

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

}  // namespace hengdian::cli
