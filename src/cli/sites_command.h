#pragma once
// `hengdian-cli sites`: asks each site about a few well-known standards and says whether it can
// be reached, whether it is throttling, and whether its pages still read as the tool expects;
// every exchange is kept in a folder for a bug report.

#include <iosfwd>
#include <string>
#include <string_view>

#include "lookup/query_job.h"
#include "lookup/site.h"

namespace CLI {
class App;
}

namespace hengdian::cli {

/// The options of `sites`.
struct SitesOptions {
  PerSite<std::string> hosts;
  std::string caFile;
  std::string savePages;  // "" makes a new folder in the temporary folder
};

/// Adds the options that name where the sites are and whom HTTPS trusts, which `check`, `download`
/// and `sites` share: --library-host, --portal-host and --ca-file.
void describeSiteOptions(CLI::App &command, PerSite<std::string> &hosts, std::string &caFile);

/// Adds the options of `sites` and its help footer.
void describeSites(CLI::App &sites, SitesOptions &options);

/// How a site fared with the site check.
enum class SiteVerdict { Works, Unreachable, Throttled, Changed };

/// One search of the site check: its code, the page's drift, why the site did not answer ("" when
/// it did) and the status code of the answer.
struct ProbeSearch {
  std::u16string code;
  PageDrift drift;
  std::u16string error;
  std::int32_t statusCode = 0;
  double seconds = 0;
};

/// A site's verdict from its searches: unreachable when some search got no answer, throttled when
/// one got 503 or 429, changed when one got another status outside 200..299, no hits or hits
/// lacking a part; otherwise it works.
SiteVerdict siteVerdict(const std::vector<ProbeSearch> &searches);

/// Runs the site check; 0 when both sites work, 4 when one does not, 1 when the folder for the
/// exchanges cannot be made. The report goes to `out`, the folder's name to `err`.
int runSitesCommand(const SitesOptions &options, std::ostream &out, std::ostream &err);

/// The warning `check` gives once per run when hits on `site` lacked a status, a title or a link:
/// what they lacked and where to go from there; "" when none lacked any.
std::string driftWarning(Site site, const PageDrift &drift);

}  // namespace hengdian::cli
