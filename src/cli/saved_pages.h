#pragma once
// The folder --save-pages keeps every exchange with the sites in, for a bug report.

#include <filesystem>
#include <string>

namespace hengdian::cli {

/// The folder the exchanges go to, or why it could not be made.
struct PagesFolder {
  std::filesystem::path path;
  std::string error;  // "" when the folder is there
};

/// Makes `requested` (UTF-8) with its parents, or, when it is empty, a new folder
/// "hengdian-pages-N" in the system's temporary folder.
PagesFolder makePagesFolder(const std::string &requested);

}  // namespace hengdian::cli
