#pragma once
// A loopback HTTP/1.1 server that keeps every byte under the test's control: it records requests
// with their header lines as they came (empty values and percent signs included) and writes answers
// with exactly the header lines given, in the order given. cpp-httplib's server binds, accepts and
// runs the worker threads; reading and writing the connection is done here, because the library's
// own request parser decodes header values and drops empty ones, and its writer sorts the answer's
// headers by name and adds a Content-Type of its own.

#include <openssl/ssl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "support/stand_in_sites.h"

namespace hengdian::testing {

/// One site: plain HTTP when `tls` is null, else HTTPS with that context. A connection serves
/// request after request (HTTP/1.1 keep-alive) until the client closes it or an answer ends it.
class RawHttpServer {
 public:
  /// Called on a worker thread for each complete request; returns the answer to send.
  using Responder = std::function<RawAnswer(RecordedRequest request)>;

  /// `tls` and `stopping` are borrowed and must outlive the server; `stopping` ends delays.
  RawHttpServer(std::string site, SSL_CTX *tls, Responder responder, const std::atomic<bool> &stopping);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer &) = delete;
  RawHttpServer &operator=(const RawHttpServer &) = delete;

  /// Binds `port` on 127.0.0.1 (a free one when 0) and serves on a thread of its own until `stop`;
  /// returns once connections are being accepted. The port, or 0 when the server could not start.
  int start(int port = 0);
  /// Stops accepting, finishes the requests in progress and joins the threads. Idempotent.
  void stop();
  /// How many connections the server has accepted so far.
  int acceptedConnections() const;

  class Listener;

 private:
  std::unique_ptr<Listener> listener_;
  std::thread thread_;
};

}  // namespace hengdian::testing
