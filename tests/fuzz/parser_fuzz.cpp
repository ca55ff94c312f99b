// The two result-page parsers on any page, code and name: the line is the not-found text or
// whole records, and stays one line whatever the page holds.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "lookup/result_row.h"
#include "lookup/site.h"

using namespace hengdian;

// Input: page, code and name, cut at NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const auto parts = fuzz::partsOf(data, size, 3);
  const std::u16string page = fuzz::anyUtf16(parts[0]);
  const std::u16string code = fuzz::anyUtf16(parts[1]);
  const std::u16string name = fuzz::anyUtf16(parts[2]);
  for (const Site site : kSites) {
    const ParsedPage parsed = parseResultPage(site, page, code, name, u"portal.example");
    const ResultLine &line = parsed.line;
    fuzz::require(!line.empty(), "a parsed line is never empty");
    fuzz::require(line.front() == u'【' && line.back() == u'】', "a parsed line is whole records");
    fuzz::require(!fuzz::hasLineBreakOrControl(line), "a parsed line holds no line break or control");
    ResultRow row{code, name, u"", site};
    fillRow(row, parsed.records);
    fuzz::require(itemId(row).find_first_of(u"/\\\"") == std::u16string::npos,
                  "an item id is one path element");
  }
  return 0;
}
