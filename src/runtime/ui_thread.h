#pragma once
// Carrying a worker's calls to the user interface thread. The window posts through its toolkit
// (wx CallAfter); the tests stand a plain thread that runs posted closures in order in for it.

#include <functional>
#include <optional>

#include "runtime/stop_flag.h"

namespace hengdian {

/// Hands a closure to the user interface thread, which runs posted closures in posting order.
/// Any thread.
using UiPost = std::function<void(std::function<void()>)>;

/// Runs `call` on the user interface thread and waits for it. When `stop` is raised before the
/// call gets its turn there, the call is skipped and the result is empty; when it is raised while
/// the worker waits, the worker returns at once and the queued call later does nothing. The call
/// runs under the stop flag's lock, so a stop from another thread waits for a call under way.
/// Worker thread.
template <class Result>
std::optional<Result> callOnUiThread(const UiPost &post, StopFlag &stop, std::function<Result()> call);

/// The same for calls without a result; returns whether the call ran. Worker thread.
/// `call` may refer to the caller's locals: it never runs once the caller has returned. It must
/// neither stop the calling job nor run the event loop itself.
bool callOnUiThread(const UiPost &post, StopFlag &stop, const std::function<void()> &call);

/// Hands `call` to the user interface thread without waiting for it; it runs there, in posting
/// order with every other call, only if `stop` is still down when its turn comes, and under the
/// flag's lock, so once a stop has returned none of these calls shows anything more. `call` must
/// own what it works on (the caller may be gone when it runs) and must not wait for another
/// thread. Returns false, posting nothing, when the flag is already raised. Worker thread.
bool postToUiThread(const UiPost &post, StopFlag &stop, std::function<void()> call);

template <class Result>
std::optional<Result> callOnUiThread(const UiPost &post, StopFlag &stop, std::function<Result()> call) {
  std::optional<Result> result;
  const bool ran = callOnUiThread(post, stop, [&] { result = call(); });
  if (!ran) return std::nullopt;
  return result;
}

}  // namespace hengdian
