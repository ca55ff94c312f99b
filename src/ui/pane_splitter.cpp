#include "ui/pane_splitter.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

namespace hengdian {

namespace {

/// Puts `pane` at `rect`. A pane without width is hidden: GTK leaves a window of width 0 at its
/// last size on screen, over the bar and the other pane.
void placePane(wxWindow *pane, const wxRect &rect) {
  if (pane->GetRect() != rect) pane->SetSize(rect);
  if (pane->IsShown() != (rect.width > 0)) pane->Show(rect.width > 0);
}

}  // namespace

int initialLeftWidth(int width) {
  const int space = std::max(0, width - kSplitterBarWidth);
  return space - space / 2;
}

PaneWidths paneWidths(int width, int leftWidth) {
  const int space = std::max(0, width - kSplitterBarWidth);
  if (leftWidth >= space) return {space, 0};
  return {std::max(0, leftWidth), space - std::max(0, leftWidth)};
}

PaneSplitter::PaneSplitter(wxWindow *parent, const wxPoint &position, const wxSize &size)
    : wxWindow(parent, wxID_ANY, position, size, wxBORDER_NONE | wxCLIP_CHILDREN | wxFULL_REPAINT_ON_RESIZE) {
  SetCursor(wxCursor(wxCURSOR_SIZEWE));
  Bind(wxEVT_PAINT, &PaneSplitter::onPaint, this);
  Bind(wxEVT_LEFT_DOWN, &PaneSplitter::onLeftDown, this);
  Bind(wxEVT_MOTION, &PaneSplitter::onMotion, this);
  Bind(wxEVT_LEFT_UP, &PaneSplitter::onLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent &) { dragging_ = false; });
  Bind(wxEVT_SIZE, [this](wxSizeEvent &event) {
    placePanes();
    event.Skip();
  });
}

void PaneSplitter::setPanes(wxWindow *left, wxWindow *right) {
  left_ = left;
  right_ = right;
  left_->Reparent(this);
  right_->Reparent(this);
  // The panes show the splitter's cursor only on the bar, not over their own controls.
  left_->SetCursor(*wxSTANDARD_CURSOR);
  right_->SetCursor(*wxSTANDARD_CURSOR);
  placePanes();
}

void PaneSplitter::placePanes() {
  if (!left_ || !right_) return;
  const wxSize size = GetClientSize();
  int wantedLeft = wantedLeft_;
  if (wantedLeft < 0) {
    // Some toolkits hand out the page's real size only once the window is on screen; the
    // division made for that first real size is the one the left pane keeps.
    wantedLeft = initialLeftWidth(size.x);
    if (IsShownOnScreen() && size.x > kSplitterBarWidth) wantedLeft_ = wantedLeft;
  }
  const PaneWidths widths = paneWidths(size.x, wantedLeft);
  // A squeezed left pane keeps the width it was squeezed to: when the splitter grows again, the
  // right pane takes the growth. A splitter without room for the bar (a minimised window) keeps
  // the division it had.
  if (wantedLeft_ >= 0 && size.x > kSplitterBarWidth) wantedLeft_ = widths.left;
  placePane(left_, wxRect(0, 0, widths.left, size.y));
  placePane(right_, wxRect(widths.left + kSplitterBarWidth, 0, widths.right, size.y));
  Refresh();
}

void PaneSplitter::moveBar(int leftWidth) {
  const int space = std::max(0, GetClientSize().x - kSplitterBarWidth);
  wantedLeft_ = std::clamp(leftWidth, 0, space);
  placePanes();
}

int PaneSplitter::leftWidth() const {
  return left_ ? left_->GetSize().x : 0;
}

void PaneSplitter::onPaint(wxPaintEvent &) {
  wxPaintDC dc(this);
  if (!left_) return;
  // The bar: the window's face colour with a separator line down its middle.
  const int height = GetClientSize().y;
  const int middle = leftWidth() + kSplitterBarWidth / 2;
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
  dc.DrawLine(middle, 0, middle, height);
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT)));
  dc.DrawLine(middle + 1, 0, middle + 1, height);
}

void PaneSplitter::onLeftDown(wxMouseEvent &event) {
  endDrag();
  const int bar = leftWidth();
  if (event.GetX() < bar || event.GetX() >= bar + kSplitterBarWidth) return;
  dragOffset_ = event.GetX() - bar;
  dragging_ = true;
  CaptureMouse();
}

void PaneSplitter::onMotion(wxMouseEvent &event) {
  if (!dragging_) return;
  // The button's release went to another window (outside ours, some systems hand it to the
  // window under the pointer): the drag ended there, and the pointer moving on without the
  // button leaves the bar where it was.
  if (!event.LeftIsDown()) return endDrag();
  moveBar(event.GetX() - dragOffset_);
}

void PaneSplitter::onLeftUp(wxMouseEvent &event) {
  if (!dragging_) return;
  endDrag();
  moveBar(event.GetX() - dragOffset_);
}

void PaneSplitter::endDrag() {
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
}

}  // namespace hengdian
