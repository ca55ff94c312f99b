#pragma once
// Small helpers the web tests share.

#include <httplib.h>

#include <thread>

namespace hengdian::testing {

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

}  // namespace hengdian::testing
