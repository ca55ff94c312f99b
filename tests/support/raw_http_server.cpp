#include "support/raw_http_server.h"

#include <httplib.h>
#include <openssl/err.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace hengdian::testing {
namespace {

constexpr std::size_t kMaxHeadBytes = 1 << 20;
constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;
constexpr std::size_t kReadChunk = std::size_t{16} * 1024;
constexpr std::size_t kWriteChunk = 1 << 20;
constexpr time_t kSocketTimeoutSeconds = 2;
constexpr auto kDelayStep = std::chrono::milliseconds(5);
constexpr auto kStartWaitStep = std::chrono::milliseconds(1);
/// How long a kept-alive connection waits for its next request.
constexpr auto kIdleLimit = std::chrono::seconds(5);
constexpr auto kIdleStep = std::chrono::milliseconds(10);
constexpr char kFiller = 'x';

std::string_view trimBlanks(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

/// Status codes with their reason phrases as status lines show them, each between line feeds.
constexpr std::string_view kStatusTexts =
    "\n100 Continue\n200 OK\n204 No Content\n206 Partial Content\n301 Moved Permanently\n302 Found\n"
    "303 See Other\n304 Not Modified\n307 Temporary Redirect\n308 Permanent Redirect\n400 Bad Request\n"
    "403 Forbidden\n404 Not Found\n405 Method Not Allowed\n500 Internal Server Error\n502 Bad Gateway\n"
    "503 Service Unavailable\n";

/// "302 Found", say; "<status> Status" for a status without a phrase here.
std::string statusText(int status) {
  const std::string code = std::to_string(status) + " ";
  const std::size_t start = kStatusTexts.find("\n" + code) + 1;
  if (start == 0) return code + "Status";
  return std::string(kStatusTexts.substr(start, kStatusTexts.find('\n', start) - start));
}

/// One accepted connection, in plain text or TLS; closes the socket when it goes.
class Connection {
 public:
  Connection(socket_t socket, SSL_CTX *tls)
      : socket_(socket), ssl_(tls != nullptr ? SSL_new(tls) : nullptr), tls_(tls != nullptr) {
    if (ssl_ != nullptr) SSL_set_fd(ssl_, static_cast<int>(socket));
  }
  ~Connection() {
    if (ssl_ != nullptr) {
      if (handshakeDone_) SSL_shutdown(ssl_);
      SSL_free(ssl_);
      ERR_clear_error();  // failed handshakes leave entries in this thread's error queue
    }
    httplib::detail::close_socket(socket_);
  }
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;

  /// Completes the TLS handshake; nothing to do for plain HTTP.
  bool open() {
    if (!tls_) return true;
    handshakeDone_ = ssl_ != nullptr && SSL_accept(ssl_) == 1;
    return handshakeDone_;
  }

  /// Appends what arrives next to `data`; false when the peer closed, failed or went silent.
  bool readMore(std::string &data) {
    char buffer[kReadChunk];
    long count = tls_ ? SSL_read(ssl_, buffer, static_cast<int>(sizeof buffer))
                      : static_cast<long>(httplib::detail::read_socket(socket_, buffer, sizeof buffer, 0));
    if (count <= 0) return false;
    data.append(buffer, static_cast<std::size_t>(count));
    return true;
  }

  /// Waits until the next request starts to arrive; false when the peer closed, the connection
  /// stayed idle too long or the sites are shutting down.
  bool waitForData(const std::atomic<bool> &stopping) {
    const auto until = std::chrono::steady_clock::now() + kIdleLimit;
    while (!stopping.load() && std::chrono::steady_clock::now() < until) {
      if (tls_ && SSL_pending(ssl_) > 0) return true;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_, &readable);
      timeval step{0, static_cast<long>(std::chrono::microseconds(kIdleStep).count())};
      const int ready = select(static_cast<int>(socket_ + 1), &readable, nullptr, nullptr, &step);
      if (ready < 0) return false;
      if (ready > 0) return true;
    }
    return false;
  }

  bool write(std::string_view data) {
    while (!data.empty()) {
      std::size_t size = std::min(data.size(), kWriteChunk);
      long count = tls_ ? SSL_write(ssl_, data.data(), static_cast<int>(size))
                        : static_cast<long>(httplib::detail::send_socket(socket_, data.data(), size, 0));
      if (count <= 0) return false;
      data.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
  }

 private:
  socket_t socket_;
  SSL *ssl_ = nullptr;
  bool tls_ = false;
  bool handshakeDone_ = false;
};

/// Fills method, path, query and headers from the request head (request line and header lines
/// without the blank line); false for a head that is not HTTP.
bool parseHead(std::string_view head, RecordedRequest &request) {
  std::size_t lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  std::size_t firstSpace = requestLine.find(' ');
  std::size_t lastSpace = requestLine.rfind(' ');
  if (firstSpace == std::string_view::npos || lastSpace == firstSpace) return false;
  request.method = std::string(requestLine.substr(0, firstSpace));
  std::string_view target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  std::size_t question = target.find('?');
  request.path = std::string(target.substr(0, question));
  if (question != std::string_view::npos) request.query = std::string(target.substr(question + 1));

  while (lineEnd != std::string_view::npos) {
    std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    std::string_view line =
        head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    request.headers.emplace(std::string(line.substr(0, colon)),
                            std::string(trimBlanks(line.substr(colon + 1))));
  }
  return true;
}

std::optional<std::size_t> contentLength(const RecordedRequest &request) {
  if (!request.hasHeader("Content-Length")) return 0;
  const std::string value = request.header("Content-Length");
  if (value.empty() || value.size() > 15 || value.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const std::size_t length = std::stoull(value);
  return length > kMaxBodyBytes ? std::nullopt : std::optional(length);
}

/// Reads one whole request; nullopt when the connection ends first or the request is malformed.
std::optional<RecordedRequest> readRequest(Connection &connection) {
  std::string data;
  std::size_t headEnd;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > kMaxHeadBytes || !connection.readMore(data)) return std::nullopt;
  }
  RecordedRequest request;
  if (!parseHead(std::string_view(data).substr(0, headEnd), request)) return std::nullopt;
  std::optional<std::size_t> length = contentLength(request);
  if (!length) return std::nullopt;

  data.erase(0, headEnd + 4);
  if (data.size() < *length && sameHeaderName(request.header("Expect"), "100-continue") &&
      !connection.write("HTTP/1.1 100 Continue\r\n\r\n")) {
    return std::nullopt;
  }
  while (data.size() < *length) {
    if (!connection.readMore(data)) return std::nullopt;
  }
  data.resize(*length);
  request.body = std::move(data);
  return request;
}

/// Whether the test gave the answer's framing or connection handling itself; such an answer, and
/// any misbehaving one, is the last on its connection.
bool endsConnection(const RawAnswer &answer) {
  if (answer.closeAtOnce || answer.trickle.count() > 0) return true;
  return std::any_of(answer.headers.begin(), answer.headers.end(), [](const auto &header) {
    return sameHeaderName(header.first, "Content-Length") ||
           sameHeaderName(header.first, "Transfer-Encoding") || sameHeaderName(header.first, "Connection");
  });
}

/// The status line and header lines as given, then the framing lines the answer leaves out.
/// "Connection: close" goes out when the answer ends the connection or the client asked for it.
std::string answerHead(const RawAnswer &answer, bool close) {
  bool hasLength = false;
  bool hasConnection = false;
  std::string head = "HTTP/1.1 " + statusText(answer.status) + "\r\n";
  for (const auto &[name, value] : answer.headers) {
    head.append(name).append(": ").append(value).append("\r\n");
    hasLength =
        hasLength || sameHeaderName(name, "Content-Length") || sameHeaderName(name, "Transfer-Encoding");
    hasConnection = hasConnection || sameHeaderName(name, "Connection");
  }
  bool mayHaveBody = answer.status >= 200 && answer.status != 204 && answer.status != 304;
  if (!hasLength && mayHaveBody) {
    head += "Content-Length: " + std::to_string(answer.body.size() + answer.fillerBytes) + "\r\n";
  }
  if (!hasConnection && close) head += "Connection: close\r\n";
  return head + "\r\n";
}

void holdAnswer(std::chrono::milliseconds delay, const std::atomic<bool> &stopping) {
  auto until = std::chrono::steady_clock::now() + delay;
  while (!stopping.load() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(kDelayStep, until - std::chrono::steady_clock::now()));
  }
}

/// Writes `data` one byte at a time, `pause` apart; false when the peer went or the sites stop.
bool trickle(Connection &connection, std::string_view data, std::chrono::milliseconds pause,
             const std::atomic<bool> &stopping) {
  for (char byte : data) {
    if (stopping.load() || !connection.write(std::string_view(&byte, 1))) return false;
    holdAnswer(pause, stopping);
  }
  return true;
}

/// Writes the answer's filler bytes in large pieces, so a huge body costs no memory here.
bool writeFiller(Connection &connection, std::size_t count) {
  const std::string piece(std::min(count, kWriteChunk), kFiller);
  while (count > 0) {
    const std::size_t size = std::min(count, piece.size());
    if (!connection.write(std::string_view(piece).substr(0, size))) return false;
    count -= size;
  }
  return true;
}

}  // namespace

/// cpp-httplib's server with the connection handling replaced; runs on its worker threads.
class RawHttpServer::Listener : public httplib::Server {
 public:
  Listener(std::string site, SSL_CTX *tls, Responder responder, const std::atomic<bool> &stopping)
      : site_(std::move(site)), tls_(tls), responder_(std::move(responder)), stopping_(stopping) {}

  std::atomic<int> accepted{0};

 private:
  bool process_and_close_socket(socket_t sock) override {
    accepted.fetch_add(1);
    Connection connection(sock, tls_);
    if (!connection.open()) return false;
    // Requests on one connection follow each other until an answer or the client ends it.
    for (bool first = true; first || connection.waitForData(stopping_); first = false) {
      std::optional<RecordedRequest> request = readRequest(connection);
      if (!request) return false;
      request->site = site_;
      const bool headOnly = request->method == "HEAD";
      const bool clientCloses = sameHeaderName(request->header("Connection"), "close");
      RawAnswer answer = responder_(std::move(*request));
      holdAnswer(answer.delay, stopping_);
      if (answer.closeAtOnce) return false;
      const bool close = clientCloses || endsConnection(answer);
      const std::string head = answerHead(answer, close);
      const std::string_view body = headOnly ? std::string_view() : std::string_view(answer.body);
      // Head and body in one write: written apart, the body would wait for the client's delayed
      // acknowledgement of the head (Nagle's algorithm), some 40 ms per answer.
      const std::string whole = head + std::string(body);
      bool written = false;
      if (answer.trickle.count() > 0) {
        written = trickle(connection, whole, answer.trickle, stopping_);
      } else if (connection.write(whole)) {
        holdAnswer(answer.holdAfterBody, stopping_);
        written = headOnly || writeFiller(connection, answer.fillerBytes);
      }
      if (!written || close) return written;
    }
    return true;
  }

  std::string site_;
  SSL_CTX *tls_;
  Responder responder_;
  const std::atomic<bool> &stopping_;
};

RawHttpServer::RawHttpServer(std::string site, SSL_CTX *tls, Responder responder,
                             const std::atomic<bool> &stopping)
    : listener_(std::make_unique<Listener>(std::move(site), tls, std::move(responder), stopping)) {
  listener_->set_read_timeout(kSocketTimeoutSeconds, 0);
  listener_->set_write_timeout(kSocketTimeoutSeconds, 0);
}

RawHttpServer::~RawHttpServer() {
  stop();
}

int RawHttpServer::start(int port) {
  port = port == 0 ? listener_->bind_to_any_port("127.0.0.1")
                   : (listener_->bind_to_port("127.0.0.1", port) ? port : 0);
  if (port <= 0) return 0;
  auto ended = std::make_shared<std::atomic<bool>>(false);
  thread_ = std::thread([this, ended] {
    listener_->listen_after_bind();
    ended->store(true);
  });
  // The socket already listens, but stop() only takes effect once the accept loop runs.
  while (!listener_->is_running() && !ended->load())
    std::this_thread::sleep_for(kStartWaitStep);
  if (!listener_->is_running()) {
    thread_.join();
    return 0;
  }
  return port;
}

int RawHttpServer::acceptedConnections() const {
  return listener_->accepted.load();
}

void RawHttpServer::stop() {
  if (!thread_.joinable()) return;
  listener_->stop();
  thread_.join();
}

}  // namespace hengdian::testing
