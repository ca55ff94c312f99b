#pragma once
// The local wall clock read from the operating system, one implementation per platform.

namespace hengdian {

/// The calendar fields of a local date and time as the system clock shows them.
struct LocalTimeFields {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

/// The current local date and time, to the second. Any thread.
LocalTimeFields localTimeNow();

}  // namespace hengdian
