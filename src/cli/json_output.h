#pragma once
// The results of a check as one JSON document.

#include <string>
#include <vector>

#include "lookup/list_check.h"
#include "lookup/query_job.h"

namespace hengdian::cli {

/// The JSON document of a check: "rows", per entered line its row's code, name, site, link and
/// item id (library rows only, "" for portal rows), its result line and the row's error ("" when
/// the site answered), with `withCurrent` also "current", the version in force (code, title,
/// status, link) or null, and "latest", the latest version when none is in force or null; and
/// "summary", the counts of `summary` (with `withCurrent` also
/// "replaced" and "noneInForce"). Pretty-printed UTF-8 with a final line break.
std::string resultsJson(const std::vector<CheckedEntry> &entries, const CheckSummary &summary,
                        bool withCurrent);

}  // namespace hengdian::cli
