#include "support/stand_in_pages.h"

#include <cstddef>
#include <string>
#include <vector>

#include "support/stand_in_sites.h"

// Page texts of the two stand-in sites. Each hit's fields are written into the markup verbatim,
// without HTML escaping, so that the result parsers cut out exactly the texts a test gave.

namespace hengdian::testing {
namespace {

std::string fieldOf(const std::vector<std::string> &hit, std::size_t index) {
  return index < hit.size() ? hit[index] : std::string();
}

template <typename... Parts>
void appendAll(std::string &text, const Parts &...parts) {
  ((text += parts), ...);
}

std::string libraryTop() {
  return R"(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>标准检索 - 食品标准资料库</title>
<link rel="stylesheet" type="text/css" href="skin/default/style.css">
</head>
<body>
<div class="head"><a href="/standard/index.html"><img src="skin/default/images/logo.gif" alt="食品标准资料库"></a></div>
<form class="search-box" action="search.php" method="get">
<input type="hidden" name="corpstandard" value="2">
<input type="hidden" name="fields" value="0">
<input type="text" name="kw" size="40"> <input type="submit" value="搜 索">
</form>
<div class="bz_head"><span class="bzmc">标准名称</span><span class="bzzt">状态</span><span class="bzrq">日期</span><span class="bzck">查看</span></div>
<ul class="bz_list">
)";
}

std::string libraryBottom(std::size_t hitCount) {
  return "</ul>\n<div class=\"pages\">共 " + std::to_string(hitCount) +
         " 条记录</div>\n<div class=\"foot\">食品标准资料库（本机替身）</div>\n</body>\n</html>\n";
}

std::string portalTop(std::size_t hitCount) {
  return R"(<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="UTF-8">
<title>检索结果 - 标准信息服务平台</title>
</head>
<body>
<div class="header"><span class="logo">标准信息服务平台</span></div>
<form class="basic-search" action="/basicsearch" method="post">
<input type="text" name="text"> <input type="hidden" name="search" value="a100"> <button type="submit">检索</button>
</form>
<div class="search-result">
<p class="result-count">共找到 <b>)" +
         std::to_string(hitCount) + "</b> 条结果</p>\n";
}

std::string portalBottom() {
  return "</div>\n<div class=\"footer\">标准信息服务平台（本机替身）</div>\n</body>\n</html>\n";
}

}  // namespace

std::string libraryResultPage(const std::vector<std::vector<std::string>> &hits) {
  std::string page = libraryTop();
  for (const auto &hit : hits) {
    const std::string title = fieldOf(hit, 0);
    appendAll(page, "<li>\n<span class=\"bzmc\"><A title=\"", title, "\" href=\"", fieldOf(hit, 4),
              "\" target=\"_blank\">", title,
              "</A></span>\n<span class=\"bzzt\"><img src=\"skin/default/images/", fieldOf(hit, 1),
              ".gif\" width=\"52\" height=\"18\" alt=\"\"></span>\n<span class=\"bzrq\">", fieldOf(hit, 2),
              "</span>\n<span class=\"bzck\">", fieldOf(hit, 3), "</span>\n</li>\n");
  }
  return page + libraryBottom(hits.size());
}

std::string portalResultPage(const std::vector<std::vector<std::string>> &hits) {
  std::string page = portalTop(hits.size());
  for (const auto &hit : hits) {
    const std::string title = fieldOf(hit, 1);
    appendAll(page, "<div class=\"search-list\">\n<div class=\"list-head\">\n",
              "<span style=\"color:#2f7d32;border:1px solid #2f7d32;padding:0 4px;\">", fieldOf(hit, 0),
              "</span>\n<a class=\"flexible\" href=\"", fieldOf(hit, 4), "\" target=\"_blank\"><span alt=\"",
              title, "\" class=\"list-title\">", title, "</span></a>\n</div>\n<ul class=\"list-meta\">\n",
              "<li><span class=\"meta-label\">发布日期：<em>", fieldOf(hit, 2), "</em></span></li>\n",
              "<li><span class=\"meta-label\">实施日期：<em>", fieldOf(hit, 3),
              "</em></span></li>\n</ul>\n</div>\n");
  }
  return page + portalBottom();
}

std::string libraryEmptyPage() {
  return libraryTop() + "<li class=\"none\">没有找到相关的标准，请换个关键词再试。</li>\n" + libraryBottom(0);
}

std::string portalEmptyPage() {
  return portalTop(0) + "<div class=\"no-result\">未检索到相关标准</div>\n" + portalBottom();
}

std::string libraryIndexPage() {
  return R"(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>食品标准资料库</title>
</head>
<body>
<h1>食品标准资料库（本机替身）</h1>
<form action="search.php" method="get">
<input type="hidden" name="corpstandard" value="2">
<input type="hidden" name="fields" value="0">
<input type="text" name="kw"> <input type="submit" value="搜 索">
</form>
</body>
</html>
)";
}

std::string notFoundPage() {
  return "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n"
         "<body><h1>Not Found</h1><p>The requested page does not exist here.</p></body></html>\n";
}

}  // namespace hengdian::testing
