#pragma once
// Helpers the test programs share: table-driven checks, the stand-in sites as a fixture, canned
// result pages, temporary folders and whole-file reads and writes.

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "runtime/code_page.h"
#include "support/stand_in_sites.h"
#include "web/http.h"

namespace hengdian::testing {

namespace detail {
template <typename Row, typename Function, std::size_t... Arguments>
void expectRow(const Row &row, Function &function, std::index_sequence<Arguments...>) {
  const auto actual = function(std::get<Arguments>(row)...);
  const auto &expected = std::get<sizeof...(Arguments)>(row);
  EXPECT_EQ(actual, expected);
}
}  // namespace detail

/// For every row {arguments..., expected} of a table: `function(arguments...)` equals `expected`.
/// A failure names the row it came from.
template <typename Row, typename Function>
void expectEach(Function function, const std::vector<Row> &rows) {
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row));
    detail::expectRow(row, function, std::make_index_sequence<std::tuple_size_v<Row> - 1>());
  }
}

/// A port on 127.0.0.1 that nothing listens on: a server is started on it and shut down again.
inline int closedLocalPort() {
  httplib::Server server;
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread listener([&server] { server.listen_after_bind(); });
  while (!server.is_running())
    std::this_thread::yield();
  server.stop();
  listener.join();
  return port;
}

/// "http://127.0.0.1:PORT" for a port nothing listens on.
inline std::string unreachableBase() {
  return "http://127.0.0.1:" + std::to_string(closedLocalPort());
}

/// A 200 answer announcing UTF-8 HTML.
inline RawAnswer utf8Page(const std::string &body) {
  return pageAnswer("text/html; charset=utf-8", body);
}

/// A library result page with one current ("xxyx") hit.
inline RawAnswer libraryHit(const std::string &title, const std::string &href) {
  return utf8Page(libraryResultPage({{title, "xxyx", "2010-01-01", "2011-01-01", href}}));
}

/// A portal result page with one current ("现行") hit.
inline RawAnswer portalHit(const std::string &title, const std::string &href,
                           const std::string &published = "2010-01-01",
                           const std::string &effective = "2011-01-01") {
  return utf8Page(portalResultPage({{"现行", title, published, effective, href}}));
}

/// `answer`, held back for `delay` before it goes out.
inline RawAnswer delayed(RawAnswer answer, std::chrono::milliseconds delay) {
  answer.delay = delay;
  return answer;
}

/// Every request's `field`, in order of arrival.
template <typename Field>
std::vector<Field> requestFields(const StandInSites &sites, Field RecordedRequest::*field) {
  std::vector<Field> values;
  for (const RecordedRequest &request : sites.requests())
    values.push_back(request.*field);
  return values;
}

/// Both stand-in sites, and request settings that trust their test CA.
class SitesTest : public ::testing::Test {
 protected:
  SitesTest() { http.caFile = sites.caFile(); }

  /// The library site's URL for a path and query.
  std::u16string libraryUrl(const std::string &path) const { return u16(sites.libraryBase() + path); }
  /// The portal site's URL for a path and query.
  std::u16string portalUrl(const std::string &path) const { return u16(sites.portalBase() + path); }

  StandInSites sites;
  HttpSettings http;
};

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::string &prefix) {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder &) = delete;
  TempFolder &operator=(const TempFolder &) = delete;

  const std::filesystem::path &path() const { return path_; }

 private:
  std::filesystem::path path_;
};

/// The bytes of a file; "" when it cannot be read.
inline std::string readFileBytes(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

/// Writes `bytes` as the whole file.
inline void writeFileBytes(const std::filesystem::path &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace hengdian::testing
