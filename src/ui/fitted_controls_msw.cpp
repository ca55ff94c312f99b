#include "ui/fitted_controls.h"

namespace hengdian {

// The message font and the native controls fit the layout's sizes as they are.
void fitToLayoutSize(wxWindow *, int) {}

}  // namespace hengdian
