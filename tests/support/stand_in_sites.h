#pragma once
// Loopback stand-ins for the two sites: the library site over plain HTTP on 127.0.0.1 and the
// portal site over HTTPS on localhost, with a test CA and a leaf certificate made at start-up.
// Every answer is header lines plus body bytes exactly as a test gives them, and every request is
// recorded so a test can assert what went out.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hengdian::testing {

/// One answer: status, header lines as given (no Content-Type is added when none is given), body.
struct RawAnswer {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  /// Held this long before answering (ends early when the sites shut down).
  std::chrono::milliseconds delay{0};
  /// Misbehaving sites. Head and body go out one byte at a time, this far apart, when not zero.
  std::chrono::milliseconds trickle{0};
  /// This many filler bytes follow the body, written as they go, and count in its length.
  std::size_t fillerBytes = 0;
  /// Held this long after the body, before the filler bytes (ends early when the sites shut down).
  std::chrono::milliseconds holdAfterBody{0};
  /// The connection closes as soon as the request has been read, without an answer.
  bool closeAtOnce = false;
};

/// A 200 answer with "Content-Type: <contentType>" (none when empty) and `body`.
RawAnswer pageAnswer(const std::string &contentType, const std::string &body);

/// A 302 answer with "Location: <location>".
RawAnswer redirectAnswer(const std::string &location);

/// One request as the stand-in received it.
struct RecordedRequest {
  std::string site;                                 // "library" or "portal"
  std::string method;                               // "GET", "POST"
  std::string path;                                 // without the query
  std::string query;                                // raw query text after "?", as sent
  std::multimap<std::string, std::string> headers;  // names as sent
  std::string body;                                 // raw body bytes

  /// The first value of a header, compared without regard to case of the name; "" when absent.
  std::string header(const std::string &name) const;
  /// Whether the request carried the header at all.
  bool hasHeader(const std::string &name) const;
};

/// Whether two header names (or values) are the same, letters compared without regard to case.
bool sameHeaderName(std::string_view a, std::string_view b);

struct StandInState;

/// Both stand-in sites, serving from construction to destruction.
class StandInSites {
 public:
  /// Ports the system chooses, unless a port is given (a program built with fixed hosts).
  explicit StandInSites(int libraryPort = 0, int portalPort = 0);
  ~StandInSites();
  StandInSites(const StandInSites &) = delete;
  StandInSites &operator=(const StandInSites &) = delete;

  /// "127.0.0.1:PORT", the library site's host for http://.
  std::string libraryHost() const;
  /// "localhost:PORT", the portal site's host for https://.
  std::string portalHost() const;
  /// "http://127.0.0.1:PORT".
  std::string libraryBase() const { return "http://" + libraryHost(); }
  /// "https://localhost:PORT".
  std::string portalBase() const { return "https://" + portalHost(); }
  /// The test CA's certificate (PEM), to trust for the portal site.
  std::string caFile() const;

  /// Answers to GET /standard/search.php?corpstandard=2&fields=0&kw=<kw> for the decoded kw
  /// (UTF-8), one per request in order; the last one repeats. Unknown kw: a page without hits.
  void setLibrarySearch(const std::string &kw, std::vector<RawAnswer> answers);
  /// Answers to POST /basicsearch for the decoded form field text (UTF-8), as above.
  void setPortalSearch(const std::string &text, std::vector<RawAnswer> answers);
  /// Answers to GET /standard/down.php?auth=<auth>, as above. Unknown auth: 404.
  void setDownload(const std::string &auth, std::vector<RawAnswer> answers);
  /// The answer to a GET of any other path on the library site (a redirect target, say).
  void setLibraryPath(const std::string &path, RawAnswer answer);

  /// How many connections the site ("library", "portal" or "wrong host") has accepted so far.
  int connectionsAccepted(const std::string &site) const;

  /// "https://localhost:PORT" of a third site that answers as the portal site does but shows a
  /// certificate, from the same test CA, for another host name.
  std::string wrongHostBase() const;

  /// Every request received so far, in order of arrival.
  std::vector<RecordedRequest> requests() const;
  void clearRequests();

 private:
  std::unique_ptr<StandInState> state_;
};

/// A library-site result page (after decoding, UTF-8) with one hit per entry of `hits`: each hit
/// is {title, image code, bzrq text, bzck text, href}. Wrapped in unrelated markup.
std::string libraryResultPage(const std::vector<std::vector<std::string>> &hits);

/// A portal-site result page (UTF-8) with one hit per entry: {status, title, 发布日期 text,
/// 实施日期 text, href}.
std::string portalResultPage(const std::vector<std::vector<std::string>> &hits);

}  // namespace hengdian::testing
