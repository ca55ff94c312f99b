#pragma once
// Whether the test programs run under wine rather than on a real Windows.

namespace hengdian::testing {

/// True when wine runs this Windows program (its ntdll exports wine_get_version); false on Windows
/// itself and on every other system. Any thread.
bool runsUnderWine();

}  // namespace hengdian::testing
