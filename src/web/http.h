#pragma once
// The system's only way onto the network: one HTTP or HTTPS request per call, performed on the
// calling thread through one libcurl easy handle, with the whole outcome kept in an HttpRequest.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/code_page.h"
#include "runtime/stop_flag.h"

namespace hengdian {

enum class HttpMethod { Get, Post };

/// What `httpInfo` reads from a request.
enum class HttpInfoKind { StatusCode, BodyText, ErrorText, HeaderText };

/// Extra request headers, name to value; an empty value goes out as "Name;" (a header with
/// nothing after the colon).
using HttpHeaders = std::map<std::u16string, std::u16string>;

enum class HttpState { InProgress, Finished, Failed };

/// The largest body a request keeps in memory (a search page); a larger one fails the transfer.
inline constexpr std::size_t kMaxPageBytes = std::size_t{32} << 20;

struct HttpRequest;

/// One request and what came back, as exchanged, for keeping with a bug report.
struct HttpExchange {
  std::u16string label;  // what the request was for: the settings' `exchangeLabel`
  HttpMethod method = HttpMethod::Get;
  std::u16string url;
  std::string requestBody;
  std::string responseHeaders;  // every header line received, the redirects' included
  std::string responseBody;     // the final response's body bytes as received, also when cut short
  std::int32_t statusCode = 0;
  std::u16string error;  // why the transfer failed; "" when it finished
};

/// Takes every exchange of the requests it is given to, once each has ended; it may be called
/// from several threads at once.
using ExchangeSink = std::function<void(const HttpExchange &exchange)>;

/// How a request goes out: whom it trusts, how long it may take and as whom it speaks. The
/// defaults trust libcurl's CA store and end only a stalled transfer.
struct HttpSettings {
  /// Extra CA certificates (a PEM file) trusted for HTTPS; empty: libcurl's defaults. Verification
  /// always stays on.
  std::string caFile{};
  /// The whole request, its redirects included, ends within this time, whatever the site sends;
  /// zero sets no bound.
  std::chrono::milliseconds totalTime{0};
  /// A transfer that moves fewer than `lowSpeedBytes` bytes a second for `lowSpeedTime` fails.
  long lowSpeedBytes = 1;
  std::chrono::seconds lowSpeedTime{60};
  /// Sent as User-Agent, unless the request's headers bring one.
  std::u16string userAgent = u"Mozilla/5.0 Gecko/41.0 Firefox/41.0";
  /// A site that answers 503 or 429 (too busy, too many requests) is asked again, at most this
  /// many times, after the wait its Retry-After names (seconds or an HTTP date, at most
  /// `busyWaitLimit`) or else `busyWait`.
  int busyRetries = 2;
  std::chrono::milliseconds busyWait{5000};
  std::chrono::milliseconds busyWaitLimit{30000};
  /// When set, gets every exchange of the request (each busy retry is one more), labelled with
  /// `exchangeLabel`.
  ExchangeSink exchangeSink{};
  std::u16string exchangeLabel{};
};

/// What a caller may add to a request beyond the whole body in memory.
struct HttpTransferHooks {
  /// When set, the final response's body goes here chunk by chunk instead of into the request,
  /// with no size limit; `request` holds the header text and the status code received so far.
  /// Returning false ends the transfer as failed.
  std::function<bool(const HttpRequest &request, std::string_view chunk)> takeBody;
  /// Called from the transfer's progress callback: often while data flows, about once a second
  /// while the transfer waits. Runs on the requesting thread, inside `sendHttpRequest`.
  std::function<void()> onProgress;
};

/// The outcome of one request; created by `sendHttpRequest`, released by `finishHttpRequest`.
struct HttpRequest {
  HttpState state = HttpState::InProgress;
  std::u16string url;
  HttpMethod method = HttpMethod::Get;
  std::string requestBody;                  // UTF-8 bytes of a POST's body text
  std::string body;                         // body of the final response; emptied when Failed
  std::string headers;                      // header lines of every response of the redirect chain
  std::optional<std::u16string> errorText;  // set only when the transfer failed
  std::int32_t statusCode = 0;              // last response's status; 0 when none came
};

/// Performs one request as `settings` say and returns only when it has ended. Returns nullptr
/// only when `url` is empty or no request object can be made; a failed transfer comes back in the
/// Failed state. `body` is a POST's form body; a GET sends none. When `stop` is given and raised,
/// a transfer under way ends at once (as a failed request). A body larger than `kMaxPageBytes`
/// fails the transfer unless `hooks` take it. Only a transfer that finished keeps a body; anything
/// cut short, or over a bound of `settings`, is Failed. Only http and https are spoken, redirects
/// included, and a request that starts on https follows no redirect to plain http. A 503 or 429
/// answer is asked again as `settings` say (the busy answer's body goes to no `takeBody` hook);
/// the wait ends at once when `stop` is raised and calls `hooks->onProgress` as a transfer does.
/// Each thread keeps its connections open between requests. Never throws. Any thread; the request belongs to
/// that thread.
std::unique_ptr<HttpRequest> sendHttpRequest(HttpMethod method, std::u16string_view url,
                                             std::u16string_view body, const HttpHeaders *headers,
                                             const HttpSettings &settings = {},
                                             const StopFlag *stop = nullptr,
                                             const HttpTransferHooks *hooks = nullptr);

/// How long to wait before asking a busy site again: its Retry-After in `headerText` (the header
/// lines of a whole redirect chain; the last Retry-After counts), as seconds or as an HTTP date
/// against `now`, at most `settings.busyWaitLimit`; `settings.busyWait` when there is none that
/// reads.
std::chrono::milliseconds busyRetryWait(std::string_view headerText, const HttpSettings &settings,
                                        std::chrono::system_clock::time_point now);

/// Status code digits, body or header text decoded by `decoding` (up to the first zero byte),
/// or the error text of a failed transfer. A failed transfer has no body text.
std::u16string httpInfo(const HttpRequest &request, HttpInfoKind kind,
                        TextDecoding decoding = TextDecoding::Utf8);

/// Releases the request. Its receiving buffers, emptied, are kept for the calling thread's next
/// request. The thread that made the request.
void finishHttpRequest(std::unique_ptr<HttpRequest> request);

/// Percent-encodes the UTF-8 bytes of `text`, keeping ASCII letters, digits and
/// - . _ ~ ! ' ( ) * : ; / ? @ & = # $ ,
std::u16string urlEncode(std::u16string_view text);

}  // namespace hengdian
