// The result pages in the forms the real sites use today, read through the stand-ins: a library
// page in GBK under headers without a charset and with absolute https links, and portal links to
// /online/ pages.

#include <gtest/gtest.h>

#include <string>

#include "lookup/query_job.h"
#include "lookup/site.h"
#include "runtime/code_page.h"
#include "support/stand_in_samples.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

class SiteFormsTest : public testing::SitesTest {};

TEST_F(SiteFormsTest, TodaysPageFormsGiveTitleLinkAndItem) {
  testing::serveSamples(sites);
  QuerySettings settings;
  settings.hosts[Site::Library] = u16(sites.libraryHost());
  settings.hosts[Site::Portal] = u16(sites.portalHost());
  settings.http.caFile = http.caFile;
  struct Case {
    Site site;
    std::string link;
    std::u16string item;  // only the library site serves files
  };
  const Case cases[] = {
      {Site::Library, "https://" + sites.libraryHost() + "/standard/sort/3/42368.html", u"42368"},
      {Site::Portal, sites.portalBase() + "/online/0c3a7f1e9b2d4c6a8e5f7b9d1a3c5e7f.html", u""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(siteDescription(c.site).name);
    StopFlag stop;
    const auto entry = checkEntry({u"GB 2760-2014", u""}, c.site, settings, stop, [](int) { return true; });
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->row.error, u"");
    ASSERT_EQ(entry->records.size(), 1u);
    EXPECT_EQ(entry->records[0].title, u"GB 2760-2014 食品安全国家标准 食品添加剂使用标准");
    EXPECT_EQ(entry->row.name, u"食品安全国家标准 食品添加剂使用标准");
    EXPECT_EQ(entry->row.link, u16(c.link));
    EXPECT_EQ(siteDescription(c.site).pageAddress(entry->row.link, settings.hosts[c.site]), u16(c.link));
    if (!c.item.empty()) {
      EXPECT_EQ(itemId(entry->row), c.item);
    }
  }
}

}  // namespace
}  // namespace hengdian
