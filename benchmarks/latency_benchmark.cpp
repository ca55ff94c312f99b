// hengdian-cli check against stand-in sites that hold every answer for a while, as distant sites
// do: the same list with one lookup at a time and with several, which must give the same output.
// The wall-clock time of each, against the ideal of lines x hold / jobs.
//
//   latency_benchmark [--lines=500] [--hold-ms=40] [--jobs=4] [--sites=library,portal]

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "support/stand_in_sites.h"
#include "support/test_helpers.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  std::size_t lines = 500;
  int holdMs = 40;
  int jobs = 4;
  std::vector<std::string> sites{"library", "portal"};
};

/// One run of the tool: its outputs and how long it took.
struct Run {
  int exitCode = -1;
  std::string out;
  std::string err;
  double seconds = 0;
};

Run runCheck(const hengdian::testing::StandInSites &sites, const std::string &site, const std::string &input,
             int jobs) {
  const std::vector<std::string> arguments{"check",
                                           "--site",
                                           site,
                                           "--library-host",
                                           sites.libraryHost(),
                                           "--portal-host",
                                           sites.portalHost(),
                                           "--ca-file",
                                           sites.caFile(),
                                           "--jobs",
                                           std::to_string(jobs)};
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  Run run;
  const Clock::time_point start = Clock::now();
  run.exitCode = hengdian::cli::runCli(arguments, in, out, err);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.out = out.str();
  run.err = err.str();
  return run;
}

std::vector<std::string> listOf(const std::string &text) {
  std::vector<std::string> items;
  std::stringstream stream(text);
  for (std::string item; std::getline(stream, item, ',');)
    items.push_back(item);
  return items;
}

}  // namespace

int main(int argc, char **argv) {
  Settings settings;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.starts_with("--lines=")) {
      settings.lines = std::stoul(argument.substr(8));
    } else if (argument.starts_with("--hold-ms=")) {
      settings.holdMs = std::stoi(argument.substr(10));
    } else if (argument.starts_with("--jobs=")) {
      settings.jobs = std::stoi(argument.substr(7));
    } else if (argument.starts_with("--sites=")) {
      settings.sites = listOf(argument.substr(8));
    } else {
      std::fprintf(stderr, "usage: latency_benchmark [--lines=N] [--hold-ms=N] [--jobs=N] [--sites=LIST]\n");
      return 2;
    }
  }

  // Every line is found on either site, after the hold.
  hengdian::testing::StandInSites sites;
  const std::chrono::milliseconds hold(settings.holdMs);
  std::string input;
  for (std::size_t i = 0; i < settings.lines; ++i) {
    const std::string code = "GB/T " + std::to_string(10000 + i) + "-2010";
    const std::string title = code + " 粮油检验 第" + std::to_string(i) + "部分";
    sites.setLibrarySearch(
        code, {hengdian::testing::delayed(
                  hengdian::testing::libraryHit(title, "/standard/" + std::to_string(i) + ".html"), hold)});
    sites.setPortalSearch(code, {hengdian::testing::delayed(
                                    hengdian::testing::portalHit(title, "/gb/" + std::to_string(i)), hold)});
    input += code + "\t粮油检验 第" + std::to_string(i) + "部分\r\n";
  }

  const double ideal = static_cast<double>(settings.lines) * settings.holdMs / 1000.0 / settings.jobs;
  std::printf("Each answer held %d ms, %zu lines; ideal for --jobs %d: %zu x %d ms / %d = %.2f s\n",
              settings.holdMs, settings.lines, settings.jobs, settings.lines, settings.holdMs, settings.jobs,
              ideal);
  std::printf("%-8s %12s %12s %9s %14s %12s\n", "site", "--jobs 1 s", "--jobs N s", "speed-up", "N s / ideal",
              "same output");
  bool met = true;
  for (const std::string &site : settings.sites) {
    const Run one = runCheck(sites, site, input, 1);
    const Run many = runCheck(sites, site, input, settings.jobs);
    const bool same = one.exitCode == 0 && many.exitCode == 0 && one.out == many.out && one.err == many.err;
    const double speedUp = one.seconds / many.seconds;
    std::printf("%-8s %12.2f %12.2f %8.2fx %14.3f %12s\n", site.c_str(), one.seconds, many.seconds, speedUp,
                many.seconds / ideal, same ? "yes" : "NO");
    met = met && same && speedUp >= 3.5 && many.seconds <= ideal * 1.1;
  }
  std::printf("Target (--jobs 4): at least 3.5x faster than --jobs 1, within 10 %% of the ideal: %s\n",
              met ? "met" : "NOT met");
  return 0;
}
