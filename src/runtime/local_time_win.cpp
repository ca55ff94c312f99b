#include <windows.h>

#include "runtime/local_time.h"

namespace hengdian {

LocalTimeFields localTimeNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace hengdian
