// The naming rule on any rule, code and name, against the rule expanded as plainly as it is
// defined.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "downloads/naming_rule.h"
#include "fuzz_support.h"
#include "runtime/text.h"

using namespace hengdian;

namespace {

/// Five replacements in a row and no bound: the oracle for the bounded expansion the downloads run.
std::u16string plainExpansion(std::u16string_view rule, std::u16string_view code, std::u16string_view name) {
  std::u16string text(rule);
  for (char16_t form = u'1'; form <= u'4'; ++form)
    text = replaceAll(text, std::u16string(u"[标准代号") + form + u"]", codeForm(code, form - u'0'));
  return replaceAll(text, kNamePlaceholder, name);
}

}  // namespace

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
  // The bounded expansion is the plain one or nothing, and nothing whenever the plain one is too
  // long. (It may also give up on one that fits when a step on the way was longer than the limit.)
  const std::size_t limit = name.size() * 8;
  const std::optional<std::u16string> within = expandNamingRule(rule, code, name, limit);
  const std::u16string plain = plainExpansion(rule, code, name);
  if (within)
    fuzz::require(*within == plain && plain.size() <= limit, "a bounded expansion is the plain one");
  if (plain.size() > limit) fuzz::require(!within, "an expansion longer than its limit is refused");
  if (!within) return 0;
  if (rule.find(u'[') == std::u16string::npos)
    fuzz::require(*within == rule, "a rule without placeholders stays");
  if (code.find_first_of(u"[]") == std::u16string::npos &&
      name.find_first_of(u"[]") == std::u16string::npos) {
    fuzz::require(countOf(*within, kExtensionPlaceholder) >= countOf(rule, kExtensionPlaceholder),
                  "every extension placeholder is left for the download");
  }
  return 0;
}
