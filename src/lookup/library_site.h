#pragma once
// The library site's addresses that the window, the command-line tool and the downloads all use,
// built in one place. The library site is reached over plain http://.

#include <string>
#include <string_view>

namespace hengdian {

/// The download of item `itemId`, which the site answers with a redirect to the file.
std::u16string libraryDownloadUrl(std::u16string_view host, std::u16string_view itemId);

/// The site's start page, sent as Referer with every download.
std::u16string libraryRefererUrl(std::u16string_view host);

/// The preview page of item `itemId`, opened in the user's browser.
std::u16string libraryPreviewUrl(std::u16string_view host, std::u16string_view itemId);

}  // namespace hengdian
