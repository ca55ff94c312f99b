#pragma once
// Readers of what the programs write, so that tests compare values rather than long texts: an
// RFC 4180 table, text as its lines, and a result line as its fields.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hengdian::testing {

/// The rows of an RFC 4180 text: fields cut at commas, quoted fields unquoted, rows ended by CR LF.
inline std::vector<std::vector<std::string>> readCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      field += text[++i];
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ',' || c == '\r')) {
      rows.back().push_back(std::move(field));
      field.clear();
      if (c == '\r') {
        EXPECT_EQ(text.substr(i, 2), "\r\n");
        rows.emplace_back();
        ++i;
      }
    } else {
      EXPECT_TRUE(quoted || c != '\n') << "a bare line feed at " << i;
      field += c;
    }
  }
  EXPECT_TRUE(rows.back().empty() && field.empty()) << "the last row has no CR LF";
  rows.pop_back();
  return rows;
}

/// The lines of `text`, each of which must end with a line feed (not kept).
inline std::vector<std::string> textLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    EXPECT_NE(end, std::string_view::npos) << "the last line has no line feed: " << text;
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

/// The fields of a result line "【a■b■c】": {"a", "b", "c"}; the line itself when it is not one.
inline std::vector<std::string> lineFields(std::string_view line) {
  constexpr std::string_view kStart = "【", kEnd = "】", kSeparator = "■";
  if (!line.starts_with(kStart) || !line.ends_with(kEnd)) return {std::string(line)};
  line = line.substr(kStart.size(), line.size() - kStart.size() - kEnd.size());
  std::vector<std::string> fields;
  for (std::size_t end = line.find(kSeparator);; end = line.find(kSeparator)) {
    fields.emplace_back(line.substr(0, end));
    if (end == std::string_view::npos) return fields;
    line.remove_prefix(end + kSeparator.size());
  }
}

}  // namespace hengdian::testing
