#pragma once

#include <string>

namespace hengdian {

/// The user's desktop folder with a trailing path separator (Windows: the shell's desktop;
/// elsewhere XDG_DESKTOP_DIR from the user-dirs file, else $HOME/Desktop).
std::u16string desktopFolder();

}  // namespace hengdian
