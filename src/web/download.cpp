#include "web/download.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include "runtime/code_page.h"
#include "runtime/text.h"
#include "web/file_output.h"
#include "web/response_headers.h"

namespace hengdian {

namespace {

constexpr std::chrono::milliseconds kEventServeInterval{5};
/// How often a transfer in progress lets the window repaint.
constexpr std::chrono::milliseconds kTransferServeInterval{30};

constexpr std::u16string_view kNoFileType = u"the site named no file type";
constexpr std::u16string_view kStopped = u"the download was stopped";

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

bool stopRequested(const DownloadOptions &options) {
  return options.stop != nullptr && options.stop->stopRequested();
}

/// What the header text of the request's whole redirect chain tells.
ResponseHeaders headersOf(const HttpRequest &request) {
  return readResponseHeaders(httpInfo(request, HttpInfoKind::HeaderText, TextDecoding::SystemCodePage));
}

/// Waits more than `pause` on the monotonic clock, letting the caller serve its window events
/// throughout; a stop ends it early.
void pauseServingEvents(const DownloadOptions &options) {
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start <= options.retryPause && !stopRequested(options)) {
    serveEventsOnce(options);
    std::this_thread::sleep_for(kEventServeInterval);
  }
}

DownloadResult failure(DownloadStatus status, std::u16string_view reason) {
  return DownloadResult{status, {}, std::u16string(reason)};
}

std::u16string statusReason(std::int32_t status) {
  return u"the site answered with HTTP status " + u16(std::to_string(status));
}

/// One attempt's body on its way to the disk: written as it arrives into a new temporary file
/// beside the target, which replaces the target only once the whole body is there and fits its
/// type. Whatever is left of the temporary file goes with it. The target's folder is opened once,
/// and the temporary file is made, renamed and removed through that handle, so it stays in the
/// folder it was made in whatever the folder's path comes to mean meanwhile.
struct BodyFile {
  const SavePath &savePath;
  std::u16string extension;  // known once the body starts
  std::u16string path;       // where the file goes, known once the body starts
  OutputFolder folder;
  OutputFile file;
  bool started = false;
  std::string head;                       // the first bytes, which the file type is judged by
  std::optional<DownloadResult> refusal;  // the download's result when the body was refused

  explicit BodyFile(const SavePath &whereToSave) : savePath(whereToSave) {}
  ~BodyFile() {
    discardFile(folder, file);
    closeFolder(folder);
  }
  BodyFile(const BodyFile &) = delete;
  BodyFile &operator=(const BodyFile &) = delete;

  /// Decides, when the final response's body starts with `chunk`, whether and where it is saved:
  /// only a status of 200 with a file type that would not run, into a new file beside the target.
  bool start(const HttpRequest &request, std::string_view chunk) {
    started = true;
    const OfferedFile offered = offeredFile(headersOf(request), chunk);
    extension = offered.extension;
    // No file type: the attempt fails and the caller retries; nothing to keep.
    if (extension.empty()) return refuse(DownloadStatus::NotDownloaded, kNoFileType);
    if (isRunnableType(extension))
      return refuse(DownloadStatus::NotDownloaded, runnableTypeReason(extension));
    if (request.statusCode != 200)
      return refuse(DownloadStatus::NotDownloaded, statusReason(request.statusCode));
    path = savePath(extension, offered.name);
    return createTemporary();
  }

  bool refuse(DownloadStatus status, std::u16string_view reason) {
    refusal = failure(status, reason);
    return false;
  }

  /// A new file beside the target, under a name unlikely to meet an existing file.
  bool createTemporary() {
    const std::filesystem::path folderPath = std::filesystem::path(path).parent_path();
    const auto cannotCreate = [&] {
      const std::u16string error = lastFileError();
      return refuse(DownloadStatus::NotWritten,
                    u"cannot create a file in " + folderPath.u16string() + u": " + error);
    };
    if (!openFolder(folderPath, folder)) return cannotCreate();
    std::random_device device;
    std::mt19937_64 generator((static_cast<std::uint64_t>(device()) << 32) ^ device());
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = ".hengdian-" + std::to_string(generator()) + ".part";
      const CreateOutcome outcome = createNewFile(folder, name, file);
      if (outcome == CreateOutcome::Created) return true;
      if (outcome == CreateOutcome::Failed) return cannotCreate();
    }
    return refuse(DownloadStatus::NotWritten, u"cannot create a file in " + folderPath.u16string() +
                                                  u": no free name for a temporary file");
  }

  std::u16string temporaryPath() const {
    return (std::filesystem::path(path).parent_path() / file.name).u16string();
  }

  bool write(std::string_view chunk) {
    if (head.size() < kFileTypeHeadBytes) head.append(chunk.substr(0, kFileTypeHeadBytes - head.size()));
    if (writeToFile(file, chunk)) return true;
    const std::u16string error = lastFileError();
    return refuse(DownloadStatus::NotWritten, u"cannot write " + temporaryPath() + u": " + error);
  }

  /// Flushes the complete body to the disk and puts it in the target's place.
  DownloadResult commit() {
    if (!flushFile(file)) {
      const std::u16string error = lastFileError();
      return failure(DownloadStatus::NotWritten, u"cannot write " + temporaryPath() + u": " + error);
    }
    if (!moveIntoPlace(folder, file, std::filesystem::path(path).filename())) {
      const std::u16string error = lastFileError();
      return failure(DownloadStatus::NotWritten, u"cannot save the file as " + path + u": " + error);
    }
    return DownloadResult{DownloadStatus::Saved, path, {}};
  }
};

/// Sends the download's request with the body streaming into `body`, serving the caller's
/// window events every so often while the transfer runs.
std::unique_ptr<HttpRequest> sendToFile(std::u16string_view url, const HttpHeaders &headers,
                                        const DownloadOptions &options, BodyFile &body) {
  auto lastServed = std::chrono::steady_clock::now();
  HttpTransferHooks hooks;
  hooks.takeBody = [&body](const HttpRequest &request, std::string_view chunk) {
    if (!body.started && !body.start(request, chunk)) return false;
    return body.write(chunk);
  };
  hooks.onProgress = [&options, &lastServed] {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastServed < kTransferServeInterval) return;
    lastServed = now;
    serveEventsOnce(options);
  };
  return sendHttpRequest(HttpMethod::Get, url, u"", &headers, options.http, options.stop, &hooks);
}

DownloadResult download(std::u16string_view url, const HttpHeaders &headers, const SavePath &savePath,
                        const DownloadOptions &options) {
  auto body = std::make_unique<BodyFile>(savePath);
  std::unique_ptr<HttpRequest> request = sendToFile(url, headers, options, *body);
  if (!request) return failure(DownloadStatus::NoRequest, u"no request could be made");

  // The type the redirect named, or the one the file sent itself showed.
  const auto fileType = [&body](const HttpRequest &sent) {
    return body->started ? body->extension : extensionOfTarget(headersOf(sent).redirectTarget);
  };
  // Without a file type there is nothing to name the file by; the site gets one more chance after
  // a pause.
  if (fileType(*request).empty()) {
    finishHttpRequest(std::move(request));
    body = std::make_unique<BodyFile>(savePath);
    pauseServingEvents(options);
    if (stopRequested(options)) return failure(DownloadStatus::NotDownloaded, kStopped);
    request = sendToFile(url, headers, options, *body);
    if (!request) return failure(DownloadStatus::NoRequest, u"no request could be made");
    if (fileType(*request).empty()) return failure(DownloadStatus::NotDownloaded, kNoFileType);
  }

  // A stop, a type that would run, a refused body, a transfer cut short, an error page, an empty
  // body or one of another type: nothing replaces an existing file.
  if (stopRequested(options)) return failure(DownloadStatus::NotDownloaded, kStopped);
  if (const std::u16string extension = fileType(*request); isRunnableType(extension))
    return failure(DownloadStatus::NotDownloaded, runnableTypeReason(extension));
  if (body->refusal) return *body->refusal;
  if (request->state != HttpState::Finished) {
    return failure(DownloadStatus::NotDownloaded,
                   u"the transfer failed: " + httpInfo(*request, HttpInfoKind::ErrorText));
  }
  if (request->statusCode != 200)
    return failure(DownloadStatus::NotDownloaded, statusReason(request->statusCode));
  // An empty body never reached the collector.
  if (!body->started) return failure(DownloadStatus::NotDownloaded, u"the site sent an empty file");
  const std::u16string mismatch =
      fileTypeMismatch(body->extension, body->head, headersOf(*request).finalAnswer().mediaType);
  if (!mismatch.empty()) return failure(DownloadStatus::NotDownloaded, mismatch);
  finishHttpRequest(std::move(request));
  return body->commit();
}

}  // namespace

DownloadResult downloadFile(std::u16string_view url, const HttpHeaders &headers, const SavePath &savePath,
                            const DownloadOptions &options) {
  try {
    return download(url, headers, savePath, options);
  } catch (...) {
    // Out of memory or a failing event handler: the download failed; the temporary file is gone.
    return failure(DownloadStatus::NotDownloaded,
                   u"the download ran out of memory or its event handler failed");
  }
}

}  // namespace hengdian
