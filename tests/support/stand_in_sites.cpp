#include "support/stand_in_sites.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>

#include "support/raw_http_server.h"
#include "support/stand_in_pages.h"
#include "support/test_certificates.h"

namespace hengdian::testing {
namespace {

constexpr std::string_view kLibrarySearchPath = "/standard/search.php";
constexpr std::string_view kLibrarySearchQuery = "corpstandard=2&fields=0&kw=";
constexpr std::string_view kDownloadPath = "/standard/down.php";
constexpr std::string_view kIndexPath = "/standard/index.html";
constexpr std::string_view kPortalSearchPath = "/basicsearch";
constexpr const char *kHtml = "text/html; charset=utf-8";
constexpr int kFolderAttempts = 16;

/// Answers handed out one per request; the last one keeps being repeated.
struct AnswerList {
  std::vector<RawAnswer> answers;
  std::size_t used = 0;
};

std::optional<RawAnswer> takeAnswer(std::map<std::string, AnswerList> &lists, const std::string &key) {
  auto found = lists.find(key);
  if (found == lists.end() || found->second.answers.empty()) return std::nullopt;
  AnswerList &list = found->second;
  return list.answers[std::min(list.used++, list.answers.size() - 1)];
}

RawAnswer notFoundAnswer() {
  return RawAnswer{404, {{"Content-Type", kHtml}}, notFoundPage()};
}

/// The value of a hexadecimal digit in either case; -1 for any other character.
int hexValue(char c) {
  const std::size_t value = std::string_view("0123456789abcdef")
                                .find(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return value == std::string_view::npos ? -1 : static_cast<int>(value);
}

/// %XX becomes its byte (a "%" not followed by two hex digits stays); with `plusIsSpace`, as in
/// form bodies, "+" becomes a space.
std::string percentDecoded(std::string_view text, bool plusIsSpace) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else if (text[i] == '+' && plusIsSpace) {
      decoded += ' ';
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

/// The decoded value of the first field called `name` in "a=1&b=2" text; nullopt when absent.
std::optional<std::string> fieldValue(std::string_view pairs, std::string_view name, bool plusIsSpace) {
  while (true) {
    std::size_t end = pairs.find('&');
    std::string_view pair = pairs.substr(0, end);
    std::size_t equals = pair.find('=');
    if (percentDecoded(pair.substr(0, equals), plusIsSpace) == name) {
      return equals == std::string_view::npos ? std::string()
                                              : percentDecoded(pair.substr(equals + 1), plusIsSpace);
    }
    if (end == std::string_view::npos) return std::nullopt;
    pairs.remove_prefix(end + 1);
  }
}

bool writeFile(const std::filesystem::path &path, const std::string &content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  file.close();
  return !file.fail();
}

/// A TLS server context showing the certificate chain in `chain`, with the key in `key`; null when
/// either cannot be used.
SSL_CTX *serverContext(const std::string &chain, const std::string &key) {
  SSL_CTX *context = SSL_CTX_new(TLS_server_method());
  if (context != nullptr && SSL_CTX_use_certificate_chain_file(context, chain.c_str()) == 1 &&
      SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) == 1 &&
      SSL_CTX_check_private_key(context) == 1) {
    return context;
  }
  SSL_CTX_free(context);
  ERR_clear_error();
  return nullptr;
}

/// A new, empty folder under the system's temporary folder; empty when none could be made.
std::filesystem::path makeFreshFolder() {
  std::random_device random;
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
    std::uniform_int_distribution<unsigned long long> digits;
    std::filesystem::path folder = base / ("hengdian-stand-in-" + std::to_string(digits(random)));
    if (std::filesystem::create_directory(folder, error) && !error) return folder;
  }
  return {};
}

}  // namespace

struct StandInState {
  std::atomic<bool> stopping{false};
  std::filesystem::path folder;
  std::string caFile;
  SSL_CTX *tls = nullptr;
  SSL_CTX *wrongHostTls = nullptr;
  int libraryPort = 0;
  int portalPort = 0;
  std::once_flag wrongHostStarted;
  int wrongHostPort = 0;

  mutable std::mutex mutex;  // guards everything below
  std::map<std::string, AnswerList> librarySearch;
  std::map<std::string, AnswerList> portalSearch;
  std::map<std::string, AnswerList> downloads;
  std::map<std::string, RawAnswer> libraryPaths;
  std::vector<RecordedRequest> requests;

  std::unique_ptr<RawHttpServer> library;
  std::unique_ptr<RawHttpServer> portal;
  std::unique_ptr<RawHttpServer> wrongHost;

  /// Writes the certificates into `folder` and prepares the TLS context; false on any failure.
  bool prepareTls();
  /// The library site's answer; the caller holds `mutex`.
  RawAnswer answerLibrary(const RecordedRequest &request);
  /// The portal site's answer; the caller holds `mutex`.
  RawAnswer answerPortal(const RecordedRequest &request);
};

bool StandInState::prepareTls() {
  folder = makeFreshFolder();
  std::optional<TestCertificates> certificates = makeTestCertificates();
  if (folder.empty() || !certificates) return false;
  const auto file = [this](const char *name, const std::string &content) {
    const std::filesystem::path path = folder / name;
    return writeFile(path, content) ? path.string() : std::string();
  };
  const std::string ca = file("ca.pem", certificates->caCertificate);
  const std::string key = file("server-key.pem", certificates->serverKey);
  wrongHostTls = serverContext(file("other-host.pem", certificates->otherHostCertificate), key);
  tls = serverContext(file("server.pem", certificates->serverCertificate), key);
  if (ca.empty() || wrongHostTls == nullptr || tls == nullptr) return false;
  caFile = ca;
  return true;
}

RawAnswer StandInState::answerLibrary(const RecordedRequest &request) {
  if (request.method != "GET") return notFoundAnswer();
  if (request.path == kLibrarySearchPath) {
    if (!request.query.starts_with(kLibrarySearchQuery)) return notFoundAnswer();
    std::string kw =
        percentDecoded(std::string_view(request.query).substr(kLibrarySearchQuery.size()), false);
    return takeAnswer(librarySearch, kw).value_or(pageAnswer(kHtml, libraryEmptyPage()));
  }
  if (request.path == kDownloadPath) {
    std::optional<std::string> auth = fieldValue(request.query, "auth", false);
    if (!auth) return notFoundAnswer();
    return takeAnswer(downloads, *auth).value_or(notFoundAnswer());
  }
  auto given = libraryPaths.find(request.path);
  if (given == libraryPaths.end()) given = libraryPaths.find(percentDecoded(request.path, false));
  if (given != libraryPaths.end()) return given->second;
  if (request.path == kIndexPath) return pageAnswer(kHtml, libraryIndexPage());
  return notFoundAnswer();
}

RawAnswer StandInState::answerPortal(const RecordedRequest &request) {
  if (request.method != "POST" || request.path != kPortalSearchPath) return notFoundAnswer();
  std::optional<std::string> text = fieldValue(request.body, "text", true);
  std::optional<RawAnswer> answer = text ? takeAnswer(portalSearch, *text) : std::nullopt;
  return answer.value_or(pageAnswer(kHtml, portalEmptyPage()));
}

RawAnswer pageAnswer(const std::string &contentType, const std::string &body) {
  RawAnswer answer{200, {}, body};
  if (!contentType.empty()) answer.headers.emplace_back("Content-Type", contentType);
  return answer;
}

RawAnswer redirectAnswer(const std::string &location) {
  return RawAnswer{302, {{"Location", location}}, ""};
}

bool sameHeaderName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string RecordedRequest::header(const std::string &name) const {
  auto found = std::find_if(headers.begin(), headers.end(),
                            [&name](const auto &entry) { return sameHeaderName(entry.first, name); });
  return found == headers.end() ? std::string() : found->second;
}

bool RecordedRequest::hasHeader(const std::string &name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&name](const auto &entry) { return sameHeaderName(entry.first, name); });
}

namespace {

/// A responder that records the request and answers it with `answer`.
RawHttpServer::Responder responderOf(StandInState &state,
                                     RawAnswer (StandInState::*answer)(const RecordedRequest &)) {
  return [&state, answer](RecordedRequest request) {
    std::lock_guard lock(state.mutex);
    state.requests.push_back(std::move(request));
    return (state.*answer)(state.requests.back());
  };
}

}  // namespace

StandInSites::StandInSites(int libraryPort, int portalPort) : state_(std::make_unique<StandInState>()) {
  StandInState &state = *state_;
  state.library = std::make_unique<RawHttpServer>(
      "library", nullptr, responderOf(state, &StandInState::answerLibrary), state.stopping);
  state.libraryPort = state.library->start(libraryPort);
  if (state.libraryPort == 0) std::cerr << "stand-in sites: the library site could not start\n";

  if (!state.prepareTls()) {
    std::cerr << "stand-in sites: no certificates for the portal site\n";
    return;
  }
  state.portal = std::make_unique<RawHttpServer>(
      "portal", state.tls, responderOf(state, &StandInState::answerPortal), state.stopping);
  state.portalPort = state.portal->start(portalPort);
  if (state.portalPort == 0) std::cerr << "stand-in sites: the portal site could not start\n";
}

StandInSites::~StandInSites() {
  state_->stopping.store(true);
  for (const auto *server : {&state_->library, &state_->portal, &state_->wrongHost})
    if (*server) (*server)->stop();
  SSL_CTX_free(state_->tls);
  SSL_CTX_free(state_->wrongHostTls);
  if (!state_->folder.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(state_->folder, ignored);
  }
}

std::string StandInSites::libraryHost() const {
  return "127.0.0.1:" + std::to_string(state_->libraryPort);
}

std::string StandInSites::portalHost() const {
  return "localhost:" + std::to_string(state_->portalPort);
}

std::string StandInSites::caFile() const {
  return state_->caFile;
}

void StandInSites::setLibrarySearch(const std::string &kw, std::vector<RawAnswer> answers) {
  std::lock_guard lock(state_->mutex);
  state_->librarySearch[kw] = AnswerList{std::move(answers), 0};
}

void StandInSites::setPortalSearch(const std::string &text, std::vector<RawAnswer> answers) {
  std::lock_guard lock(state_->mutex);
  state_->portalSearch[text] = AnswerList{std::move(answers), 0};
}

void StandInSites::setDownload(const std::string &auth, std::vector<RawAnswer> answers) {
  std::lock_guard lock(state_->mutex);
  state_->downloads[auth] = AnswerList{std::move(answers), 0};
}

void StandInSites::setLibraryPath(const std::string &path, RawAnswer answer) {
  std::lock_guard lock(state_->mutex);
  state_->libraryPaths[path] = std::move(answer);
}

int StandInSites::connectionsAccepted(const std::string &site) const {
  const auto &server = site == "library"  ? state_->library
                       : site == "portal" ? state_->portal
                                          : state_->wrongHost;
  return server ? server->acceptedConnections() : 0;
}

std::string StandInSites::wrongHostBase() const {
  StandInState &state = *state_;
  // Started on first use only: most tests never need it.
  std::call_once(state.wrongHostStarted, [&state] {
    if (state.wrongHostTls == nullptr) return;
    state.wrongHost = std::make_unique<RawHttpServer>(
        "wrong host", state.wrongHostTls, responderOf(state, &StandInState::answerPortal), state.stopping);
    state.wrongHostPort = state.wrongHost->start();
  });
  return "https://localhost:" + std::to_string(state.wrongHostPort);
}

std::vector<RecordedRequest> StandInSites::requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

void StandInSites::clearRequests() {
  std::lock_guard lock(state_->mutex);
  state_->requests.clear();
}

}  // namespace hengdian::testing
