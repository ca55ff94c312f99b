// How the result-page parsers and the GBK decoding scale with the page: pages of 10 KB to 10 MB
// with one hit per 10 KB. Linear code keeps the same MB/s at every size; a parser that rescans
// the page for every hit loses speed as pages grow.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_pages.h"
#include "lookup/site.h"
#include "runtime/code_page.h"

namespace {

using hengdian::Site;

constexpr std::size_t kBytesPerHit = 10 * 1024;

std::size_t pageBytes(const benchmark::State &state) {
  return static_cast<std::size_t>(state.range(0)) * 1024;
}

void parseLibrary(benchmark::State &state) {
  const std::size_t bytes = pageBytes(state);
  const std::u16string page = hengdian::bench::libraryPage(bytes, bytes / kBytesPerHit);
  const auto encoded = static_cast<std::int64_t>(hengdian::toSystemCodePage(page).size());
  for (auto _ : state)
    benchmark::DoNotOptimize(
        hengdian::parseResultPage(Site::Library, page, u"GB/T 5490-2010", u"粮油检验 一般规则", u""));
  state.SetBytesProcessed(state.iterations() * encoded);
}

void parsePortal(benchmark::State &state) {
  const std::size_t bytes = pageBytes(state);
  const std::u16string page = hengdian::bench::portalPage(bytes, bytes / kBytesPerHit);
  const auto encoded = static_cast<std::int64_t>(hengdian::toUtf8(page).size());
  for (auto _ : state)
    benchmark::DoNotOptimize(hengdian::parseResultPage(Site::Portal, page, u"GB/T 5490-2010",
                                                       u"粮油检验 一般规则", u"www.spc.org.cn"));
  state.SetBytesProcessed(state.iterations() * encoded);
}

// What every library page goes through before the parser sees it.
void decodeGbk(benchmark::State &state) {
  const std::size_t bytes = pageBytes(state);
  const std::string page = hengdian::bench::libraryPageBytes(bytes, bytes / kBytesPerHit);
  for (auto _ : state)
    benchmark::DoNotOptimize(hengdian::decodeText(page, hengdian::TextDecoding::SystemCodePage));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}

// Page sizes in KB: 10 KB, 100 KB, 1 MB, 10 MB.
BENCHMARK(parseLibrary)->Arg(10)->Arg(100)->Arg(1024)->Arg(10240)->Unit(benchmark::kMicrosecond);
BENCHMARK(parsePortal)->Arg(10)->Arg(100)->Arg(1024)->Arg(10240)->Unit(benchmark::kMicrosecond);
BENCHMARK(decodeGbk)->Arg(10)->Arg(100)->Arg(1024)->Arg(10240)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
