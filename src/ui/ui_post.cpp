#include "ui/ui_post.h"

#include <wx/app.h>

#include <utility>

namespace hengdian {

UiPost wxUiPost(std::shared_ptr<PostTarget> target) {
  return [target = std::move(target)](std::function<void()> closure) {
    // The lock keeps the application from going away between the check and the queueing.
    std::lock_guard lock(target->mutex);
    if (!target->alive || !wxTheApp) return;
    wxTheApp->CallAfter([target, closure = std::move(closure)] {
      {
        std::lock_guard lock(target->mutex);
        if (!target->alive) return;
      }
      closure();
    });
  };
}

void closePostTarget(PostTarget &target) {
  std::lock_guard lock(target.mutex);
  target.alive = false;
}

}  // namespace hengdian
