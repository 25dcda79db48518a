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

struct ReportCase {
  const char* name;
  std::uint64_t size;
  std::uint64_t count;
  const char* text;
  std::uint64_t maxBytes = kMaxSitemapBytes;
  std::uint64_t parts = 0;
  bool gzip = false;
  SitemapResult::RobotsLine robots = SitemapResult::RobotsLine::Untouched;
  const char* path = "/site/sitemap.xml";
  friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class SitemapJobReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(SitemapJobReport, ShowsPathSizeCountAndEachLimitExceeded) {
  const ReportCase& c = GetParam();
  const SitemapResult result{c.path, c.count, c.size, c.maxBytes, c.parts, c.gzip, c.robots};
  EXPECT_EQ(SitemapJob::report(result), c.text);
  EXPECT_EQ(result.exceedsLimits(), std::string_view(c.text).find("Chyba") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapJobReport,
    ::testing::Values(
        ReportCase{"WithinLimits", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12"},
        ReportCase{"AtBothLimits", 10485760, 50000,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 10485760 B"
                   "\n\nPočet Url: 50000"},
        ReportCase{"SizeOver", 10485761, 0,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 10485761 B"
                   "\nChyba - je prekročená maximálna veľkosť súboru 10485760 B.\n\nPočet Url: 0"},
        ReportCase{
            "BothOver", 10485761, 50001,
            "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 10485761 B"
            "\nChyba - je prekročená maximálna veľkosť súboru 10485760 B.\n\nPočet Url: 50001"
            "\nChyba - je prekročený maximálny počet 50000 Url."},
        // Schema 0.9 allows 50 MiB, and its error names that limit.
        ReportCase{"SizeOverTheLimitOfSchema09", 52428801, 1,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 52428801 B"
                   "\nChyba - je prekročená maximálna veľkosť súboru 52428800 B.\n\nPočet Url: 1",
                   kMaxSitemapBytes09},
        ReportCase{"WithinTheLimitOfSchema09", 52428800, 1,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 52428800 B"
                   "\n\nPočet Url: 1",
                   kMaxSitemapBytes09},
        // An index names parts that are each within the limits.
        ReportCase{"IndexOfPartsWithCopiesAndRobotsLine", 420, 120000,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 420 B"
                   "\n\nPočet Url: 120000\n\nPočet súborov: 3\n\nKomprimované kópie: .gz"
                   "\n\nrobots.txt: doplnený riadok Sitemap",
                   kMaxSitemapBytes, 3, true, SitemapResult::RobotsLine::Added},
        ReportCase{"RobotsLineAlreadyThere", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12\n\nrobots.txt: riadok Sitemap už je",
                   kMaxSitemapBytes, 0, false, SitemapResult::RobotsLine::AlreadyThere},
        // A line break in the folder's name breaks the line there, whichever
        // it is.
        ReportCase{"LineBreaksInThePath", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/a\nb\nc/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12",
                   kMaxSitemapBytes, 0, false, SitemapResult::RobotsLine::Untouched,
                   "/a\rb\nc/sitemap.xml"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace qorv
