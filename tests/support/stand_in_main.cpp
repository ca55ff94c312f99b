// stand-in-sites: both stand-in sites with a few sample standards, for trying hengdian offline.

#include <chrono>
#include <csignal>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "support/stand_in_samples.h"
#include "support/stand_in_sites.h"

namespace {

using hengdian::testing::serveSamples;
using hengdian::testing::StandInSites;

constexpr auto kPollInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) {
  stopRequested = 1;
}

/// The port a text names, 1 to 65535, or 0 for anything else.
int portNumber(const std::string &text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  int port = std::stoi(text);
  return port <= 65535 ? port : 0;
}

constexpr const char *kHelp = R"(Usage: stand-in-sites [--library-port N] [--portal-port N] [--help]

Serves stand-ins for hengdian's two sites on this machine, so the tool can be tried offline:
the library site over plain HTTP on 127.0.0.1 and the portal site over HTTPS on localhost, with
a test CA made at start-up. Both listen on ports the system chooses unless a port is given (for a
hengdian built with the hosts 127.0.0.1:N and localhost:N). The program prints the library host,
the portal host and the CA file, then serves until it receives SIGINT (Ctrl+C) or SIGTERM; the CA
file is removed when it ends.

Samples: GB/T 5490-2010 and GB/T 5491-1985 are found on both sites, GB/T 99999-2099 finds
nothing, and the library sample GB/T 5490-2010 can be downloaded as a small PDF. A search for
GB/T 5491 (what check --current sends for GB/T 5491-1985) lists both its versions.
)";

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  int libraryPort = 0;
  int portalPort = 0;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--help" || arguments[i] == "-h") {
      std::cout << kHelp;
      return 0;
    }
    int *port = arguments[i] == "--library-port"  ? &libraryPort
                : arguments[i] == "--portal-port" ? &portalPort
                                                  : nullptr;
    if (port != nullptr && i + 1 < arguments.size()) {
      *port = portNumber(arguments[++i]);
      if (*port != 0) continue;
    }
    std::cerr << "stand-in-sites: unexpected argument \"" << arguments[i] << "\"; see --help\n";
    return 2;
  }

  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);

  StandInSites sites(libraryPort, portalPort);
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
