#pragma once
// The stand-in sites' own pages: what they show when a test has set nothing else. The result pages
// with hits are declared in stand_in_sites.h.

#include <string>

namespace hengdian::testing {

/// The library site's search page for a word that finds nothing (UTF-8 HTML).
std::string libraryEmptyPage();

/// The portal site's search page for a text that finds nothing (UTF-8 HTML).
std::string portalEmptyPage();

/// The library site's start page, /standard/index.html (UTF-8 HTML).
std::string libraryIndexPage();

/// The body of a 404 answer (UTF-8 HTML).
std::string notFoundPage();

}  // namespace hengdian::testing
