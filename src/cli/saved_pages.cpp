#include "cli/saved_pages.h"

#include <random>
#include <system_error>

#include "runtime/code_page.h"

namespace hengdian::cli {

PagesFolder makePagesFolder(const std::string &requested) {
  std::error_code error;
  if (!requested.empty()) {
    const std::filesystem::path path(u16(requested));
    std::filesystem::create_directories(path, error);
    if (!error && !std::filesystem::is_directory(path, error))
      error = std::make_error_code(std::errc::not_a_directory);
    if (error) return {path, "cannot make the folder " + requested + ": " + error.message()};
    return {path, ""};
  }
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
  if (error) return {{}, "no temporary folder: " + error.message()};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path path = temporary / ("hengdian-pages-" + std::to_string(random()));
    if (std::filesystem::create_directory(path, error)) return {path, ""};
    if (error) break;
  }
  return {{}, "cannot make a folder in " + toUtf8(temporary.u16string()) + ": " + error.message()};
}

}  // namespace hengdian::cli
