// stand-in-sites: both stand-in sites with a few sample standards, for trying hengdian offline.

#include <chrono>
#include <csignal>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "support/stand_in_pages.h"
#include "support/stand_in_sites.h"

namespace {

using hengdian::testing::pageAnswer;
using hengdian::testing::redirectAnswer;
using hengdian::testing::StandInSites;

constexpr const char *kHtml = "text/html; charset=utf-8";
constexpr auto kPollInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) {
  stopRequested = 1;
}

constexpr const char *kHelp = R"(Usage: stand-in-sites [--help]

Serves stand-ins for hengdian's two sites on this machine, so the tool can be tried offline:
the library site over plain HTTP on 127.0.0.1 and the portal site over HTTPS on localhost, with
a test CA made at start-up. Both listen on ports the system chooses. The program prints the
library host, the portal host and the CA file, then serves until it receives SIGINT (Ctrl+C) or
SIGTERM; the CA file is removed when it ends.

Samples: GB/T 5490-2010 and GB/T 5491-1985 are found on both sites, GB/T 99999-2099 finds
nothing, and the library sample GB/T 5490-2010 can be downloaded as a small PDF.
)";

/// A few hundred bytes that PDF readers accept as an empty one-page document.
std::string samplePdf() {
  return "%PDF-1.4\n"
         "1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
         "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
         "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] >> endobj\n"
         "trailer << /Root 1 0 R >>\n"
         "%%EOF\n";
}

std::string smallPage(const std::string &title, const std::string &text) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head>\n<body><h1>" + title + "</h1><p>" + text + "</p></body></html>\n";
}

void serveSamples(StandInSites &sites) {
  const std::string libraryBase = sites.libraryBase();
  sites.setLibrarySearch("GB/T 5490-2010",
                         {pageAnswer(kHtml, hengdian::testing::libraryResultPage(
                                                {{"GB/T 5490-2010 粮油检验 一般规则", "xxyx", "2011-05-01",
                                                  "1024", libraryBase + "/standard/sort/3/24416.html"}}))});
  sites.setLibrarySearch(
      "GB/T 5491-1985",
      {pageAnswer(kHtml, hengdian::testing::libraryResultPage(
                             {{"GB/T 5491-1985 粮食、油料检验 扦样、分样法", "yjfz", "1986-07-01", "388",
                               libraryBase + "/standard/sort/3/9637.html"}}))});
  sites.setLibrarySearch("GB/T 99999-2099", {pageAnswer(kHtml, hengdian::testing::libraryEmptyPage())});

  sites.setLibraryPath(
      "/standard/sort/3/24416.html",
      pageAnswer(kHtml, smallPage("GB/T 5490-2010 粮油检验 一般规则", "标准详情（本机替身）")));
  sites.setLibraryPath(
      "/standard/sort/3/9637.html",
      pageAnswer(kHtml, smallPage("GB/T 5491-1985 粮食、油料检验 扦样、分样法", "标准详情（本机替身）")));
  sites.setLibraryPath("/standard/yulan.php", pageAnswer(kHtml, smallPage("标准预览", "预览页（本机替身）")));
  sites.setDownload("24416", {redirectAnswer("/upload/standard/GB-T_5490-2010.pdf")});
  sites.setLibraryPath("/upload/standard/GB-T_5490-2010.pdf", pageAnswer("application/pdf", samplePdf()));

  sites.setPortalSearch("GB/T 5490-2010",
                        {pageAnswer(kHtml, hengdian::testing::portalResultPage(
                                               {{"现行", "GB/T 5490-2010 粮油检验 一般规则", "2010-09-26",
                                                 "2011-05-01", "/gb/detail?code=GB%2FT%205490-2010"}}))});
  sites.setPortalSearch(
      "GB/T 5491-1985",
      {pageAnswer(kHtml, hengdian::testing::portalResultPage(
                             {{"废止", "GB/T 5491-1985 粮食、油料检验 扦样、分样法", "1985-10-14",
                               "1986-07-01", "/gb/detail?code=GB%2FT%205491-1985"}}))});
  sites.setPortalSearch("GB/T 99999-2099", {pageAnswer(kHtml, hengdian::testing::portalEmptyPage())});
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty()) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
      std::cout << kHelp;
      return 0;
    }
    std::cerr << "stand-in-sites: unexpected argument \"" << arguments[0] << "\"; see --help\n";
    return 2;
  }

  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);

  StandInSites sites;
  if (sites.libraryHost().ends_with(":0") || sites.portalHost().ends_with(":0") || sites.caFile().empty()) {
    std::cerr << "stand-in-sites: the sites could not be started\n";
    return 1;
  }
  serveSamples(sites);

  std::cout << "library host: " << sites.libraryHost() << "\n"
            << "portal host: " << sites.portalHost() << "\n"
            << "CA file: " << sites.caFile() << "\n"
            << "\nTry: hengdian-cli check --library-host " << sites.libraryHost() << " --portal-host "
            << sites.portalHost() << " --ca-file " << sites.caFile() << "\n"
            << "Samples: GB/T 5490-2010, GB/T 5491-1985 (found), GB/T 99999-2099 (nothing found).\n"
            << "Serving until SIGINT (Ctrl+C) or SIGTERM." << std::endl;

  while (stopRequested == 0)
    std::this_thread::sleep_for(kPollInterval);
  std::cout << "stand-in-sites: stopped" << std::endl;
  return 0;
}
