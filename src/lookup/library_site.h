#pragma once
// The food-standards library site, reached over plain http://: searched by GET, its status images
// mapped to the status vocabulary, and the only site that serves an item's preview and file.

#include <string_view>

#include "lookup/site.h"

namespace hengdian {

/// The status vocabulary of the library site's status images.
enum class StandardStatus { InForce, ComingIntoForce, Withdrawn, PartlyInForce, ToBeWithdrawn, Unknown };

/// "现行有效", "即将实施", "已经废止", "部分有效", "即将废止" or "未知".
constexpr std::u16string_view statusText(StandardStatus status) {
  switch (status) {
    case StandardStatus::InForce:
      return u"现行有效";
    case StandardStatus::ComingIntoForce:
      return u"即将实施";
    case StandardStatus::Withdrawn:
      return u"已经废止";
    case StandardStatus::PartlyInForce:
      return u"部分有效";
    case StandardStatus::ToBeWithdrawn:
      return u"即将废止";
    case StandardStatus::Unknown:
      break;
  }
  return u"未知";
}

/// The status of a library-site image code ("xxyx" and so on, exactly); Unknown otherwise.
StandardStatus statusForImageCode(std::u16string_view imageCode);

/// The library site's description.
extern const SiteDescription kLibrarySite;

}  // namespace hengdian
