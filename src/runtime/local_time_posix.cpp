#include <ctime>

#include "runtime/local_time.h"

namespace hengdian {

LocalTimeFields localTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  // localtime_r rather than localtime: the latter shares one buffer between threads.
  if (localtime_r(&now, &parts) == nullptr) return {};
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
          // A leap second shows as 60; the date value has no room for it.
          parts.tm_sec > 59 ? 59 : parts.tm_sec};
}

}  // namespace hengdian
