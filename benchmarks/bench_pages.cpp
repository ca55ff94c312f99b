#include "bench_pages.h"

#include <functional>
#include <string>

#include "runtime/code_page.h"

namespace hengdian::bench {

namespace {

/// One piece of the page, numbered.
using Piece = std::function<std::string(std::size_t)>;

std::string libraryFiller(std::size_t k) {
  const std::string n = std::to_string(k);
  return "<li class=\"item\"><a href=\"/standard/list-" + n +
         ".html\" title=\"食品安全国家标准 食品添加剂 第" + n + "部分\">食品安全国家标准 食品添加剂 第" + n +
         "部分</a><span class=\"date\">2021-03-" + std::to_string(10 + k % 20) + "</span></li>\n";
}

std::string libraryHit(std::size_t k) {
  const std::string n = std::to_string(k);
  const std::string title = "GB/T 549" + std::to_string(k % 10) + "-2010 粮油检验 第" + n + "部分";
  return "<li><span class=\"bzmc\"><A title=\"" + title + "\" href=\"/standard/show-" + n +
         ".html\" target=\"_blank\">" + title +
         "</A></span><img src=\"skin/default/images/xxyx.gif\" /><span class=\"bzrq\">2011-05-01</span>"
         "<span class=\"bzck\">" +
         n + "</span><div class=\"clear\"></div></li>\n";
}

std::string portalFiller(std::size_t k) {
  const std::string n = std::to_string(k);
  return "\t\t<li><a href=\"/gb/list?page=" + n + "\" title=\"国家标准 第" + n + "页\">国家标准 检索结果 第" +
         n + "页</a></li>\n";
}

std::string portalHit(std::size_t k) {
  const std::string n = std::to_string(k);
  const std::string title = "GB/T 549" + std::to_string(k % 10) + "-2010 粮油检验 第" + n + "部分";
  return "\t<div class=\"search-list\"><div class=\"title\"><span "
         "style=\"color:#090\">\n\t\t\t现行\n\t\t</span>"
         "<span alt=\"" +
         title + "\">" + title +
         "</span></div>\n\t\t<p><span class=\"l\">发布日期：<em>2010-09-26</em></span><span "
         "class=\"l\">实施日期：<em>2011-05-01</em></span></p>\n\t\t<a class=\"flexible\" "
         "href=\"/gb/detail?id=" +
         n + "\">详细信息</a></div>\n";
}

/// Head, then filler with `hits` hits spread evenly, then foot, until about `bytes` bytes as
/// `encodedSize` counts them.
std::string buildPage(std::size_t bytes, std::size_t hits, const std::string &head, const std::string &foot,
                      const Piece &filler, const Piece &hit,
                      const std::function<std::size_t(const std::string &)> &encodedSize) {
  std::size_t hitBytes = 0;
  for (std::size_t k = 0; k < hits; ++k)
    hitBytes += encodedSize(hit(k));
  const std::size_t fixed = encodedSize(head) + encodedSize(foot) + hitBytes;
  const std::size_t unit = encodedSize(filler(1000));
  const std::size_t units = bytes > fixed ? (bytes - fixed) / unit : 0;
  const std::size_t every = hits == 0 ? units + 1 : units / (hits + 1) + 1;
  std::string page = head;
  std::size_t placed = 0;
  for (std::size_t u = 0; u < units || placed < hits; ++u) {
    if (u < units) page += filler(1000 + u);
    if (placed < hits && (u + 1) % every == 0) page += hit(placed++);
  }
  return page + foot;
}

const std::string kLibraryHead =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" "
    "/>\n"
    "<title>标准搜索 - 食品标准库</title>\n<link href=\"skin/default/style.css\" rel=\"stylesheet\" "
    "/>\n</head>\n"
    "<body>\n<div class=\"list\"><ul>\n";
const std::string kLibraryFoot = "</ul></div>\n<div class=\"foot\">版权所有</div>\n</body>\n</html>\n";
const std::string kPortalHead =
    "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n\t<meta "
    "charset=\"UTF-8\">\n\t<title>标准检索</title>\n</head>\n"
    "<body>\n\t<ul class=\"nav\">\n";
const std::string kPortalFoot = "\t</ul>\n</body>\n</html>\n";

std::size_t gbkSize(const std::string &utf8) {
  return toSystemCodePage(fromUtf8(utf8)).size();
}

std::size_t utf8Size(const std::string &utf8) {
  return utf8.size();
}

std::string libraryUtf8(std::size_t bytes, std::size_t hits) {
  return buildPage(bytes, hits, kLibraryHead, kLibraryFoot, libraryFiller, libraryHit, gbkSize);
}

}  // namespace

std::u16string libraryPage(std::size_t bytes, std::size_t hits) {
  return fromUtf8(libraryUtf8(bytes, hits));
}

std::string libraryPageBytes(std::size_t bytes, std::size_t hits) {
  return toSystemCodePage(libraryPage(bytes, hits));
}

std::string portalPageBytes(std::size_t bytes, std::size_t hits) {
  return buildPage(bytes, hits, kPortalHead, kPortalFoot, portalFiller, portalHit, utf8Size);
}

std::u16string portalPage(std::size_t bytes, std::size_t hits) {
  const std::string body = portalPageBytes(bytes, hits);
  return fromUtf8(
      "HTTP/1.1 200 OK\r\nServer: nginx\r\nContent-Type: text/html;charset=UTF-8\r\nContent-Length: " +
      std::to_string(body.size()) + "\r\n\r\n" + body);
}

}  // namespace hengdian::bench
