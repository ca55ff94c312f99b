#pragma once
// Helpers the parser tests share: the saved result pages under tests/data, read as the decoding step
// would hand them over, and the row a parsed line fills.

#include <string>
#include <string_view>

#include "lookup/result_row.h"
#include "lookup/site.h"
#include "runtime/code_page.h"
#include "support/test_helpers.h"

namespace hengdian {

/// The UTF-8 file `name` from the test data folder as text; "" when it cannot be read.
inline std::u16string readTestPage(const std::string &name) {
  return fromUtf8(testing::readFileBytes(std::string(HENGDIAN_TEST_DATA) + "/" + name));
}

/// The row entered as `code` and `name` on `site`, filled from `page` at `host` as after a lookup.
inline ResultRow filledRow(std::u16string_view code, std::u16string_view name, Site site,
                           std::u16string_view page, std::u16string_view host) {
  ResultRow row{std::u16string(code), std::u16string(name), u"", site};
  fillRow(row, parseResultPage(site, page, code, name, host).records);
  return row;
}

}  // namespace hengdian
