#include "web/response_headers.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

// The final answer's block is read by itself; the chain's charset and redirect target read the
// whole text, so when one response of the chain has a Content-Type and the other none they part.
TEST(ReadResponseHeaders, ReadsTheFinalBlockAndTheChainRulesApart) {
  using Read =
      std::tuple<std::size_t, int, std::u16string, std::u16string, std::u16string, std::u16string,
                 std::u16string>;  // blocks, status, media type, charset, chain charset, target, name
  const auto read = [](std::u16string_view text) {
    const ResponseHeaders headers = readResponseHeaders(text);
    const HeaderBlock &last = headers.finalAnswer();
    return Read{headers.chain.size(), last.status,          last.mediaType,
                last.charset,         headers.chainCharset, headers.redirectTarget,
                last.attachmentName};
  };
  const std::vector<std::tuple<std::u16string, Read>> rows{
      {u"HTTP/1.1 302 Found\r\nContent-Type: text/html; charset=UTF-8\r\nLocation: /Files/A.PDF\r\n\r\n"
       u"HTTP/1.1 200 OK\r\nContent-Disposition: attachment; filename*=UTF-8''GB%202760.PDF\r\n\r\n",
       Read{2, 200, u"", u"", u"utf-8", u"/files/a.pdf", u"gb 2760.pdf"}},
      {u"HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Disposition: attachment; filename=a.pdf\r\n\r\n"
       u"HTTP/2 200\r\nContent-Type: Text/HTML ; Charset=\"GBK\"\r\n\r\n",
       Read{2, 200, u"text/html", u"gbk", u"\"gbk\"", u"/b", u""}},
      {u"HTTP/1.1 200 OK\r\nContent-Disposition: x; filename=\"a b.doc\"; filename*=utf-8''c.zip\r\n\r\n",
       Read{1, 200, u"", u"", u"", u"http/1.1 200 ok", u"c.zip"}},
      {u"", Read{1, 0, u"", u"", u"", u"", u""}},
  };
  testing::expectEach(read, rows);
}

}  // namespace
}  // namespace hengdian
