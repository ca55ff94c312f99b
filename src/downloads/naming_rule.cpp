#include "downloads/naming_rule.h"

#include "runtime/text.h"

namespace hengdian {

std::u16string codeForm(std::u16string_view code, int form) {
  switch (form) {
    case 1:
      return replaceAll(code, u"/", u"");
    case 2:
      // U+2044 FRACTION SLASH looks like "/" but may stand in a file name.
      return replaceAll(code, u"/", u"\u2044");
    case 3:
      return fieldOf(codeForm(code, 1), 1, u"-");
    case 4:
      return fieldOf(codeForm(code, 2), 1, u"-");
    default:
      return std::u16string(code);
  }
}

std::u16string expandCodeForms(std::u16string_view rule, std::u16string_view code) {
  // Each step searches the text as the previous step left it, so a code that itself holds a
  // placeholder is expanded by the steps after it.
  std::u16string expanded(rule);
  expanded = replaceAll(expanded, u"[标准代号1]", codeForm(code, 1));
  expanded = replaceAll(expanded, u"[标准代号2]", codeForm(code, 2));
  expanded = replaceAll(expanded, u"[标准代号3]", codeForm(code, 3));
  return replaceAll(expanded, u"[标准代号4]", codeForm(code, 4));
}

std::u16string expandNamingRule(std::u16string_view rule, std::u16string_view code,
                                std::u16string_view name) {
  return replaceAll(expandCodeForms(rule, code), kNamePlaceholder, name);
}

std::u16string targetPath(std::u16string_view folder, std::u16string_view rule, std::u16string_view code,
                          std::u16string_view name) {
  return std::u16string(folder) + expandNamingRule(rule, code, name);
}

}  // namespace hengdian
