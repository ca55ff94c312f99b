#include <wx/bitmap.h>
#include <wx/image.h>

#include <cstddef>
#include <utility>

#include "ui/window_icon.h"

namespace hengdian {

namespace {

// kIconPngs: the PNG files of packaging/icons, compiled in by the build, so that the window has
// its icon also when the program runs from the build folder.
#include "window_icon_pngs.inc"

}  // namespace

wxIconBundle programIcons() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  wxIconBundle icons;
  for (const auto &[data, size] : kIconPngs) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap::NewFromPNGData(data, size));
    if (icon.IsOk()) icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace hengdian
