#include "web/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "runtime/text.h"
#include "web/response_headers.h"

namespace hengdian {

namespace {

/// Both receiving buffers start this large and grow by the missing size plus this much again.
constexpr std::size_t kBufferStep = 524288;
constexpr long kConnectTimeoutMs = 30000;
/// The limit newer libcurl versions apply by themselves; without it a redirect loop never ends.
constexpr long kMaxRedirects = 30;

std::once_flag curlInitialised;

// The share every request's handle joins: the DNS cache and the TLS sessions, so a new thread
// (a new check) resumes the sessions of the previous one instead of a full handshake. Connections
// stay with each thread's own handle; libcurl does not support sharing them between threads that
// run at the same time. Made once and never freed, so a thread ending late still finds it.
std::array<std::mutex, CURL_LOCK_DATA_LAST> *shareLocks = nullptr;
CURLSH *share = nullptr;

void lockShare(CURL *, curl_lock_data data, curl_lock_access, void *) {
  (*shareLocks)[static_cast<std::size_t>(data)].lock();
}

void unlockShare(CURL *, curl_lock_data data, void *) {
  (*shareLocks)[static_cast<std::size_t>(data)].unlock();
}

void initialiseCurlOnce() {
  std::call_once(curlInitialised, [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURLSH *made = curl_share_init();
    if (made == nullptr) return;
    shareLocks = new std::array<std::mutex, CURL_LOCK_DATA_LAST>();
    if (curl_share_setopt(made, CURLSHOPT_LOCKFUNC, lockShare) != CURLSHE_OK ||
        curl_share_setopt(made, CURLSHOPT_UNLOCKFUNC, unlockShare) != CURLSHE_OK ||
        curl_share_setopt(made, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK ||
        curl_share_setopt(made, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) != CURLSHE_OK) {
      curl_share_cleanup(made);
      return;
    }
    share = made;
  });
}

/// What a thread keeps between its requests. curl_easy_reset between requests clears the easy
/// handle's options but keeps the open connections and the loaded CA store (libcurl caches it for
/// a day and loads it again when the CA file changes), so a run of requests to one site costs one
/// connection and one TLS handshake. The two receiving buffers of the last finished request are
/// kept too, empty but with their capacity, so that each request does not allocate a megabyte
/// afresh, which the allocator would hand back to the system after every page and fault in again.
struct ThreadKept {
  CURL *curl = nullptr;
  std::string body;
  std::string headers;
};

/// The calling thread's kept state, and whether its handle is in use.
struct ThreadHandle {
  ThreadKept *kept = nullptr;
  bool busy = false;
};

thread_local ThreadHandle threadHandle;

// The kept state by thread, for the clean-up when a thread ends. With the MinGW runtime a
// thread_local's own storage may already be freed when its destructor runs, so the clean-up
// reads nothing of its own and finds the state by thread id here. Never freed, like the share.
std::mutex *threadHandlesMutex = new std::mutex();
std::map<std::thread::id, ThreadKept *> *threadHandles = new std::map<std::thread::id, ThreadKept *>();

/// Frees the ending thread's handle and buffers. Touched once on a thread when that thread's
/// handle is made.
struct ThreadHandleCleanup {
  bool armed = false;
  ~ThreadHandleCleanup() {
    ThreadKept *kept = nullptr;
    {
      std::lock_guard lock(*threadHandlesMutex);
      const auto found = threadHandles->find(std::this_thread::get_id());
      if (found == threadHandles->end()) return;
      kept = found->second;
      threadHandles->erase(found);
    }
    curl_easy_cleanup(kept->curl);
    delete kept;
  }
};

thread_local ThreadHandleCleanup threadHandleCleanup;

CURL *newEasyHandle() {
  CURL *curl = curl_easy_init();
  if (curl != nullptr && share != nullptr && curl_easy_setopt(curl, CURLOPT_SHARE, share) != CURLE_OK) {
    curl_easy_cleanup(curl);
    return nullptr;
  }
  return curl;
}

/// The handle one request uses: the thread's own (reset after each use), or a fresh one when the
/// thread's is already busy (a request made from inside another request's progress callback).
class HandleLease {
 public:
  HandleLease() {
    if (threadHandle.busy) {
      curl_ = newEasyHandle();
      owned_ = true;
      return;
    }
    if (threadHandle.kept == nullptr) {
      CURL *curl = newEasyHandle();
      if (curl != nullptr) {
        threadHandle.kept = new ThreadKept{curl, {}, {}};
        threadHandleCleanup.armed = true;
        std::lock_guard lock(*threadHandlesMutex);
        (*threadHandles)[std::this_thread::get_id()] = threadHandle.kept;
      }
    }
    curl_ = threadHandle.kept == nullptr ? nullptr : threadHandle.kept->curl;
    threadHandle.busy = curl_ != nullptr;
  }
  ~HandleLease() {
    if (curl_ == nullptr) return;
    if (owned_) {
      curl_easy_cleanup(curl_);
    } else {
      // Back to the defaults for the next request, and no pointers left into this call's buffers.
      curl_easy_reset(curl_);
      threadHandle.busy = false;
    }
  }
  HandleLease(const HandleLease &) = delete;
  HandleLease &operator=(const HandleLease &) = delete;

  CURL *get() const { return curl_; }

 private:
  CURL *curl_ = nullptr;
  bool owned_ = false;
};

/// Gives `buffer` the thread's kept buffer of that kind (kept empty) when one is kept.
void takeKeptBuffer(std::string &buffer, std::string ThreadKept::*kind) {
  if (threadHandle.kept == nullptr) return;
  std::string &kept = threadHandle.kept->*kind;
  if (kept.capacity() < kBufferStep) return;
  buffer.swap(kept);
}

/// Keeps `buffer` for the thread's next request when it still has the capacity a request starts
/// with and no more (a buffer grown for a large page goes back to the system), unless one is kept
/// already.
void keepBuffer(std::string &buffer, std::string ThreadKept::*kind) {
  if (threadHandle.kept == nullptr) return;
  std::string &kept = threadHandle.kept->*kind;
  if (kept.capacity() >= kBufferStep || buffer.capacity() < kBufferStep ||
      buffer.capacity() > 2 * kBufferStep) {
    return;
  }
  kept.swap(buffer);
  kept.clear();
}

struct HeaderListDeleter {
  void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

/// What the libcurl callbacks of one transfer work on.
struct Transfer {
  HttpRequest *request;
  const StopFlag *stop;
  const HttpTransferHooks *hooks;
  CURL *curl;
  std::optional<std::string> error;  // why a callback ended the transfer, when it did
  std::string *recorded;             // the final response's body as received, when it is kept
  bool busyRetryFollows;             // a busy answer will be asked again: its body is nobody's
};

/// Appends a received chunk, growing the buffer by the missing size plus one step when it is
/// full. Returns false when the buffer cannot grow.
bool appendChunk(std::string &buffer, const char *data, std::size_t size) {
  try {
    if (buffer.size() + size > buffer.capacity()) buffer.reserve(buffer.capacity() + size + kBufferStep);
    buffer.append(data, size);
    return true;
  } catch (...) {
    return false;
  }
}

bool isBusyStatus(long status) {
  return status == 503 || status == 429;
}

/// Keeps a copy of a received chunk for the exchange sink, up to the page limit.
void recordChunk(Transfer &transfer, const char *data, std::size_t size) {
  if (transfer.recorded == nullptr || transfer.recorded->size() + size > kMaxPageBytes) return;
  appendChunk(*transfer.recorded, data, size);
}

std::string overLimitText(const char *what) {
  return std::string(what) + " larger than " + std::to_string(kMaxPageBytes) + " bytes";
}

/// Refuses a chunk that would take `buffer` past the page limit, naming the reason.
bool withinLimit(Transfer &transfer, const std::string &buffer, std::size_t size, const char *what) {
  if (buffer.size() + size <= kMaxPageBytes) return true;
  transfer.error = overLimitText(what);
  return false;
}

// Transfer thread (the caller's). Returning anything but the chunk size ends the transfer with a
// write error.
size_t collectBody(char *data, size_t size, size_t count, void *userData) {
  auto *transfer = static_cast<Transfer *>(userData);
  const std::size_t bytes = size * count;
  HttpRequest &request = *transfer->request;
  recordChunk(*transfer, data, bytes);
  long status = 0;
  curl_easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
  const bool busyAndAskedAgain = transfer->busyRetryFollows && isBusyStatus(status);
  if (transfer->hooks != nullptr && transfer->hooks->takeBody && !busyAndAskedAgain) {
    request.statusCode = static_cast<std::int32_t>(status);
    try {
      return transfer->hooks->takeBody(request, std::string_view(data, bytes)) ? bytes : 0;
    } catch (...) {
      return 0;
    }
  }
  if (!withinLimit(*transfer, request.body, bytes, "response body")) return 0;
  return appendChunk(request.body, data, bytes) ? bytes : 0;
}

size_t collectHeader(char *data, size_t size, size_t count, void *userData) {
  auto *transfer = static_cast<Transfer *>(userData);
  const std::size_t bytes = size * count;
  // Each response of a redirect chain starts with its status line, so whatever body arrived before
  // it belonged to an earlier response. libcurl skips the bodies of redirects it follows; this
  // keeps the body the final response's even if a redirect's body slips through.
  if (bytes >= 5 && std::string_view(data, 5) == "HTTP/") {
    transfer->request->body.clear();
    if (transfer->recorded != nullptr) transfer->recorded->clear();
  }
  if (!withinLimit(*transfer, transfer->request->headers, bytes, "response headers")) return 0;
  return appendChunk(transfer->request->headers, data, bytes) ? bytes : 0;
}

// libcurl calls this often during a transfer and about once a second while nothing arrives, so a
// raised stop flag ends a waiting request within a second.
int onProgress(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto *transfer = static_cast<Transfer *>(userData);
  if (transfer->stop != nullptr && transfer->stop->stopRequested()) return 1;
  if (transfer->hooks != nullptr && transfer->hooks->onProgress) {
    try {
      transfer->hooks->onProgress();
    } catch (...) {
      transfer->error = "the progress handler failed";
      return 1;
    }
  }
  return 0;
}

/// A transfer that did not finish keeps no body: only a finished one is ever handed out.
void fail(HttpRequest &request, std::optional<std::u16string> errorText) {
  request.state = HttpState::Failed;
  request.statusCode = 0;
  request.errorText = std::move(errorText);
  std::string().swap(request.body);
}

void perform(HttpRequest &request, const HttpHeaders *headers, const HttpSettings &settings,
             const StopFlag *stop, const HttpTransferHooks *hooks, std::string *recorded,
             bool busyRetryFollows) {
  const std::string url = toSystemCodePage(request.url);
  const std::string userAgent = toSystemCodePage(settings.userAgent);

  // Everything libcurl keeps a pointer to is declared before the lease, so it outlives the
  // handle's use; the lease resets the handle when it goes.
  Transfer transfer{&request, stop, hooks, nullptr, std::nullopt, recorded, busyRetryFollows};
  std::array<char, CURL_ERROR_SIZE> errorBuffer{};
  HeaderList headerList;

  initialiseCurlOnce();
  HandleLease lease;
  CURL *curl = lease.get();
  if (curl == nullptr) return fail(request, std::nullopt);
  transfer.curl = curl;

  try {
    takeKeptBuffer(request.body, &ThreadKept::body);
    takeKeptBuffer(request.headers, &ThreadKept::headers);
    request.body.reserve(kBufferStep);
    request.headers.reserve(kBufferStep);
  } catch (...) {
    return fail(request, std::nullopt);
  }

  const HttpHeaders noHeaders;
  for (const auto &[name, value] : headers != nullptr ? *headers : noHeaders) {
    // libcurl drops a header given as "Name:" with nothing after it; "Name;" sends it empty.
    const std::string line = value.empty() ? toUtf8(name) + ";" : toUtf8(name) + ": " + toUtf8(value);
    curl_slist *appended = curl_slist_append(headerList.get(), line.c_str());
    if (appended == nullptr) return fail(request, std::nullopt);
    headerList.release();
    headerList.reset(appended);
  }

  // Options are set one after the other and the first that libcurl refused (a URL over its length
  // limit, say) is remembered, so the request fails instead of going out half set up.
  CURLcode refused = CURLE_OK;
  const auto set = [&](CURLoption option, auto value) {
    if (refused == CURLE_OK) refused = curl_easy_setopt(curl, option, value);
  };
  set(CURLOPT_FOLLOWLOCATION, 1L);
  // A POST goes out by CURLOPT_POST alone, without a custom method, so that a 301, 302 or 303
  // answer is followed with a GET, as browsers do; 307 and 308 repeat the POST with its body.
  // A POST without body data would make libcurl read the body from standard input; an empty
  // POST therefore sends an explicit empty body.
  if (request.method == HttpMethod::Post) {
    set(CURLOPT_POST, 1L);
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.requestBody.size()));
    set(CURLOPT_POSTFIELDS, request.requestBody.data());
  }
  if (headers != nullptr) set(CURLOPT_HTTPHEADER, headerList.get());
  set(CURLOPT_URL, url.c_str());
  set(CURLOPT_USERAGENT, userAgent.c_str());
  set(CURLOPT_WRITEFUNCTION, collectBody);
  set(CURLOPT_WRITEDATA, &transfer);
  set(CURLOPT_HEADERFUNCTION, collectHeader);
  set(CURLOPT_HEADERDATA, &transfer);
  set(CURLOPT_ERRORBUFFER, errorBuffer.data());
  set(CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  set(CURLOPT_TIMEOUT_MS, static_cast<long>(settings.totalTime.count()));
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_MAXREDIRS, kMaxRedirects);
  // Only the web: a redirect to ftp:// or file:// is not followed, and a request that went out
  // over TLS does not fall back to plain http on a site's say-so.
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  const bool overTls = lowerCase(std::u16string_view(request.url).substr(0, 8)) == u"https://";
  set(CURLOPT_REDIR_PROTOCOLS_STR, overTls ? "https" : "http,https");
  // A connection that delivers too little for too long fails instead of blocking for ever.
  set(CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytes);
  set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(settings.lowSpeedTime.count()));
  set(CURLOPT_NOPROGRESS, 0L);
  set(CURLOPT_XFERINFOFUNCTION, onProgress);
  set(CURLOPT_XFERINFODATA, &transfer);
  if (!settings.caFile.empty()) set(CURLOPT_CAINFO, settings.caFile.c_str());
  // A page that announces its size over the limit fails before its body is read.
  const bool bodyInMemory = hooks == nullptr || !hooks->takeBody;
  if (bodyInMemory) set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxPageBytes));
  if (refused != CURLE_OK) {
    return fail(request,
                fromUtf8(std::string("the request could not be set up: ") + curl_easy_strerror(refused)));
  }

  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    if (result == CURLE_FILESIZE_EXCEEDED) transfer.error = overLimitText("response body");
    std::string message = transfer.error.value_or(std::string(errorBuffer.data()));
    // libcurl leaves the buffer empty for a few errors; its generic text still says what failed.
    if (message.empty()) message = curl_easy_strerror(result);
    return fail(request, fromSystemCodePage(message));
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  request.statusCode = static_cast<std::int32_t>(status);
  request.state = HttpState::Finished;
}

/// Hands the exchange of a request that has ended to the settings' sink, if any; a sink that
/// fails loses that exchange only.
void passExchange(const HttpRequest &request, const HttpSettings &settings, std::string &recorded) {
  if (!settings.exchangeSink) return;
  try {
    HttpExchange exchange{
        settings.exchangeLabel, request.method,      request.url,        request.requestBody,
        request.headers,        std::move(recorded), request.statusCode, request.errorText.value_or(u"")};
    settings.exchangeSink(exchange);
  } catch (...) {
  }
}

/// Waits `wait` before a busy site is asked again, in short steps that look at the stop flag and
/// call the progress hook; false when the stop flag ended it.
bool pauseBeforeAskingAgain(std::chrono::milliseconds wait, const StopFlag *stop,
                            const HttpTransferHooks *hooks) {
  constexpr std::chrono::milliseconds kStep{20};
  const auto end = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (stop != nullptr && stop->stopRequested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    if (hooks != nullptr && hooks->onProgress) {
      try {
        hooks->onProgress();
      } catch (...) {
        return false;
      }
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kStep, end - now));
  }
}

}  // namespace

std::chrono::milliseconds busyRetryWait(std::string_view headerText, const HttpSettings &settings,
                                        std::chrono::system_clock::time_point now) {
  // Only the last response's Retry-After counts.
  const std::string value = toUtf8(readResponseHeaders(fromUtf8(headerText)).finalAnswer().retryAfter);
  if (value.empty()) return settings.busyWait;
  std::chrono::milliseconds wait{0};
  if (value.find_first_not_of("0123456789") == std::string::npos) {
    // More digits than any sensible wait needs are simply the longest wait.
    wait = value.size() > 9 ? settings.busyWaitLimit : std::chrono::seconds(std::stol(value));
  } else {
    const time_t at = curl_getdate(value.c_str(), nullptr);
    if (at == -1) return settings.busyWait;
    wait = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::from_time_t(at) -
                                                                 now);
  }
  return std::clamp(wait, std::chrono::milliseconds{0}, settings.busyWaitLimit);
}

std::unique_ptr<HttpRequest> sendHttpRequest(HttpMethod method, std::u16string_view url,
                                             std::u16string_view body, const HttpHeaders *headers,
                                             const HttpSettings &settings, const StopFlag *stop,
                                             const HttpTransferHooks *hooks) {
  if (url.empty()) return nullptr;
  for (int attempt = 0;; ++attempt) {
    std::unique_ptr<HttpRequest> request;
    try {
      request = std::make_unique<HttpRequest>();
      request->url = std::u16string(url);
      request->method = method;
      if (method == HttpMethod::Post) request->requestBody = toUtf8(body);
    } catch (...) {
      return nullptr;
    }
    const bool askAgainWhenBusy = attempt < settings.busyRetries;
    std::string recorded;
    try {
      perform(*request, headers, settings, stop, hooks, settings.exchangeSink ? &recorded : nullptr,
              askAgainWhenBusy);
    } catch (...) {
      fail(*request, std::nullopt);
    }
    passExchange(*request, settings, recorded);
    if (!askAgainWhenBusy || request->state != HttpState::Finished || !isBusyStatus(request->statusCode)) {
      return request;
    }
    const auto wait = busyRetryWait(request->headers, settings, std::chrono::system_clock::now());
    // Stopped during the wait, the busy answer is the outcome.
    if (!pauseBeforeAskingAgain(wait, stop, hooks)) return request;
    finishHttpRequest(std::move(request));
  }
}

std::u16string httpInfo(const HttpRequest &request, HttpInfoKind kind, TextDecoding decoding) {
  const auto upToZero = [](const std::string &bytes) {
    const std::string_view view(bytes);
    return view.substr(0, view.find('\0'));
  };
  switch (kind) {
    case HttpInfoKind::StatusCode: {
      const std::string digits = std::to_string(static_cast<long>(request.statusCode));
      return std::u16string(digits.begin(), digits.end());
    }
    case HttpInfoKind::BodyText:
      if (request.state == HttpState::Failed) return {};
      return decodeText(upToZero(request.body), decoding);
    case HttpInfoKind::HeaderText:
      return decodeText(upToZero(request.headers), decoding);
    case HttpInfoKind::ErrorText:
      return request.errorText.value_or(std::u16string());
  }
  return {};
}

void finishHttpRequest(std::unique_ptr<HttpRequest> request) {
  if (!request) return;
  keepBuffer(request->body, &ThreadKept::body);
  keepBuffer(request->headers, &ThreadKept::headers);
  request.reset();
}

std::u16string urlEncode(std::u16string_view text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  static constexpr std::string_view kKeptMarks = "-._~!'()*:;/?@&=#$,";
  std::u16string out;
  for (const char byte : toUtf8(text)) {
    const auto value = static_cast<unsigned char>(byte);
    if ((value >= 'A' && value <= 'Z') || (value >= 'a' && value <= 'z') || (value >= '0' && value <= '9') ||
        kKeptMarks.find(byte) != std::string_view::npos) {
      out.push_back(static_cast<char16_t>(value));
    } else {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kHexDigits[value >> 4]));
      out.push_back(static_cast<char16_t>(kHexDigits[value & 0x0F]));
    }
  }
  return out;
}

}  // namespace hengdian
