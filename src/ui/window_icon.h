#pragma once
// The program's icon, a balance on a vermilion seal, in the sizes it is drawn in (16 to 256
// pixels; the drawing and its renderings are in packaging/icons).

#include <wx/iconbndl.h>

namespace hengdian {

/// The icon in every size, for the main window's title bar, task bar and switcher. UI thread.
wxIconBundle programIcons();

}  // namespace hengdian
