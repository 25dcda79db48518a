#include "core/sitemapwriter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "core/errors.h"
#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

constexpr const char* kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<urlset xmlns=\"http://www.google.com/schemas/sitemap/0.84\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.google.com/schemas/sitemap/0.84 "
    "http://www.google.com/schemas/sitemap/0.84/sitemap.xsd\">\r\n";
constexpr const char* kTail = "</urlset>\r\n";

class SitemapWriterTest : public ::testing::Test {
 protected:
  SitemapWriterTest() : writer(formats) {
    writer.now = [] { return DateTime{{2006, 6, 1}, {12, 0, 0}}; };
  }

  std::string document() const {
    std::string out;
    writer.writeDocument([&](std::string_view bytes) { out.append(bytes); }, pages, settings);
    return out;
  }

  void addTicked(std::string url, std::string date, std::string time, std::string changefreq,
                 std::string priority) {
    pages.add(std::move(url), std::move(date), std::move(time), std::move(changefreq),
              std::move(priority));
    pages.setIncluded(pages.size() - 1, true);
  }

  /// A root row, a file row and an unticked row.
  void addTypicalRows() {
    addTicked("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    addTicked("http://s/a&amp;b.htm", "31.12.2005", "12:00:00", "none", "none");
    pages.add("http://s/unticked.htm", "1.1.2006", "00:00:00", "none", "none");
  }

  LocaleFormats formats = test::dayFirstFormats();
  GeneratorSettings settings;
  PageList pages;
  SitemapWriter writer;
};

TEST_F(SitemapWriterTest, PrettyLayoutShortLastmod) {
  addTypicalRows();
  EXPECT_EQ(document(), std::string(kHead) +
                            "   <url>\r\n"
                            "      <loc>http://s/</loc>\r\n"
                            "      <lastmod>2006-03-05</lastmod>\r\n"
                            "      <changefreq>daily</changefreq>\r\n"
                            "      <priority>0.5</priority>\r\n"
                            "   </url>\r\n"
                            "   <url>\r\n"
                            "      <loc>http://s/a&amp;b.htm</loc>\r\n"
                            "      <lastmod>2005-12-31</lastmod>\r\n"
                            "   </url>\r\n" +
                            kTail);
}

TEST_F(SitemapWriterTest, CompactLayoutLongLastmod) {
  addTypicalRows();
  settings.compact = true;
  settings.dateOnlyLastmod = false;
  EXPECT_EQ(document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05T9:05:06+01:00</lastmod>"
                            "<changefreq>daily</changefreq><priority>0.5</priority></url>\r\n"
                            "<url><loc>http://s/a&amp;b.htm</loc>"
                            "<lastmod>2005-12-31T12:00:00+01:00</lastmod></url>\r\n" +
                            kTail);
}

TEST_F(SitemapWriterTest, NoTickedRowGivesTheThreeLineFile) {
  pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
  EXPECT_EQ(document(), std::string(kHead) + kTail);
}

struct TagCase {
  const char* name;
  const char* changefreq;
  const char* priority;
  const char* elements;  // what follows lastmod
  friend void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }
};

class SitemapTags : public SitemapWriterTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(SitemapTags, NoneLeavesTheElementOutAndAnythingElseIsWritten) {
  addTicked("http://s/", "5.3.2006", "9:05:06", GetParam().changefreq, GetParam().priority);
  settings.compact = true;
  EXPECT_EQ(document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05</lastmod>" +
                            GetParam().elements + "</url>\r\n" + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapTags,
    ::testing::Values(
        TagCase{"ChangefreqNone", "none", "0.5", "<priority>0.5</priority>"},
        TagCase{"BothNone", "none", "none", ""},
        TagCase{"CapitalNoneIsContent", "None", "none", "<changefreq>None</changefreq>"},
        TagCase{"EmptyIsContent", "none", "", "<priority></priority>"},
        TagCase{"TypedTextIsEscaped", "a<b&c", "none", "<changefreq>a&lt;b&amp;c</changefreq>"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(SitemapWriterTest, LongLastmodCarriesTheTimeTextAndZoneUnchanged) {
  addTicked("http://s/", "5.3.2006", "9:05:06 PM", "none", "none");
  settings.dateOnlyLastmod = false;
  settings.timeZone.setIndex(12);
  settings.compact = true;
  EXPECT_NE(document().find("<lastmod>2006-03-05T9:05:06 PM+00:00</lastmod>"), std::string::npos);
}

TEST_F(SitemapWriterTest, UrlOfExactlyTheLimitIsWrittenOneLongerIsLeftOut) {
  const std::string prefix = "http://s/";
  // Multi-byte characters count once each.
  const std::string atLimit = prefix + std::string(2048 - prefix.size() - 1, 'a') + "š";
  addTicked(atLimit, "5.3.2006", "9:05:06", "none", "none");
  addTicked(atLimit + "b", "5.3.2006", "9:05:06", "none", "none");
  settings.compact = true;
  std::uint64_t count = 0;
  std::string out;
  count = writer.writeDocument([&](std::string_view b) { out.append(b); }, pages, settings);
  EXPECT_EQ(count, 1u);
  EXPECT_NE(out.find("<loc>" + atLimit + "</loc>"), std::string::npos);
  EXPECT_EQ(out.find(atLimit + "b"), std::string::npos);
}

TEST_F(SitemapWriterTest, CompactFileHasOneLinePerUrlPlusThree) {
  for (int i = 0; i < 7; ++i)
    addTicked("http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  settings.compact = true;
  const std::string doc = document();
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 7 + 3);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\r'), 7 + 3);
}

TEST_F(SitemapWriterTest, TwoDigitYearsResolveAgainstTheCurrentYear) {
  formats.shortDateFormat = "d/M/yy";
  addTicked("http://s/", "5.3.06", "9:05:06", "none", "none");
  addTicked("http://s/b", "5.3.57", "9:05:06", "none", "none");
  const std::string doc = document();
  EXPECT_NE(doc.find("<lastmod>2006-03-05</lastmod>"), std::string::npos);
  EXPECT_NE(doc.find("<lastmod>1957-03-05</lastmod>"), std::string::npos);
}

// Writing the file.

class SitemapFile : public SitemapWriterTest {
 protected:
  std::string path() const { return dir / "sitemap.xml"; }
  test::TempDir dir;
};

TEST_F(SitemapFile, WritesTheDocumentAndReportsItsSizeFromTheFolderEntry) {
  addTypicalRows();
  const SitemapResult result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.filePath, path());
  EXPECT_EQ(result.urlCount, 2u);
  const std::string written = test::readFile(path());
  EXPECT_EQ(written, document());
  EXPECT_EQ(result.fileSize, written.size());
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

TEST_F(SitemapFile, ReplacesALongerOldFileEntirelyAndKeepsItsPermissions) {
  dir.writeFile("sitemap.xml", std::string(100000, 'x'));
  ASSERT_EQ(chmod(path().c_str(), 0640), 0);
  writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(test::readFile(path()), std::string(kHead) + kTail);
  struct stat st;
  ASSERT_EQ(stat(path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SitemapFile, WritesIntoTheWorkingFolderBeforeTheFirstScan) {
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  SitemapResult result;
  EXPECT_NO_THROW(result = writer.writeSitemap("", pages, settings));
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(result.filePath, "sitemap.xml");
  EXPECT_EQ(test::readFile(path()), std::string(kHead) + kTail);
  EXPECT_EQ(
      SitemapWriter::reportText(result).rfind("Tessaly vytvorená do súboru:\rsitemap.xml\r\r", 0),
      0u);
}

TEST_F(SitemapFile, WritesNonAsciiTextAsUtf8WithoutAByteOrderMark) {
  addTicked("http://s/š.htm", "5.3.2006", "9:05:06", "none", "none");
  writer.writeSitemap(dir.path(), pages, settings);
  const std::string written = test::readFile(path());
  EXPECT_EQ(written.rfind("<?xml", 0), 0u);
  EXPECT_NE(written.find("http://s/\xC5\xA1.htm"), std::string::npos);
}

TEST_F(SitemapFile, UnreadableDateFailsAndLeavesTheOldFileAndNoTemporaryFile) {
  dir.writeFile("sitemap.xml", "old content");
  addTicked("http://s/", "5.3.2006", "9:05:06", "none", "none");
  addTicked("http://s/b", "3/5/2006", "9:05:06", "none", "none");
  try {
    writer.writeSitemap(dir.path(), pages, settings);
    FAIL() << "no error";
  } catch (const ConvertError& error) {
    EXPECT_STREQ(error.what(), "'3/5/2006' is not a valid date");
  }
  EXPECT_EQ(test::readFile(path()), "old content");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

TEST_F(SitemapFile, MissingFolderIsAnInputOutputError) {
  try {
    writer.writeSitemap(dir / "missing/", pages, settings);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_NE(std::string(error.what()).find(dir / "missing/sitemap.xml"), std::string::npos);
  }
}

TEST_F(SitemapFile, FolderWhereTheFileShouldBeIsAnInputOutputError) {
  dir.makeDir("sitemap.xml");
  EXPECT_THROW(writer.writeSitemap(dir.path(), pages, settings), IoError);
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

TEST_F(SitemapFile, ShortWriteFailsTheRunInsteadOfReportingSuccess) {
  dir.writeFile("sitemap.xml", "old content");
  for (int i = 0; i < 5000; ++i)
    addTicked("http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  // A file size limit makes the kernel accept only part of the document.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limited = previous;
  limited.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  int code = 0;
  try {
    writer.writeSitemap(dir.path(), pages, settings);
  } catch (const IoError& error) {
    code = error.code;
  }
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
  EXPECT_EQ(code, EFBIG);
  EXPECT_EQ(test::readFile(path()), "old content");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

/// Ticked rows whose pretty document is exactly `bytes` long.
void fillToSize(PageList& pages, std::uint64_t bytes) {
  const std::uint64_t element =
      std::string(
          "   <url>\r\n      <loc></loc>\r\n      <lastmod>2006-03-05</lastmod>\r\n   </url>\r\n")
          .size();
  std::uint64_t left = bytes - std::string(kHead).size() - std::string(kTail).size();
  while (left > 2 * (element + 2048)) {
    pages.add(std::string(2000, 'a'), "5.3.2006", "0:00:00", "none", "none");
    left -= element + 2000;
  }
  // Two last rows share what is left, each within the URL length limit.
  const std::uint64_t urls = left - 2 * element;
  pages.add(std::string(urls / 2, 'b'), "5.3.2006", "0:00:00", "none", "none");
  pages.add(std::string(urls - urls / 2, 'c'), "5.3.2006", "0:00:00", "none", "none");
  pages.includeAll();
}

TEST_F(SitemapFile, SizeLimitIsInclusive) {
  for (const std::uint64_t size : {kMaxSitemapBytes, kMaxSitemapBytes + 1}) {
    PageList rows;
    fillToSize(rows, size);
    const SitemapResult result = writer.writeSitemap(dir.path(), rows, settings);
    EXPECT_EQ(result.fileSize, size);
    EXPECT_EQ(result.exceedsLimits(), size > kMaxSitemapBytes);
  }
}

TEST_F(SitemapFile, CountLimitIsInclusiveAndEveryUrlIsWritten) {
  settings.compact = true;
  for (std::uint64_t i = 0; i < kMaxSitemapUrls; ++i)
    pages.add("u", "5.3.2006", "0:00:00", "none", "none");
  pages.includeAll();
  SitemapResult result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.urlCount, kMaxSitemapUrls);
  EXPECT_FALSE(result.exceedsLimits());
  addTicked("u", "5.3.2006", "0:00:00", "none", "none");
  result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.urlCount, kMaxSitemapUrls + 1);
  EXPECT_TRUE(result.exceedsLimits());
  const std::string written = test::readFile(path());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 50001 + 3);
}

struct ReportCase {
  const char* name;
  std::uint64_t size;
  std::uint64_t count;
  const char* text;
  friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class ReportText : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportText, ShowsPathSizeCountAndEachLimitExceeded) {
  const SitemapResult result{"/site/sitemap.xml", GetParam().count, GetParam().size};
  EXPECT_EQ(SitemapWriter::reportText(result), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportText,
    ::testing::Values(
        ReportCase{"WithinLimits", 2345, 12,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 2345 B"
                   "\r\rPočet Url: 12"},
        ReportCase{"AtBothLimits", 10485760, 50000,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485760 B"
                   "\r\rPočet Url: 50000"},
        ReportCase{"SizeOver", 10485761, 0,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485761 B"
                   "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.\r\rPočet Url: 0"},
        ReportCase{
            "BothOver", 10485761, 50001,
            "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485761 B"
            "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.\r\rPočet Url: 50001"
            "\rChyba - je prekročený maximálny počet 50000 Url."}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace qorv
