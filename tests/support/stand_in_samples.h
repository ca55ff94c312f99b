#pragma once
// Sample standards for trying the tool by hand: GB/T 5490-2010 and GB/T 5491-1985 are found on
// both sites, GB/T 99999-2099 finds nothing, and the library's GB/T 5490-2010 downloads as a
// small PDF. The search for "GB/T 5491" lists both its versions, GB/T 5491-2020 in force.
// GB 2760-2014 is found on both sites in the forms the real sites use today.

#include "support/stand_in_sites.h"

namespace hengdian::testing {

/// Sets the sample answers on both sites.
void serveSamples(StandInSites &sites);

}  // namespace hengdian::testing
