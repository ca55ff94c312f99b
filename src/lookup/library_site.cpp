#include "lookup/library_site.h"

namespace hengdian {

namespace {

std::u16string libraryUrl(std::u16string_view host, std::u16string_view pathAndQuery) {
  std::u16string url = u"http://";
  url += host;
  url += pathAndQuery;
  return url;
}

}  // namespace

std::u16string libraryDownloadUrl(std::u16string_view host, std::u16string_view itemId) {
  return libraryUrl(host, u"/standard/down.php?auth=") + std::u16string(itemId);
}

std::u16string libraryRefererUrl(std::u16string_view host) {
  return libraryUrl(host, u"/standard/index.html");
}

std::u16string libraryPreviewUrl(std::u16string_view host, std::u16string_view itemId) {
  return libraryUrl(host, u"/standard/yulan.php?itemid=") + std::u16string(itemId);
}

}  // namespace hengdian
