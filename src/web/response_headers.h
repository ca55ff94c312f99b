#pragma once
// Reading the header text of a response: every header block of its redirect chain, one after the
// other, and the few headers the searches and the downloads look at.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hengdian {

/// One response of a redirect chain as its header block tells it; every text lower-cased.
struct HeaderBlock {
  std::int32_t status = 0;        // the status line's code; 0 when the block has no status line
  std::u16string mediaType;       // the Content-Type without parameters and spaces
  std::u16string charset;         // that Content-Type's charset parameter, unquoted
  std::u16string attachmentName;  // the file name the Content-Disposition gives
  std::u16string retryAfter;      // the last Retry-After, trimmed of spaces and tabs
};

/// What a response's header text tells: each block of the chain, and the two rules that read the
/// chain's text as a whole.
struct ResponseHeaders {
  /// Every response of the chain in order; the last one is the final answer. Never empty.
  std::vector<HeaderBlock> chain;
  /// The search's charset: the text behind the first "charset=" after the last "content-type:"
  /// anywhere in the chain, up to the line end, neither trimmed nor unquoted. So a redirect's
  /// charset still counts when the final answer names no Content-Type.
  std::u16string chainCharset;
  /// The download's redirect target: the value of the last "location:" anywhere in the chain
  /// (a Content-Location's too), trimmed of spaces; without one the first line, which names no
  /// file.
  std::u16string redirectTarget;

  /// The final answer's block.
  const HeaderBlock &finalAnswer() const { return chain.back(); }
};

/// Reads `headerText`, the header lines of every response of a redirect chain as received.
ResponseHeaders readResponseHeaders(std::u16string_view headerText);

}  // namespace hengdian
