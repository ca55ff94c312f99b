#pragma once
// The controls of fixed size whose texts must show whole: the site chooser, the push buttons and
// the check box. On Windows the system's message font fits the sizes the layout gives them; GTK's
// themes pad controls more and draw a larger font, so there these controls get a padding and a
// font made for those sizes. Nothing moves or changes size on either system.

#include <wx/window.h>

namespace hengdian {

/// The size of Windows' message font in points, which the layout's sizes are made for.
inline constexpr int kMessageFontPoints = 9;

/// Fits the padding of `control` to the size the layout gives it and, on GTK, draws its text in
/// a font of `fontPoints`. UI thread.
void fitToLayoutSize(wxWindow *control, int fontPoints = kMessageFontPoints);

}  // namespace hengdian
