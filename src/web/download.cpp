#include "web/download.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "runtime/desktop_folder.h"
#include "runtime/text.h"

namespace hengdian {

namespace {

constexpr std::chrono::milliseconds kEventServeInterval{5};

/// The value of the last "location:" in the header text of the whole redirect chain, lower-cased.
/// Without one this is the first header line, which has no extension.
std::u16string redirectTarget(const HttpRequest &request) {
  std::u16string text = lowerCase(httpInfo(request, HttpInfoKind::HeaderText, TextDecoding::SystemCodePage));
  text = replaceAll(text, u"\r", u"\n");
  text = replaceAll(text, u"\n\n", u"\n");
  const std::size_t count = countOf(text, u"location:");
  const std::u16string afterLast = fieldOf(text, static_cast<std::int64_t>(count) + 1, u"location:");
  return trimSpaces(fieldOf(afterLast, 1, u"\n"));
}

/// Waits more than `pause` on the monotonic clock, letting the caller serve its window events
/// throughout.
void pauseServingEvents(const DownloadOptions &options) {
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start <= options.retryPause) {
    if (options.serveEvents) options.serveEvents();
    std::this_thread::sleep_for(kEventServeInterval);
  }
}

/// A name for the temporary file beside the target, unlikely to meet an existing file.
std::filesystem::path temporaryPathBeside(const std::filesystem::path &target) {
  std::random_device device;
  std::mt19937_64 generator((static_cast<std::uint64_t>(device()) << 32) ^ device());
  const std::filesystem::path folder = target.parent_path();
  std::filesystem::path candidate;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = ".hengdian-" + std::to_string(generator()) + ".part";
    candidate = folder / name;
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) break;
  }
  return candidate;
}

/// Writes `bytes` to a temporary file beside `target` and renames it over the target, so the
/// target is either the complete new file or untouched. Returns whether that worked.
bool saveFile(const std::u16string &targetPath, const std::string &bytes) {
  std::filesystem::path target;
  std::filesystem::path temporary;
  try {
    target = std::filesystem::path(targetPath);
    temporary = temporaryPathBeside(target);
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    std::error_code error;
    if (!file.fail()) {
      std::filesystem::rename(temporary, target, error);
      if (!error) return true;
    }
    std::filesystem::remove(temporary, error);
    return false;
  } catch (const std::exception &) {
    std::error_code error;
    if (!temporary.empty()) std::filesystem::remove(temporary, error);
    return false;
  }
}

}  // namespace

bool isDownloadFailure(std::u16string_view result) {
  return result == kServerConnectFailed || result == kFileDownloadFailed || result == kFileCreateFailed;
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
  headerMap.clear();
  headerMap[u"User-Agent"] = std::u16string(kDownloadUserAgent);
  headerMap[u"Referer"] = std::u16string(referer);

  std::unique_ptr<HttpRequest> request = sendHttpRequest(HttpMethod::Get, url, formData, &headerMap);
  if (!request) return std::u16string(kServerConnectFailed);
  std::u16string target = redirectTarget(*request);
  std::u16string extension = extensionOfTarget(target);

  // Without a file type in the redirect there is nothing to name the file by; the site gets one
  // more chance after a pause.
  if (extension.empty()) {
    finishHttpRequest(std::move(request));
    pauseServingEvents(options);
    request = sendHttpRequest(HttpMethod::Get, url, formData, &headerMap);
    if (!request) return std::u16string(kServerConnectFailed);
    target = redirectTarget(*request);
    extension = extensionOfTarget(target);
    if (extension.empty()) {
      finishHttpRequest(std::move(request));
      return std::u16string(kFileDownloadFailed);
    }
  }

  std::u16string path = replaceAll(targetPath, kExtensionPlaceholder, extension);
  const std::u16string fallbackName = fileNamePart(target, true) + u"." + extension;
  const std::optional<std::string> body = takeHttpBody(*request);
  finishHttpRequest(std::move(request));
  // The redirect named the file but its transfer failed: there is nothing to save, and an
  // existing file must not be replaced by an empty one.
  if (!body) return std::u16string(kFileDownloadFailed);

  if (path.empty()) path = desktopFolder() + fallbackName;
  if (!saveFile(path, *body)) return std::u16string(kFileCreateFailed);
  return path;
}

}  // namespace hengdian
