#pragma once
// The standards portal site, reached over https://: searched by a form POST whose answer is read
// with its header text in front, its statuses printed in words of its own.

#include "lookup/site.h"

namespace hengdian {

/// The portal site's description.
extern const SiteDescription kPortalSite;

}  // namespace hengdian
