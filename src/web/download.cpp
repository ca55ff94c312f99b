#include "web/download.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "runtime/desktop_folder.h"
#include "runtime/text.h"
#include "web/file_output.h"

namespace hengdian {

namespace {

constexpr std::chrono::milliseconds kEventServeInterval{5};
/// How often a transfer in progress lets the window repaint.
constexpr std::chrono::milliseconds kTransferServeInterval{30};

/// Set while the caller's events are being served on this thread, so that serving is never
/// entered twice (an event handler that itself downloads does not serve from inside).
thread_local bool servingEvents = false;

void serveEventsOnce(const DownloadOptions &options) {
  if (!options.serveEvents || servingEvents) return;
  servingEvents = true;
  struct Done {
    ~Done() { servingEvents = false; }
  } done;
  options.serveEvents();
}

/// The redirect target named by the header text of the request's whole redirect chain.
std::u16string redirectTarget(const HttpRequest &request) {
  return redirectTargetOf(httpInfo(request, HttpInfoKind::HeaderText, TextDecoding::SystemCodePage));
}

/// Waits more than `pause` on the monotonic clock, letting the caller serve its window events
/// throughout.
void pauseServingEvents(const DownloadOptions &options) {
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start <= options.retryPause) {
    serveEventsOnce(options);
    std::this_thread::sleep_for(kEventServeInterval);
  }
}

bool isSuccessStatus(std::int32_t status) {
  return status >= 200 && status <= 299;
}

/// One attempt's body on its way to the disk: written as it arrives into a new temporary file
/// beside the target, which replaces the target only once the whole body is there. Whatever is
/// left of the temporary file goes with it.
struct BodyFile {
  std::u16string targetPath;  // as given, still holding the extension placeholder
  std::u16string path;        // where the file goes, known once the body starts
  std::filesystem::path temporary;
  OutputFile file;
  bool started = false;
  std::optional<std::u16string> refusal;  // the download's result when the body was refused

  explicit BodyFile(std::u16string_view target) : targetPath(target) {}
  ~BodyFile() { discard(); }
  BodyFile(const BodyFile &) = delete;
  BodyFile &operator=(const BodyFile &) = delete;

  void discard() {
    closeFile(file);
    if (temporary.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    temporary.clear();
  }

  /// Decides, when the final response's body starts, whether and where it is saved: only a
  /// success status with a file type in the redirect, into a new file beside the target.
  bool start(const HttpRequest &request) {
    started = true;
    const std::u16string target = redirectTarget(request);
    const std::u16string extension = extensionOfTarget(target);
    // No file type: the attempt fails and the caller retries; nothing to keep.
    if (extension.empty()) return refuse(kFileDownloadFailed);
    if (!isSuccessStatus(request.statusCode)) return refuse(kFileDownloadFailed);
    path = replaceAll(targetPath, kExtensionPlaceholder, extension);
    if (path.empty()) path = desktopFolder() + fileNamePart(target, true) + u"." + extension;
    return createTemporary() || refuse(kFileCreateFailed);
  }

  bool refuse(std::u16string_view result) {
    refusal = std::u16string(result);
    return false;
  }

  /// A new file beside the target, under a name unlikely to meet an existing file.
  bool createTemporary() {
    std::random_device device;
    std::mt19937_64 generator((static_cast<std::uint64_t>(device()) << 32) ^ device());
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate = folder / (".hengdian-" + std::to_string(generator()) + ".part");
      if (createNewFile(candidate, file)) {
        temporary = candidate;
        return true;
      }
      std::error_code error;
      if (!std::filesystem::exists(candidate, error)) return false;  // the folder refuses files
    }
    return false;
  }

  bool write(std::string_view chunk) { return writeToFile(file, chunk) || refuse(kFileCreateFailed); }

  /// Flushes the complete body to the disk and puts it in the target's place.
  bool commit() {
    if (!flushAndCloseFile(file)) return false;
    std::error_code error;
    std::filesystem::rename(temporary, std::filesystem::path(path), error);
    if (error) return false;
    temporary.clear();
    return true;
  }
};

/// Sends the download's request with the body streaming into `body`, serving the caller's
/// window events every so often while the transfer runs.
std::unique_ptr<HttpRequest> sendToFile(const HttpHeaders &headerMap, std::u16string_view url,
                                        std::u16string_view formData, const DownloadOptions &options,
                                        BodyFile &body) {
  auto lastServed = std::chrono::steady_clock::now();
  HttpTransferHooks hooks;
  hooks.takeBody = [&body](const HttpRequest &request, std::string_view chunk) {
    if (!body.started && !body.start(request)) return false;
    return body.write(chunk);
  };
  hooks.onProgress = [&options, &lastServed] {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastServed < kTransferServeInterval) return;
    lastServed = now;
    serveEventsOnce(options);
  };
  return sendHttpRequest(HttpMethod::Get, url, formData, &headerMap, nullptr, &hooks, options.limits);
}

std::u16string download(HttpHeaders &headerMap, std::u16string_view url, std::u16string_view targetPath,
                        std::u16string_view referer, std::u16string_view formData,
                        const DownloadOptions &options) {
  headerMap.clear();
  headerMap[u"User-Agent"] = std::u16string(kDownloadUserAgent);
  headerMap[u"Referer"] = std::u16string(referer);

  auto body = std::make_unique<BodyFile>(targetPath);
  std::unique_ptr<HttpRequest> request = sendToFile(headerMap, url, formData, options, *body);
  if (!request) return std::u16string(kServerConnectFailed);

  // Without a file type in the redirect there is nothing to name the file by; the site gets one
  // more chance after a pause.
  if (extensionOfTarget(redirectTarget(*request)).empty()) {
    finishHttpRequest(std::move(request));
    body = std::make_unique<BodyFile>(targetPath);
    pauseServingEvents(options);
    request = sendToFile(headerMap, url, formData, options, *body);
    if (!request) return std::u16string(kServerConnectFailed);
    if (extensionOfTarget(redirectTarget(*request)).empty()) return std::u16string(kFileDownloadFailed);
  }

  // A refused body, a transfer cut short or an error page: nothing replaces an existing file.
  if (body->refusal) return *body->refusal;
  if (request->state != HttpState::Finished || !isSuccessStatus(request->statusCode)) {
    return std::u16string(kFileDownloadFailed);
  }
  // An empty body never reached the collector; its file is made now.
  if (!body->started && !body->start(*request)) return *body->refusal;
  finishHttpRequest(std::move(request));
  if (!body->commit()) return std::u16string(kFileCreateFailed);
  return body->path;
}

}  // namespace

bool isDownloadFailure(std::u16string_view result) {
  return result == kServerConnectFailed || result == kFileDownloadFailed || result == kFileCreateFailed;
}

std::u16string redirectTargetOf(std::u16string_view headerText) {
  std::u16string text = lowerCase(headerText);
  text = replaceAll(text, u"\r", u"\n");
  text = replaceAll(text, u"\n\n", u"\n");
  const std::size_t count = countOf(text, u"location:");
  const std::u16string afterLast = fieldOf(text, static_cast<std::int64_t>(count) + 1, u"location:");
  return trimSpaces(fieldOf(afterLast, 1, u"\n"));
}

std::u16string extensionOfTarget(std::u16string_view target) {
  const std::size_t dot = target.rfind(u'.');
  if (dot == std::u16string_view::npos || dot == 0) return {};
  if (target[dot - 1] == u'/' || target[dot - 1] == u'\\') return {};
  std::u16string_view extension = target.substr(dot + 1);
  if (extension.find_first_of(u" /\\") != std::u16string_view::npos) return {};
  extension = extension.substr(0, extension.find(u'"'));
  return lowerCase(extension);
}

std::u16string downloadFile(HttpHeaders &headerMap, std::u16string_view url, std::u16string_view targetPath,
                            std::u16string_view referer, std::u16string_view formData,
                            const DownloadOptions &options) {
  try {
    return download(headerMap, url, targetPath, referer, formData, options);
  } catch (...) {
    // Out of memory or a failing event handler: the download failed; the temporary file is gone.
    return std::u16string(kFileDownloadFailed);
  }
}

}  // namespace hengdian
