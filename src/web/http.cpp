#include "web/http.h"

#include <curl/curl.h>

#include <array>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace hengdian {

namespace {

/// Both receiving buffers start this large and grow by the missing size plus this much again.
constexpr std::size_t kBufferStep = 524288;
constexpr long kConnectTimeoutMs = 30000;
constexpr long kTotalTimeoutMs = 0;
/// The limit newer libcurl versions apply by themselves; without it a redirect loop never ends.
constexpr long kMaxRedirects = 30;

std::once_flag curlInitialised;

std::mutex caFileMutex;
std::string caFile;  // guarded by caFileMutex

std::atomic<long> stallSeconds{60};

void initialiseCurlOnce() {
  std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string currentCaFile() {
  std::lock_guard lock(caFileMutex);
  return caFile;
}

struct EasyHandleDeleter {
  void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

struct HeaderListDeleter {
  void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

/// What the libcurl callbacks of one transfer work on.
struct Transfer {
  HttpRequest *request;
  const StopFlag *stop;
};

/// Appends a received chunk, growing the buffer by the missing size plus one step when it is
/// full. Returns false when the buffer cannot grow.
bool appendChunk(std::string &buffer, const char *data, std::size_t size) {
  try {
    if (buffer.size() + size > buffer.capacity()) buffer.reserve(buffer.capacity() + size + kBufferStep);
    buffer.append(data, size);
    return true;
  } catch (const std::exception &) {
    return false;
  }
}

// Transfer thread (the caller's). Returning anything but the chunk size ends the transfer with a
// write error.
size_t collectBody(char *data, size_t size, size_t count, void *userData) {
  auto *transfer = static_cast<Transfer *>(userData);
  const std::size_t bytes = size * count;
  return appendChunk(transfer->request->body, data, bytes) ? bytes : 0;
}

size_t collectHeader(char *data, size_t size, size_t count, void *userData) {
  auto *transfer = static_cast<Transfer *>(userData);
  const std::size_t bytes = size * count;
  // Each response of a redirect chain starts with its status line, so whatever body arrived before
  // it belonged to an earlier response. libcurl skips the bodies of redirects it follows; this
  // keeps the body the final response's even if a redirect's body slips through.
  if (bytes >= 5 && std::string_view(data, 5) == "HTTP/") transfer->request->body.clear();
  return appendChunk(transfer->request->headers, data, bytes) ? bytes : 0;
}

// libcurl calls this often during a transfer and about once a second while nothing arrives, so a
// raised stop flag ends a waiting request within a second.
int checkStop(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto *transfer = static_cast<const Transfer *>(userData);
  return transfer->stop != nullptr && transfer->stop->stopRequested() ? 1 : 0;
}

HeaderList buildHeaderList(const HttpHeaders &headers, bool &ok) {
  HeaderList list;
  ok = true;
  for (const auto &[name, value] : headers) {
    // libcurl drops a header given as "Name:" with nothing after it; "Name;" sends it empty.
    const std::string line = value.empty() ? toUtf8(name) + ";" : toUtf8(name) + ": " + toUtf8(value);
    curl_slist *appended = curl_slist_append(list.get(), line.c_str());
    if (appended == nullptr) {
      ok = false;
      return list;
    }
    list.release();
    list.reset(appended);
  }
  return list;
}

void fail(HttpRequest &request, std::optional<std::u16string> errorText) {
  request.state = HttpState::Failed;
  request.statusCode = 0;
  request.errorText = std::move(errorText);
}

void perform(HttpRequest &request, const HttpHeaders *headers, const StopFlag *stop) {
  const std::string url = toSystemCodePage(request.url);
  const std::string userAgent = toSystemCodePage(fromUtf8(kHttpUserAgent));

  // Everything libcurl keeps a pointer to is declared before the handle, so it outlives it.
  Transfer transfer{&request, stop};
  std::array<char, CURL_ERROR_SIZE> errorBuffer{};
  const std::string caPath = currentCaFile();
  HeaderList headerList;

  initialiseCurlOnce();
  EasyHandle handle(curl_easy_init());
  if (!handle) return fail(request, std::nullopt);
  CURL *curl = handle.get();

  try {
    request.body.reserve(kBufferStep);
    request.headers.reserve(kBufferStep);
  } catch (const std::exception &) {
    return fail(request, std::nullopt);
  }

  if (headers != nullptr) {
    bool ok = false;
    headerList = buildHeaderList(*headers, ok);
    if (!ok) return fail(request, std::nullopt);
  }

  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  if (request.method == HttpMethod::Post) curl_easy_setopt(curl, CURLOPT_POST, 1L);
  // A POST without body data would make libcurl read the body from standard input; an empty
  // POST therefore sends an explicit empty body.
  if (!request.requestBody.empty() || request.method == HttpMethod::Post) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.requestBody.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.requestBody.data());
  }
  if (headers != nullptr) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList.get());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method == HttpMethod::Post ? "POST" : "GET");
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer.data());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kTotalTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  // A connection that delivers nothing for the stall time fails instead of blocking for ever.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallSeconds.load());
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkStop);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  if (!caPath.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caPath.c_str());

  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    std::string message(errorBuffer.data());
    // libcurl leaves the buffer empty for a few errors; its generic text still says what failed.
    if (message.empty()) message = curl_easy_strerror(result);
    return fail(request, fromSystemCodePage(message));
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  request.statusCode = static_cast<std::int32_t>(status);
  request.state = HttpState::Finished;
}

/// Whether urlEncode keeps a byte as it is.
struct KeptBytes {
  std::array<bool, 256> kept{};
  KeptBytes() {
    for (int c = 'A'; c <= 'Z'; ++c)
      kept[c] = true;
    for (int c = 'a'; c <= 'z'; ++c)
      kept[c] = true;
    for (int c = '0'; c <= '9'; ++c)
      kept[c] = true;
    for (unsigned char c : std::string_view("-._~!'()*:;/?@&=#$,"))
      kept[c] = true;
  }
};

}  // namespace

std::unique_ptr<HttpRequest> sendHttpRequest(HttpMethod method, std::u16string_view url,
                                             std::u16string_view body, const HttpHeaders *headers,
                                             const StopFlag *stop) {
  if (url.empty()) return nullptr;
  std::unique_ptr<HttpRequest> request;
  try {
    request = std::make_unique<HttpRequest>();
    request->url = std::u16string(url);
    request->method = method;
    request->requestBody = toUtf8(body);
  } catch (const std::exception &) {
    return nullptr;
  }
  try {
    perform(*request, headers, stop);
  } catch (const std::exception &) {
    fail(*request, std::nullopt);
  }
  return request;
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
      return decodeText(upToZero(request.body), decoding);
    case HttpInfoKind::HeaderText:
      return decodeText(upToZero(request.headers), decoding);
    case HttpInfoKind::ErrorText:
      return request.errorText.value_or(std::u16string());
  }
  return {};
}

std::optional<std::string> takeHttpBody(HttpRequest &request) {
  if (request.state != HttpState::Finished || request.bodyTaken) return std::nullopt;
  request.bodyTaken = true;
  return std::move(request.body);
}

void finishHttpRequest(std::unique_ptr<HttpRequest> request) {
  request.reset();
}

std::u16string urlEncode(std::u16string_view text) {
  static const KeptBytes keptBytes;
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::u16string out;
  for (const char byte : toUtf8(text)) {
    const auto value = static_cast<unsigned char>(byte);
    if (keptBytes.kept[value]) {
      out.push_back(static_cast<char16_t>(value));
    } else {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kHexDigits[value >> 4]));
      out.push_back(static_cast<char16_t>(kHexDigits[value & 0x0F]));
    }
  }
  return out;
}

void setHttpCaFile(const std::string &pemPath) {
  std::lock_guard lock(caFileMutex);
  caFile = pemPath;
}

void setHttpStallSeconds(long seconds) {
  stallSeconds.store(seconds);
}

}  // namespace hengdian
