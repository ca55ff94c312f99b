#pragma once
// Result pages for the benchmarks, shaped like the sites' own: the hits in the sites' markup inside
// the navigation, lists and scripts that make up most of a real page's bytes.

#include <cstddef>
#include <string>

namespace hengdian::bench {

/// A library-site result page of about `bytes` bytes once encoded as GBK, with `hits` hits spread
/// over it. Text, before encoding.
std::u16string libraryPage(std::size_t bytes, std::size_t hits);

/// A portal-site result page of about `bytes` UTF-8 bytes with `hits` hits spread over it, behind
/// the response header lines as the portal fetch returns them.
std::u16string portalPage(std::size_t bytes, std::size_t hits);

/// The library page as the site sends it: GBK bytes.
std::string libraryPageBytes(std::size_t bytes, std::size_t hits);

/// The portal page as the site sends it: UTF-8 bytes of the body, without header lines.
std::string portalPageBytes(std::size_t bytes, std::size_t hits);

}  // namespace hengdian::bench
