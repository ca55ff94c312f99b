#pragma once
// The food-standards library site, reached over plain http://: searched by GET, its status images
// mapped to the status vocabulary, and the only site that serves an item's preview and file.

#include "lookup/site.h"

namespace hengdian {

/// The library site's description.
extern const SiteDescription kLibrarySite;

}  // namespace hengdian
