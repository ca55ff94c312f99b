#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/code_page.h"
#include "runtime/desktop_folder.h"

namespace hengdian {
namespace {

std::string environmentValue(const char *name) {
  const char *value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The home folder without trailing "/", so that "/Desktop" can be appended ("" for "/").
std::string homeFolder() {
  std::string home = environmentValue("HOME");
  if (home.empty()) {
    // Without $HOME (a service, a stripped environment) the password database still knows it.
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
      home = found->pw_dir;
    }
  }
  while (!home.empty() && home.back() == '/')
    home.pop_back();
  return home;
}

// The folder of one line of the form XDG_DESKTOP_DIR="$HOME/Desktop" or XDG_DESKTOP_DIR="/abs",
// read the way the user-dirs tools write it: the value is quoted, starts with "$HOME" or "/",
// and a backslash takes the next character literally.
std::optional<std::string> desktopEntry(std::string_view line, const std::string &home) {
  std::size_t at = 0;
  // Blanks may stand before the key, the "=" and the opening quote.
  const auto takes = [&](std::string_view word) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
      ++at;
    if (line.substr(at, word.size()) != word) return false;
    at += word.size();
    return true;
  };
  if (!takes("XDG_DESKTOP_DIR") || !takes("=") || !takes("\"")) return std::nullopt;
  std::string folder;
  constexpr std::string_view kHome = "$HOME";
  if (line.substr(at, kHome.size()) == kHome) {
    at += kHome.size();
    if (at < line.size() && line[at] != '/' && line[at] != '"') return std::nullopt;
    folder = home;
  } else if (at >= line.size() || line[at] != '/') {
    return std::nullopt;
  }
  for (; at < line.size() && line[at] != '"'; ++at) {
    if (line[at] == '\\' && at + 1 < line.size()) ++at;
    folder.push_back(line[at]);
  }
  if (at >= line.size()) return std::nullopt;  // no closing quote
  return folder;
}

std::string userDirsFile(const std::string &home) {
  std::string configHome = environmentValue("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and ignored, like an unset one.
  if (configHome.empty() || configHome.front() != '/') configHome = home + "/.config";
  return configHome + "/user-dirs.dirs";
}

}  // namespace

std::u16string desktopFolder() {
  std::string home = homeFolder();
  std::string folder;
  std::ifstream file(userDirsFile(home));
  for (std::string line; std::getline(file, line);) {
    // The last entry wins, as when the file is sourced by a shell.
    if (auto entry = desktopEntry(line, home)) folder = *entry;
  }
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  if (folder.empty()) folder = home + "/Desktop";
  if (folder.back() != '/') folder.push_back('/');
  return fromUtf8(folder);
}

}  // namespace hengdian
