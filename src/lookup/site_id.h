#pragma once
// The sites a check can ask, by number; lookup/site.h describes each.

#include <cstdint>

namespace hengdian {

/// The sites a check searches. Their numbers are the site chooser's items and the command line's
/// "site" in JSON.
enum class Site : std::int32_t { Library = 0, Portal = 1 };

}  // namespace hengdian
