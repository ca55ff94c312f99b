#include "web/file_type.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/test_helpers.h"

namespace hengdian {
namespace {

using namespace std::string_literals;

TEST(ExtensionOfTarget, IsTheLowerCasedTextBehindALastDotThatStartsAnExtension) {
  const std::vector<std::tuple<std::u16string, std::u16string>> rows{
      {u"http://a.b/files/gb5009.PDF", u"pdf"},
      {u"/files/a.tar.gz", u"gz"},
      {u"/files/a.pdf?v=1", u"pdf"},     // neither the query
      {u"/files/a.PDF#page=2", u"pdf"},  // nor the fragment is part of it
      {u"/files/a?name=b.pdf", u""},
      {u"/files/a.pdf\" x", u""},    // a space after the dot
      {u"/files/a.pdf\"x", u"pdf"},  // cut at the quote
      {u"", u""},
      {u"/files/noextension", u""},
      {u"http://a.b/files/noextension", u""},  // slash after the dot
      {u"/files/.hidden", u""},
      {u"c:\\files\\.hidden", u""},
      {u".pdf", u""},
      {u"http/1.1 200 ok", u""},  // the status line when nothing redirected
  };
  testing::expectEach(extensionOfTarget, rows);
}

// Only the first 1024 bytes count, and a signature counts only whole: each edge below sits on the
// last byte of the window or of the signature.
TEST(FileTypeMismatch, TheBytesDecideForAKnownTypeAndRuleOutAPageForAnyOther) {
  const std::string junk1019(1019, ' ');
  // {extension, first bytes, media type, fits}
  const std::vector<std::tuple<std::u16string, std::string, std::u16string, bool>> rows{
      {u"pdf", std::string(1000, '\n') + "%PDF-1.4", u"text/html", true},
      {u"pdf", junk1019 + "%PDF-", u"application/pdf", true},
      {u"pdf", junk1019 + "%PDF_", u"application/pdf", false},
      {u"pdf", junk1019 + " %PDF-", u"application/pdf", false},
      {u"pdf", "%P", u"application/pdf", false},
      {u"pdf", "<html>请登录后下载标准</html>", u"text/html", false},
      {u"pdf", "{\"error\":\"login\"}", u"application/json", false},
      {u"doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 doc", u"application/msword", true},
      {u"xlsx", "PK\x03\x04", u"", true},
      {u"zip", "PK\x03\x05", u"", false},
      {u"rar", "Rar!\x1A\x07\0 archive"s, u"", true},
      {u"7z", "7z\xBC\xAF\x27\x1C archive", u"", true},
      {u"html", "<html>page</html>", u"text/html", true},
      {u"caj", "CAJ binary", u"application/octet-stream", true},
      {u"caj", "CAJ binary", u"text/html", false},
      {u"caj", "\xEF\xBB\xBF \r\n<!DOCTYPE HTML><p>", u"application/octet-stream", false},
  };
  testing::expectEach(
      [](std::u16string_view extension, const std::string &head, std::u16string_view mediaType) {
        return fileTypeMismatch(extension, head, mediaType).empty();
      },
      rows);
}

// The redirect names the file; a file sent itself is named by its Content-Disposition, or else
// typed by its bytes.
TEST(OfferedFile, TheRedirectThenTheGivenNameThenTheBytesNameTheFile) {
  const std::u16string ok = u"HTTP/1.1 200 OK\r\n";
  using Offered = std::tuple<std::u16string, std::u16string>;  // name, extension
  const std::vector<std::tuple<std::u16string, std::string, Offered>> rows{
      {u"HTTP/1.1 302 Found\r\nLocation: /files/a.PDF?v=1#top\r\n\r\n" + ok, "x",
       Offered{u"/files/a.pdf", u"pdf"}},
      {ok + u"Content-Disposition: attachment; filename=\"gb.doc\"\r\n\r\n", "%PDF-",
       Offered{u"gb.doc", u"doc"}},
      {ok + u"Content-Disposition: attachment; filename=a.txt; filename*=utf-8''a.zip\r\n\r\n", "",
       Offered{u"a.zip", u"zip"}},
      {ok + u"\r\n", "Rar!\x1A\x07 r", Offered{u"", u"rar"}},
      {ok + u"\r\n", "<html>login", Offered{u"", u""}},
      {u"HTTP/1.1 404 Not Found\r\n\r\n", "%PDF-", Offered{u"http/1.1 404 not found", u""}},
  };
  testing::expectEach(
      [](std::u16string_view text, const std::string &head) {
        const OfferedFile offered = offeredFile(readResponseHeaders(text), head);
        return Offered{offered.name, offered.extension};
      },
      rows);
}

}  // namespace
}  // namespace hengdian
