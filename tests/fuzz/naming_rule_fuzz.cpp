// The naming rule on any rule, code and name.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "downloads/naming_rule.h"
#include "fuzz_support.h"
#include "runtime/text.h"

using namespace hengdian;

// Input: rule, code and name, cut at NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const auto parts = fuzz::partsOf(data, size, 3);
  const std::u16string rule = fuzz::anyUtf16(parts[0]);
  const std::u16string code = fuzz::anyUtf16(parts[1]);
  const std::u16string name = fuzz::anyUtf16(parts[2]);

  for (int form = 1; form <= 4; ++form) {
    const std::u16string spelled = codeForm(code, form);
    fuzz::require(spelled.find(u'/') == std::u16string::npos, "a code form holds no slash");
    if (form >= 3)
      fuzz::require(spelled.find(u'-') == std::u16string::npos, "a short code form holds no dash");
  }
  const std::u16string expanded = expandNamingRule(rule, code, name);
  if (rule.find(u'[') == std::u16string::npos)
    fuzz::require(expanded == rule, "a rule without placeholders stays");
  if (code.find_first_of(u"[]") == std::u16string::npos &&
      name.find_first_of(u"[]") == std::u16string::npos) {
    fuzz::require(countOf(expanded, kExtensionPlaceholder) >= countOf(rule, kExtensionPlaceholder),
                  "every extension placeholder is left for the download");
  }
  // The bounded path is the full one or nothing, and nothing whenever the full one is too long.
  // (It may also give up on a path that fits when a step on the way was longer than the limit.)
  const std::size_t limit = name.size() * 8;
  const std::optional<std::u16string> within = targetPathWithin(u"/d/", rule, code, name, limit);
  const std::u16string path = u"/d/" + expanded;
  if (within) fuzz::require(*within == path && path.size() <= limit, "a bounded path is the full path");
  if (path.size() > limit) fuzz::require(!within, "a path longer than its limit is refused");
  return 0;
}
