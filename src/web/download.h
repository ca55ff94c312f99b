#pragma once
// Downloading one file: the library site answers with a redirect to the file, whose address tells
// the file's type; the caller names the file once the type is known, and the body is saved there.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/stop_flag.h"
#include "web/file_type.h"
#include "web/http.h"

namespace hengdian {

/// How a download's requests go out unless the caller says otherwise: as a browser, and a
/// transfer that moves less than 1 KiB a second for 60 s fails.
inline const HttpSettings kDownloadHttpSettings{
    .lowSpeedBytes = 1024,
    .userAgent =
        u"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
        u"Chrome/94.0.4606.71 Safari/537.36 Core/1.94.244.400 QQBrowser/12.5.5645.400"};

struct DownloadOptions {
  /// The pause before the one retry when the redirect named no file type; the pause lasts more
  /// than this.
  std::chrono::milliseconds retryPause{10100};
  /// Called repeatedly during the pause, and every few tens of milliseconds while a transfer
  /// runs, so the caller can serve its pending window events; never while it is running already.
  std::function<void()> serveEvents;
  /// How each request goes out.
  HttpSettings http = kDownloadHttpSettings;
  /// When given and raised, the transfer or the pause under way ends and the download fails.
  const StopFlag *stop = nullptr;
};

/// Where the file goes, asked once the redirect has named its type: from the extension (lower
/// case, without the dot) and the redirect target it was learned from.
using SavePath =
    std::function<std::u16string(std::u16string_view extension, std::u16string_view redirectTarget)>;

/// What became of a download.
enum class DownloadStatus {
  Saved,          // the whole file is at the path
  NoRequest,      // no request could be made
  NotDownloaded,  // no whole file of the promised type came
  NotWritten,     // the file could not be created or written
};

/// A download's outcome: what happened, the file written and, for the command line, why it failed.
struct DownloadResult {
  DownloadStatus status = DownloadStatus::NotDownloaded;
  std::u16string path;    // the file as written; "" unless saved
  std::u16string reason;  // in English, such as "not a pdf file: the site sent a web page (text/html)"
};

/// Requests `url` with `headers`, learns the extension from the last "location:" and saves the
/// body at `savePath`'s answer, streaming it to the disk as it arrives. Saved only when the final
/// status is 200 and the body is not empty and fits the promised type (`fileTypeMismatch`). A
/// failed download never changes an existing file and leaves nothing behind. Never throws. UI
/// thread.
DownloadResult downloadFile(std::u16string_view url, const HttpHeaders &headers, const SavePath &savePath,
                            const DownloadOptions &options = {});

}  // namespace hengdian
