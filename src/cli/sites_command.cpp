#include "cli/sites_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/saved_pages.h"
#include "runtime/code_page.h"
#include "runtime/stop_flag.h"
#include "web/saved_exchanges.h"

namespace hengdian::cli {

namespace {

/// Standards every site knows, in force for years.
constexpr std::u16string_view kWellKnownCodes[] = {u"GB 2760-2014", u"GB/T 5490-2010"};

/// What each verdict says, in the order of `SiteVerdict`.
constexpr std::string_view kVerdictTexts[] = {
    "works", "unreachable", "throttled (it answers 503 or 429: too many requests; try again later)",
    "answers, but its pages no longer read as expected"};

std::string millisecondsText(double seconds) {
  return std::to_string(static_cast<long>(seconds * 1000 + 0.5)) + " ms";
}

/// One line of details for a search: what came back.
std::string searchDetails(const ProbeSearch &search) {
  std::string line = "  " + toUtf8(search.code) + ": ";
  if (search.statusCode == 0) return line + "no answer: " + toUtf8(search.error) + "\n";
  if (search.statusCode < 200 || search.statusCode > 299)
    return line + "HTTP status " + std::to_string(search.statusCode) + "\n";
  if (search.drift.hits == 0) return line + "no hits, " + millisecondsText(search.seconds) + "\n";
  line += std::to_string(search.drift.hits) + (search.drift.hits == 1 ? " hit, " : " hits, ") +
          millisecondsText(search.seconds);
  if (search.drift.drifted()) line += "; missing: " + missingParts(search.drift);
  return line + "\n";
}

/// Searches `site` for each well-known code once, asking nothing twice.
std::vector<ProbeSearch> probeSite(Site site, const QuerySettings &settings) {
  std::vector<ProbeSearch> searches;
  for (const std::u16string_view code : kWellKnownCodes) {
    QuerySettings labelled = settings;
    labelled.http.exchangeLabel =
        std::u16string(u16(siteDescription(site).name)) + u" " + std::u16string(code);
    std::int32_t status = 0;
    const ExchangeSink keep = settings.http.exchangeSink;
    labelled.http.exchangeSink = [&status, keep](const HttpExchange &exchange) {
      status = exchange.statusCode;
      if (keep) keep(exchange);
    };
    StopFlag stop;
    const auto start = std::chrono::steady_clock::now();
    std::optional<SiteAnswer> answer = searchSite(site, code, u"", labelled, stop);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ProbeSearch search{std::u16string(code), {}, {}, status, took.count()};
    if (answer) {
      search.drift = answer->page.drift;
      search.error = std::move(answer->error);
    }
    searches.push_back(std::move(search));
  }
  return searches;
}

}  // namespace

void describeSiteOptions(CLI::App &command, PerSite<std::string> &hosts, std::string &caFile) {
  // A host with an optional port; the scheme and the path are the tool's own.
  static const CLI::Validator hostName(
      [](const std::string &value) -> std::string {
        if (value.empty()) return "the host must not be empty";
        if (value.find_first_of("/ \t\r\n?#@") != std::string::npos) return "expected HOST or HOST:PORT";
        return "";
      },
      "");
  for (const Site site : kSites) {
    const SiteDescription &described = siteDescription(site);
    const std::string name(described.name);
    command
        .add_option("--" + name + "-host", hosts[site],
                    "Host of the " + name + " site, reached over " + toUtf8(described.scheme))
        ->type_name("HOST[:PORT]")
        ->check(hostName)
        ->capture_default_str();
  }
  command.add_option("--ca-file", caFile, "Extra CA certificates (PEM) trusted for HTTPS")
      ->type_name("PEM")
      ->check(CLI::ExistingFile);
}

void describeSites(CLI::App &sites, SitesOptions &options) {
  describeSiteOptions(sites, options.hosts, options.caFile);
  sites
      .add_option("--save-pages", options.savePages,
                  "The folder for every request and answer; without it a new folder in the temporary folder")
      ->type_name("DIR");
  std::string codes;
  for (const std::u16string_view code : kWellKnownCodes)
    codes += (codes.empty() ? "" : " and ") + toUtf8(code);
  sites.footer(
      "Asks each site about " + codes +
      ", once each, and prints per site one line: works (hits found, time), unreachable (why), throttled "
      "(503 or 429), or answers but its pages no longer read as expected (no hits, or hits missing their "
      "status, title, dates or link); the searches' details "
      "follow. Every request and answer is saved in a folder, named on standard error: send it with a bug "
      "report.\n\n" +
      exitStatusHelp());
}

SiteVerdict siteVerdict(const std::vector<ProbeSearch> &searches) {
  SiteVerdict verdict = SiteVerdict::Works;
  // The worst outcome of any search counts: no answer, then throttling, then changed pages.
  const auto worsen = [&verdict](SiteVerdict seen) {
    if (static_cast<int>(seen) < static_cast<int>(verdict) || verdict == SiteVerdict::Works) verdict = seen;
  };
  for (const ProbeSearch &search : searches) {
    if (search.statusCode == 0) {
      worsen(SiteVerdict::Unreachable);
    } else if (search.statusCode == 503 || search.statusCode == 429) {
      worsen(SiteVerdict::Throttled);
    } else if (search.statusCode < 200 || search.statusCode > 299 || search.drift.hits == 0 ||
               search.drift.drifted()) {
      worsen(SiteVerdict::Changed);
    }
  }
  return verdict;
}

int runSitesCommand(const SitesOptions &options, std::ostream &out, std::ostream &err) {
  const PagesFolder folder = makePagesFolder(options.savePages);
  if (!folder.error.empty()) {
    err << "hengdian-cli: " << folder.error << "\n";
    return kExitFailed;
  }
  QuerySettings settings;
  for (const Site site : kSites)
    settings.hosts[site] = u16(options.hosts[site]);
  settings.http.caFile = options.caFile;
  // A busy site is reported as such, not waited for.
  settings.http.busyRetries = 0;
  settings.http.totalTime = std::chrono::seconds(30);
  settings.http.exchangeSink = exchangeSaver(folder.path);

  bool allWork = true;
  for (const Site site : kSites) {
    const std::vector<ProbeSearch> searches = probeSite(site, settings);
    const SiteVerdict verdict = siteVerdict(searches);
    allWork = allWork && verdict == SiteVerdict::Works;
    const SiteDescription &described = siteDescription(site);
    std::string report = "the " + std::string(described.name) + " site (" + toUtf8(described.scheme) +
                         options.hosts[site] + "): " + std::string(kVerdictTexts[static_cast<int>(verdict)]);
    if (verdict == SiteVerdict::Works) {
      double seconds = 0;
      for (const ProbeSearch &search : searches)
        seconds += search.seconds;
      report += ", hits found for " + std::to_string(searches.size()) + " standards in " +
                millisecondsText(seconds);
    }
    // Why it is unreachable, on the site's own line.
    const auto silent = std::find_if(searches.begin(), searches.end(),
                                     [](const ProbeSearch &search) { return search.statusCode == 0; });
    if (verdict == SiteVerdict::Unreachable && silent != searches.end())
      report += ": " + toUtf8(silent->error);
    report += "\n";
    for (const ProbeSearch &search : searches)
      report += searchDetails(search);
    out << report << std::flush;
  }
  err << "hengdian-cli: every request and answer is saved in " << toUtf8(folder.path.u16string())
      << "; send that folder with a bug report\n";
  return allWork ? 0 : kExitLookupFailed;
}

std::string driftWarning(Site site, const PageDrift &seen) {
  // A hit without dates still makes a whole result line; only what the line and the row are
  // made of counts here.
  PageDrift drift = seen;
  drift.withoutDates = 0;
  if (!drift.drifted()) return {};
  return "hengdian-cli: warning: the " + std::string(siteDescription(site).name) +
         " site's result pages no longer read as expected; missing: " + missingParts(drift) +
         ". Run \"hengdian-cli sites\" to check the sites, and check again with --save-pages DIR to keep "
         "the pages for a bug report\n";
}

}  // namespace hengdian::cli
