// The sample standards the stand-in sites serve when they are tried by hand, shown in the
// screenshots and used by the window's demo.

#include "support/stand_in_samples.h"

#include "runtime/code_page.h"
#include "support/stand_in_pages.h"

namespace hengdian::testing {

namespace {

constexpr const char *kHtml = "text/html; charset=utf-8";

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

}  // namespace

void serveSamples(StandInSites &sites) {
  using Hits = std::vector<std::vector<std::string>>;
  const auto library = [](const Hits &hits) {
    return std::vector{pageAnswer(kHtml, libraryResultPage(hits))};
  };
  const auto portal = [](const Hits &hits) { return std::vector{pageAnswer(kHtml, portalResultPage(hits))}; };
  const auto detail = [](const std::string &title) {
    return pageAnswer(kHtml, smallPage(title, "标准详情（本机替身）"));
  };
  const std::string title5490 = "GB/T 5490-2010 粮油检验 一般规则";
  const std::string title5491 = "GB/T 5491-1985 粮食、油料检验 扦样、分样法";
  const std::string libraryBase = sites.libraryBase();
  const std::vector<std::string> library5491{title5491, "yjfz", "1986-07-01", "388",
                                             libraryBase + "/standard/sort/3/9637.html"};
  const std::vector<std::string> portal5491{"废止", title5491, "1985-10-14", "1986-07-01",
                                            "/gb/detail?code=GB%2FT%205491-1985"};
  sites.setLibrarySearch(
      "GB/T 5490-2010",
      library({{title5490, "xxyx", "2011-05-01", "1024", libraryBase + "/standard/sort/3/24416.html"}}));
  sites.setLibrarySearch("GB/T 5491-1985", library({library5491}));
  sites.setLibrarySearch("GB/T 99999-2099", {pageAnswer(kHtml, libraryEmptyPage())});
  // The search for the stem of GB/T 5491-1985, as `check --current` makes it: every version.
  sites.setLibrarySearch("GB/T 5491",
                         library({library5491,
                                  {"GB/T 5491-2020 粮食、油料检验 扦样、分样法", "xxyx", "2021-05-01", "512",
                                   libraryBase + "/standard/sort/3/81230.html"}}));

  sites.setLibraryPath("/standard/sort/3/24416.html", detail(title5490));
  sites.setLibraryPath("/standard/sort/3/9637.html", detail(title5491));
  sites.setLibraryPath("/standard/yulan.php", pageAnswer(kHtml, smallPage("标准预览", "预览页（本机替身）")));
  sites.setDownload("24416", {redirectAnswer("/upload/standard/GB-T_5490-2010.pdf")});
  sites.setLibraryPath("/upload/standard/GB-T_5490-2010.pdf", pageAnswer("application/pdf", samplePdf()));

  sites.setPortalSearch(
      "GB/T 5490-2010",
      portal({{"现行", title5490, "2010-09-26", "2011-05-01", "/gb/detail?code=GB%2FT%205490-2010"}}));
  sites.setPortalSearch("GB/T 5491-1985", portal({portal5491}));
  sites.setPortalSearch("GB/T 99999-2099", {pageAnswer(kHtml, portalEmptyPage())});

  // GB 2760-2014 in the forms the real sites are reported to use today: the library page in GBK
  // under headers that name no charset, its link absolute over https; the portal's link an
  // /online/ page named by 32 hex digits.
  const std::string title2760 = "GB 2760-2014 食品安全国家标准 食品添加剂使用标准";
  sites.setLibrarySearch(
      "GB 2760-2014",
      {pageAnswer("text/html", toSystemCodePage(fromUtf8(libraryResultPage(
                                   {{title2760, "xxyx", "2015-05-24", "2048",
                                     "https://" + sites.libraryHost() + "/standard/sort/3/42368.html"}}))))});
  sites.setPortalSearch("GB 2760-2014", portal({{"现行", title2760, "2014-12-24", "2015-05-24",
                                                 "/online/0c3a7f1e9b2d4c6a8e5f7b9d1a3c5e7f.html"}}));
  sites.setPortalSearch(
      "GB/T 5491", portal({{"现行", "GB/T 5491-2020 粮食、油料检验 扦样、分样法", "2020-11-19", "2021-05-01",
                            "/gb/detail?code=GB%2FT%205491-2020"},
                           portal5491}));
}

}  // namespace hengdian::testing
