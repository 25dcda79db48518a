#include "core/sitemapjob.h"

#include <gtest/gtest.h>

#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

struct Inputs final : ScanInputs {
  std::string folder;
  std::string url;
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return url; }
};

TEST(SitemapJob, ScanWarnsOfLongUrlsThenWritesTheTickedRowsAndReportsInLines) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile("b.htm");
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  inputs.folder = dir.path();
  inputs.url = "http://s/";
  const LocaleFormats formats = test::dayFirstFormats();
  SitemapJob job(settings, pages, inputs, formats);

  ASSERT_TRUE(job.scan());
  EXPECT_EQ(pages.size(), 3u);
  EXPECT_EQ(job.scanWarning(), "");
  inputs.url = "http://s/" + std::string(2048, 'u');
  ASSERT_TRUE(job.scan());
  EXPECT_EQ(job.scanWarning(), "2 Url presiahlo max. povolenú dĺžku 2048 znakov.");

  // Every row of that scan, the root row too, is too long to be written.
  pages.includeAll();
  const SitemapResult result = job.write();
  EXPECT_EQ(result.filePath, dir / "sitemap.xml");
  EXPECT_EQ(result.urlCount, 0u);
  EXPECT_EQ(SitemapJob::report(result),
            "Tessaly vytvorená do súboru:\n" + result.filePath +
                "\n\nVeľkosť súboru: " + std::to_string(result.fileSize) + " B\n\nPočet Url: 0");
}

}  // namespace
}  // namespace qorv
