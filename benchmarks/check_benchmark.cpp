// A whole check as the window runs it, against local sites that answer at once, side by side with
// `hengdian-cli check` (in process) on the same list and with a plain libcurl loop that fetches the
// same pages over one connection. The window's check against the loop is the tool's own cost per
// line: decoding, parsing, the results text, the trips to the user interface thread; against the
// command line it is what the window adds. Both sites, 100 to 20000 lines, window, command line
// and loop interleaved so that a busy machine slows them alike; each is repeated and the fastest
// run counts.
//
//   check_benchmark [--lines=100,1000,5000,20000] [--repetitions=3] [Google Benchmark flags]
//   check_benchmark --peak-memory=library:5000   one check; its peak memory against its text

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_pages.h"
#include "cli/check_command.h"
#include "lookup/query_job.h"
#include "lookup/result_row.h"
#include "lookup/result_table.h"
#include "runtime/code_page.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_thread.h"
#include "support/event_loop_thread.h"
#include "support/test_certificates.h"
#include "support/wait_for_threads.h"
#include "web/http.h"

namespace {

using namespace std::chrono_literals;
using hengdian::Site;

// The pages measured in the field: a 38 KB library page (GBK) and a 43 KB portal page, 4 hits each.
constexpr std::size_t kLibraryPageBytes = 38 * 1024;
constexpr std::size_t kPortalPageBytes = 43 * 1024;
constexpr std::size_t kHitsPerPage = 4;

/// Both sites on loopback with keep-alive, each answering every search with the same page at once.
class LocalSites {
 public:
  LocalSites()
      : libraryPage_(hengdian::bench::libraryPageBytes(kLibraryPageBytes, kHitsPerPage)),
        portalPage_(hengdian::bench::portalPageBytes(kPortalPageBytes, kHitsPerPage)) {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() / ("hengdian-bench-" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    const std::optional<hengdian::testing::TestCertificates> certificates =
        hengdian::testing::makeTestCertificates();
    if (!certificates) throw std::runtime_error("no test certificates");
    caFile_ = (folder_ / "ca.pem").string();
    std::ofstream(caFile_) << certificates->caCertificate;
    std::ofstream(folder_ / "server.pem") << certificates->serverCertificate;
    std::ofstream(folder_ / "server-key.pem") << certificates->serverKey;
    portal_ = std::make_unique<httplib::SSLServer>((folder_ / "server.pem").c_str(),
                                                   (folder_ / "server-key.pem").c_str());

    library_.Get("/standard/search.php", [this](const httplib::Request &, httplib::Response &response) {
      response.set_content(libraryPage_, "text/html; charset=gbk");
    });
    portal_->Post("/basicsearch", [this](const httplib::Request &, httplib::Response &response) {
      response.set_content(portalPage_, "text/html;charset=UTF-8");
    });
    for (httplib::Server *server : {&library_, static_cast<httplib::Server *>(portal_.get())}) {
      server->set_keep_alive_max_count(1u << 30);
      server->set_tcp_nodelay(true);
    }
    libraryPort_ = library_.bind_to_any_port("127.0.0.1");
    portalPort_ = portal_->bind_to_any_port("127.0.0.1");
    libraryThread_ = std::thread([this] { library_.listen_after_bind(); });
    portalThread_ = std::thread([this] { portal_->listen_after_bind(); });
    while (!library_.is_running() || !portal_->is_running())
      std::this_thread::sleep_for(1ms);
  }

  ~LocalSites() {
    library_.stop();
    portal_->stop();
    libraryThread_.join();
    portalThread_.join();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string libraryHost() const { return "127.0.0.1:" + std::to_string(libraryPort_); }
  std::string portalHost() const { return "localhost:" + std::to_string(portalPort_); }
  const std::string &caFile() const { return caFile_; }

 private:
  std::string libraryPage_;
  std::string portalPage_;
  std::filesystem::path folder_;
  std::string caFile_;
  httplib::Server library_;
  std::unique_ptr<httplib::SSLServer> portal_;
  int libraryPort_ = 0;
  int portalPort_ = 0;
  std::thread libraryThread_;
  std::thread portalThread_;
};

LocalSites &sites() {
  static LocalSites instance;
  return instance;
}

/// The code of entered line i.
std::u16string codeOf(std::size_t i) {
  return u"GB/T " + hengdian::u16(std::to_string(10000 + i)) + u"-2010";
}

/// N entered lines, code TAB name.
std::u16string enteredText(std::size_t lines) {
  std::u16string text;
  for (std::size_t i = 0; i < lines; ++i)
    text += codeOf(i) + u"\t粮油检验 第" + hengdian::u16(std::to_string(i)) + u"部分\r\n";
  return text;
}

hengdian::QuerySettings settings() {
  hengdian::QuerySettings settings;
  settings.hosts[Site::Library] = hengdian::u16(sites().libraryHost());
  settings.hosts[Site::Portal] = hengdian::u16(sites().portalHost());
  settings.retryWait = 0ms;
  settings.http.caFile = sites().caFile();
  return settings;
}

/// What a check as the window runs it leaves behind.
struct WindowCheck {
  std::u16string resultsText;
  std::vector<hengdian::ResultRow> rows;  // one per entered line
};

/// One check as the window runs it: the query job on its worker thread, a plain event-loop thread
/// standing in for the user interface thread, and a view that does what the window's does with
/// the results editor: it keeps the text in the editor's wide characters, line by line, and puts
/// the selection back behind each change.
WindowCheck runWindowCheck(const std::u16string &input, Site site, const hengdian::QuerySettings &where) {
  WindowCheck result;
  hengdian::ResultTable table;
  hengdian::ThreadRegistry threads;
  hengdian::testing::EventLoopThread ui;
  hengdian::LookupView view;
  view.inputText = [&input] { return input; };
  view.selectedSite = [site] { return site; };
  std::wstring editor;
  std::size_t selection = 0;
  const auto keepSelection = [&](const std::u16string &text, bool append) {
    const std::size_t from = selection;
    if (!append) editor.clear();
    editor.append(text.begin(), text.end());
    selection = std::min(from, editor.size());
  };
  view.setResultsText = [&](const std::u16string &text) {
    keepSelection(text, false);
    result.resultsText = text;
  };
  view.appendResultsText = [&](const std::u16string &tail) {
    keepSelection(tail, true);
    result.resultsText += tail;
  };
  std::wstring caption;
  view.setResultsCaption = [&caption](const std::u16string &text) {
    caption.assign(text.begin(), text.end());
  };
  hengdian::QueryJob job{threads, table, view, ui.poster(), where};
  ui.runAndWait([&job] { hengdian::startCheck(job); });
  // The worker posts its last updates without waiting; once it has ended, an empty call on `ui`
  // comes after all of them.
  hengdian::testing::waitForAll(threads);
  ui.runAndWait([] {});
  result.rows = table.rows();
  result.rows.pop_back();  // the empty entry behind the lines
  return result;
}

using Clock = std::chrono::steady_clock;

const char *siteName(Site site) {
  return site == Site::Portal ? "portal" : "library";
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

/// One whole check as the window runs it; its length in seconds.
double runTool(Site site, const std::u16string &input, std::size_t lines) {
  const hengdian::QuerySettings where = settings();
  const Clock::time_point start = Clock::now();
  const WindowCheck result = runWindowCheck(input, site, where);
  const double seconds = secondsSince(start);
  if (result.rows.size() != lines || !result.rows.back().error.empty()) {
    throw std::runtime_error("the check did not get its answers");
  }
  return seconds;
}

/// The same list through `hengdian-cli check` in process, output to memory; its length in seconds.
double runCommandLine(Site site, const std::u16string &input, std::size_t lines) {
  const std::vector<std::string> arguments{"check",
                                           "--site",
                                           siteName(site),
                                           "--library-host",
                                           sites().libraryHost(),
                                           "--portal-host",
                                           sites().portalHost(),
                                           "--ca-file",
                                           sites().caFile(),
                                           "--retry-pause-ms",
                                           "0"};
  std::istringstream in(hengdian::toUtf8(input));
  std::ostringstream out;
  std::ostringstream err;
  const Clock::time_point start = Clock::now();
  const int exitCode = hengdian::cli::runCli(arguments, in, out, err, false);
  const double seconds = secondsSince(start);
  if (exitCode != 0 || std::count(out.view().begin(), out.view().end(), '\n') != static_cast<long>(lines)) {
    throw std::runtime_error("the command line did not get its answers");
  }
  return seconds;
}

std::size_t discardBody(char *, std::size_t size, std::size_t count, void *userData) {
  static_cast<std::string *>(userData)->append(size * count, '\0');
  return size * count;
}

/// The same requests through one libcurl easy handle, one connection; the length in seconds.
double runCurl(Site site, std::size_t lines) {
  CURL *curl = curl_easy_init();
  std::string body;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discardBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_CAINFO, sites().caFile().c_str());
  const std::string library =
      "http://" + sites().libraryHost() + "/standard/search.php?corpstandard=2&fields=0&kw=";
  const std::string portal = "https://" + sites().portalHost() + "/basicsearch";
  const Clock::time_point start = Clock::now();
  for (std::size_t i = 0; i < lines; ++i) {
    body.clear();
    if (site == Site::Library) {
      const std::string url = library + hengdian::toUtf8(hengdian::urlEncode(codeOf(i)));
      curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    } else {
      const std::string form = hengdian::toUtf8(hengdian::urlEncode(u"text=" + codeOf(i))) + "&search=a100";
      curl_easy_setopt(curl, CURLOPT_URL, portal.c_str());
      curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, form.c_str());
    }
    if (curl_easy_perform(curl) != CURLE_OK) throw std::runtime_error("the plain loop failed");
  }
  const double seconds = secondsSince(start);
  curl_easy_cleanup(curl);
  return seconds;
}

/// Every run's seconds by site, line count and runner ("tool" for the window's check, "cli" or
/// "curl").
std::map<std::tuple<Site, std::size_t, std::string>, std::vector<double>> &runs() {
  static std::map<std::tuple<Site, std::size_t, std::string>, std::vector<double>> all;
  return all;
}

void checkRun(benchmark::State &state, Site site, std::size_t lines, const std::string &runner) {
  const std::u16string input = enteredText(lines);
  for (auto _ : state) {
    const double seconds = runner == "tool"  ? runTool(site, input, lines)
                           : runner == "cli" ? runCommandLine(site, input, lines)
                                             : runCurl(site, lines);
    state.SetIterationTime(seconds);
    runs()[{site, lines, runner}].push_back(seconds);
    state.counters["ms_per_line"] = seconds * 1000 / static_cast<double>(lines);
  }
}

double fastest(Site site, std::size_t lines, const std::string &runner) {
  const std::vector<double> &seconds = runs()[{site, lines, runner}];
  return seconds.empty() ? NAN : *std::min_element(seconds.begin(), seconds.end());
}

/// The table that docs/performance.md quotes, with the targets of the speed work.
void printSummary(const std::vector<std::size_t> &sizes) {
  std::printf(
      "\nFastest run of each (seconds); tool = the window's check, own cost = (tool - curl) / lines\n");
  std::printf("%-8s %6s %9s %9s %9s %14s %10s %14s\n", "site", "lines", "tool s", "cli s", "curl s",
              "own ms/line", "tool/curl", "tool/cli (<2)");
  for (const Site site : {Site::Library, Site::Portal}) {
    for (const std::size_t lines : sizes) {
      const double tool = fastest(site, lines, "tool");
      const double cli = fastest(site, lines, "cli");
      const double curl = fastest(site, lines, "curl");
      std::printf("%-8s %6zu %9.3f %9.3f %9.3f %14.3f %10.2f %14.2f\n", siteName(site), lines, tool, cli,
                  curl, (tool - curl) * 1000 / static_cast<double>(lines), tool / curl, tool / cli);
    }
  }
  if (sizes.size() < 2) return;
  const std::size_t small = sizes[sizes.size() - 2];
  const std::size_t large = sizes.back();
  std::printf("\nGrowth exponent of the tool's time, %zu to %zu lines (target < 1.1):", small, large);
  for (const Site site : {Site::Library, Site::Portal}) {
    const double exponent = std::log(fastest(site, large, "tool") / fastest(site, small, "tool")) /
                            std::log(static_cast<double>(large) / static_cast<double>(small));
    std::printf(" %s %.3f", siteName(site), exponent);
  }
  std::printf("\n");
}

/// A Linux process status field in KiB ("VmRSS", "VmHWM"); 0 when unknown.
long statusKib(const std::string &field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
  }
  return 0;
}

/// One check of `lines` lines on `site`, reporting how far the process's peak memory rose above
/// what it held before, against the size of the results text in memory (UTF-16).
int peakMemory(const std::string &run) {
  const std::size_t colon = run.find(':');
  const Site site = run.substr(0, colon) == "portal" ? Site::Portal : Site::Library;
  const std::size_t lines = colon == std::string::npos ? 5000 : std::stoul(run.substr(colon + 1));
  sites();
  const std::u16string input = enteredText(lines);
  const long before = statusKib("VmRSS");
  const WindowCheck result = runWindowCheck(input, site, settings());
  const long peak = statusKib("VmHWM");
  const double textMib = static_cast<double>(result.resultsText.size() * sizeof(char16_t)) / 1048576.0;
  const double risenMib = static_cast<double>(peak - before) / 1024.0;
  std::printf(
      "peak memory, %s, %zu lines: rose %.1f MiB over %.1f MiB before; results text %.1f MiB (UTF-16); "
      "ratio %.2f (target < 3)\n",
      siteName(site), lines, risenMib, static_cast<double>(before) / 1024.0, textMib, risenMib / textMib);
  return 0;
}

std::vector<std::size_t> parseSizes(const std::string &list) {
  std::vector<std::size_t> sizes;
  std::stringstream stream(list);
  std::string item;
  while (std::getline(stream, item, ','))
    sizes.push_back(std::stoul(item));
  return sizes;
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::size_t> sizes{100, 1000, 5000, 20000};
  int repetitions = 3;
  std::vector<char *> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.starts_with("--lines=")) {
      sizes = parseSizes(argument.substr(8));
    } else if (argument.starts_with("--repetitions=")) {
      repetitions = std::stoi(argument.substr(14));
    } else if (argument.starts_with("--peak-memory=")) {
      return peakMemory(argument.substr(14));
    } else {
      rest.push_back(argv[i]);
    }
  }

  for (const Site site : {Site::Library, Site::Portal}) {
    for (const std::size_t lines : sizes) {
      for (int repetition = 0; repetition < repetitions; ++repetition) {
        for (const std::string runner : {"tool", "cli", "curl"}) {
          const std::string name =
              std::string("check/") + siteName(site) + "/" + runner + "/" + std::to_string(lines);
          benchmark::RegisterBenchmark(name.c_str(), checkRun, site, lines, runner)
              ->Iterations(1)
              ->UseManualTime()
              ->Unit(benchmark::kMillisecond);
        }
      }
    }
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printSummary(sizes);
  return 0;
}
