#include <windows.h>

#include "ui/window_icon.h"

namespace hengdian {

// The .ico in the program's resources, named "hengdian", which Explorer shows as well. Programs
// built without it (the window's tests) keep the system's icon.
wxIconBundle programIcons() {
  if (!FindResourceW(nullptr, L"HENGDIAN", MAKEINTRESOURCEW(14))) return wxIconBundle();  // RT_GROUP_ICON
  return wxIconBundle(wxS("hengdian"), 0);
}

}  // namespace hengdian
