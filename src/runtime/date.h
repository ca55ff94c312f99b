#pragma once
// Points in time as whole seconds on the local wall clock, and their formatting by a mask.

#include <cstdint>
#include <string>
#include <string_view>

namespace hengdian {

/// Whole seconds since 1970-01-01 00:00:00 on the local wall clock, proleptic Gregorian, no time
/// zone and no leap seconds. -1 means invalid.
using DateValue = std::int64_t;

inline constexpr DateValue kInvalidDate = -1;

/// The current local date and time, truncated to the second. Any thread.
DateValue currentDate();

/// `date` written by `mask` with the tokens %yyyy %yy %mm %dd %hh %ii %ss (any case). Empty for
/// an empty mask, an invalid date, or a date before 1601-01-01.
std::u16string formatDate(std::u16string_view mask, DateValue date);

}  // namespace hengdian
