#pragma once
// The window's way for the check's worker to reach the user interface thread: closures queued on
// wx's CallAfter, dropped once the window that made the poster has gone.

#include <memory>
#include <mutex>

#include "runtime/ui_thread.h"

namespace hengdian {

/// Whether the window behind a poster still exists; the window clears it when it is destroyed.
struct PostTarget {
  std::mutex mutex;
  bool alive = true;
};

/// A UiPost that queues closures on the wx application's CallAfter. A closure posted or still
/// queued after `target` has been cleared does nothing. Any thread.
UiPost wxUiPost(std::shared_ptr<PostTarget> target);

/// Clears `target`: from here on nothing posted through it runs. UI thread.
void closePostTarget(PostTarget &target);

}  // namespace hengdian
