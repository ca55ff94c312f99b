#include "downloads/naming_rule.h"

#include <limits>
#include <optional>
#include <string>

#include "downloads/windows_file_name.h"
#include "runtime/code_page.h"
#include "runtime/desktop_folder.h"
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

namespace {

constexpr std::u16string_view kCodePlaceholders[] = {u"[标准代号1]", u"[标准代号2]", u"[标准代号3]",
                                                     u"[标准代号4]"};

/// `text` with every `find` replaced, unless the result would be longer than `limit`: then
/// nothing, found out before the result is built.
std::optional<std::u16string> replaceWithin(const std::u16string &text, std::u16string_view find,
                                            std::u16string_view replacement, std::size_t limit) {
  const std::size_t count = countOf(text, find);
  const std::size_t removed = count * find.size();
  if (replacement.size() > 0 && count > (limit - (text.size() - removed)) / replacement.size())
    return std::nullopt;
  return count == 0 ? text : replaceAll(text, find, replacement);
}

/// The code placeholders of `rule` replaced, each step searching the text as the previous step
/// left it (so a code that itself holds a placeholder is expanded by the steps after it); nothing
/// when a step would make the text longer than `limit`.
std::optional<std::u16string> expandCodeFormsWithin(std::u16string_view rule, std::u16string_view code,
                                                    std::size_t limit) {
  std::optional<std::u16string> expanded = std::u16string(rule);
  if (expanded->size() > limit) return std::nullopt;
  for (int form = 1; form <= 4 && expanded; ++form)
    expanded = replaceWithin(*expanded, kCodePlaceholders[form - 1], codeForm(code, form), limit);
  return expanded;
}

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

}  // namespace

std::u16string expandCodeForms(std::u16string_view rule, std::u16string_view code) {
  return expandCodeFormsWithin(rule, code, kNoLimit).value_or(u"");
}

std::optional<std::u16string> expandNamingRule(std::u16string_view rule, std::u16string_view code,
                                               std::u16string_view name, std::size_t limit) {
  std::optional<std::u16string> expanded = expandCodeFormsWithin(rule, code, limit);
  if (!expanded) return std::nullopt;
  return replaceWithin(*expanded, kNamePlaceholder, name, limit);
}

std::u16string savedPath(std::u16string_view folder, std::u16string_view name, std::u16string_view extension,
                         std::u16string_view redirectTarget) {
  if (folder.empty() && name.empty())
    return desktopFolder() +
           platformFileName(fileNamePart(redirectTarget, true) + u"." + std::u16string(extension));
  // The folder is the user's own and stays as typed; only the name comes from the rule and the site.
  return replaceAll(folder, kExtensionPlaceholder, extension) +
         platformFileName(replaceAll(name, kExtensionPlaceholder, extension));
}

std::u16string numberedPath(std::u16string_view path, int number) {
  const std::size_t nameStart = path.find_last_of(u"/\\") + 1;  // 0 when there is no separator
  std::size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos || dot <= nameStart) dot = path.size();
  return std::u16string(path.substr(0, dot)) + u" (" + u16(std::to_string(number)) + u")" +
         std::u16string(path.substr(dot));
}

}  // namespace hengdian
