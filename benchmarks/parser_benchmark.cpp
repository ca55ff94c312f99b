// How the result-page parsers scale with the number of hits on a page. The time per hit should
// stay flat as pages grow; a parser that rescans the page for every hit shows up as a time per
// hit that grows with the page.

#include <benchmark/benchmark.h>

#include <string>

#include "lookup/result_parser.h"

namespace {

using hengdian::LibrarySite;
using hengdian::PortalSite;

std::u16string libraryPage(int hits) {
  std::u16string page = u"<html><head><title>标准搜索</title></head><body><div class=\"list\">";
  for (int i = 0; i < hits; ++i) {
    const std::u16string number =
        std::u16string(u"GB/T ") + static_cast<char16_t>(u'0' + i % 10) + u"490-2010";
    page += u"<li><span class=\"bzmc\"><A title=\"" + number + u" 粮油检验 一般规则\" href=\"/standard/" +
            static_cast<char16_t>(u'0' + i % 10) + u".html\" target=\"_blank\">" + number +
            u"</A></span><img src=\"skin/default/images/xxyx.gif\"><span class=\"bzrq\">2011-05-01</span>"
            u"<span class=\"bzck\">1024</span><div class=\"clear\"></div></li>\n";
  }
  return page + u"</div></body></html>";
}

std::u16string portalPage(int hits) {
  std::u16string page = u"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<html><body>";
  for (int i = 0; i < hits; ++i) {
    page +=
        u"<div class=\"search-list\"><span style=\"color:green\">\n\t\t现行\n\t</span>"
        u"<span alt=\"GB/T 5490-2010 粮油检验 一般规则\">GB/T 5490-2010</span>"
        u"<span class=\"l\">发布日期：<em>2010-09-26</em></span><span "
        u"class=\"l\">实施日期：<em>2011-05-01</em>"
        u"</span><a class=\"flexible\" href=\"/gb/detail?id=1\">详细</a></div>\n";
  }
  return page + u"</body></html>";
}

void parseLibrary(benchmark::State &state) {
  const std::u16string page = libraryPage(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(
        hengdian::parseResultPage(LibrarySite, page, u"GB/T 5490-2010", u"粮油检验 一般规则", u""));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void parsePortal(benchmark::State &state) {
  const std::u16string page = portalPage(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(hengdian::parseResultPage(PortalSite, page, u"GB/T 5490-2010",
                                                       u"粮油检验 一般规则", u"https://www.spc.org.cn"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(parseLibrary)->RangeMultiplier(10)->Range(10, 10000);
BENCHMARK(parsePortal)->RangeMultiplier(10)->Range(10, 10000);

}  // namespace

BENCHMARK_MAIN();
