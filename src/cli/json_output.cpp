#include "cli/json_output.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>

#include "lookup/report_columns.h"
#include "lookup/site.h"
#include "runtime/code_page.h"

namespace hengdian::cli {

namespace {

/// A version as JSON, null for none.
nlohmann::ordered_json versionJson(const CurrentVersion *version) {
  if (version == nullptr) return nullptr;
  return {{"code", toUtf8(version->code)},
          {"title", toUtf8(version->title)},
          {"status", toUtf8(version->status)},
          {"link", toUtf8(version->link)}};
}

}  // namespace

std::string resultsJson(const std::vector<CheckedEntry> &entries, const CheckSummary &summary,
                        bool withCurrent) {
  // Keys stay in the documented order rather than sorted.
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const CheckedEntry &entry : entries) {
    const ResultRow &row = entry.row;
    // An item id only means something on a site that serves files.
    nlohmann::ordered_json object = {
        {"code", toUtf8(row.code)},
        {"name", toUtf8(row.name)},
        {"site", static_cast<std::int32_t>(row.site)},
        {"link", toUtf8(row.link)},
        {"itemId", siteDescription(row.site).downloadAddress ? toUtf8(itemId(row)) : std::string()},
        {"line", toUtf8(entry.line)},
        {"error", toUtf8(row.error)}};
    if (withCurrent) {
      object["current"] = versionJson(versionInForce(entry.current));
      object["latest"] = versionJson(latestVersion(entry.current));
    }
    rows.push_back(std::move(object));
  }
  nlohmann::ordered_json document;
  document["rows"] = std::move(rows);
  document["summary"] = {{"checked", summary.checked},     {"inForce", summary.inForce},
                         {"withdrawn", summary.withdrawn}, {"otherStatus", summary.otherStatus},
                         {"notFound", summary.notFound},   {"notAnswered", summary.notAnswered}};
  if (withCurrent) {
    document["summary"]["replaced"] = summary.replaced;
    document["summary"]["noneInForce"] = summary.noneInForce;
  }
  return document.dump(2) + "\n";
}

}  // namespace hengdian::cli
