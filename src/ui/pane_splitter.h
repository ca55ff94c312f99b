#pragma once
// The splitter of the search tab: two panes side by side with a 7-pixel bar between them. The
// left pane keeps its width when the splitter is resized and the right pane takes the change;
// neither pane has a minimum width, and a pane without width is hidden. wxSplitterWindow cannot
// keep these rules exactly (it unsplits at the edges and sizes its sash from the theme), so this
// is a small one of our own.

#include <wx/window.h>

namespace hengdian {

inline constexpr int kSplitterBarWidth = 7;

/// The widths of the two panes of a splitter.
struct PaneWidths {
  int left = 0;
  int right = 0;

  bool operator==(const PaneWidths &) const = default;
};

/// The left pane's width when a splitter of `width` is first divided: the left pane gets the
/// odd pixel of the space beside the bar.
int initialLeftWidth(int width);

/// The panes of a splitter of `width` whose left pane wants `leftWidth`: the right pane takes
/// what is left, or 0 when the left pane no longer fits, which then takes all the space.
PaneWidths paneWidths(int width, int leftWidth);

/// The splitter window. UI thread.
class PaneSplitter : public wxWindow {
 public:
  PaneSplitter(wxWindow *parent, const wxPoint &position, const wxSize &size);

  /// Takes the two panes as its children and divides its width between them.
  void setPanes(wxWindow *left, wxWindow *right);

  /// Places the panes for the current size; changes nothing when they are in place.
  void placePanes();

  /// Moves the bar so that the left pane gets `leftWidth` (within the splitter).
  void moveBar(int leftWidth);

  /// The left pane's width as it is now.
  int leftWidth() const;

 private:
  void onPaint(wxPaintEvent &event);
  void onLeftDown(wxMouseEvent &event);
  void onMotion(wxMouseEvent &event);
  void onLeftUp(wxMouseEvent &event);
  /// Ends a drag, if one is on, and gives the pointer back.
  void endDrag();

  wxWindow *left_ = nullptr;
  wxWindow *right_ = nullptr;
  int wantedLeft_ = -1;  // -1 until the splitter is first on screen with a width to divide
  int dragOffset_ = 0;   // pointer position within the bar while dragging
  bool dragging_ = false;
};

}  // namespace hengdian
