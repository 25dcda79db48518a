#include "core/sitemapwriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "core/errors.h"
#include "core/sitemapjob.h"
#include "data/sitemapstylesheet.h"
#include "platform/gzip.h"
#include "tests/support/fakeoutputfolder.h"
#include "tests/support/formats.h"
#include "tests/support/sitemaprows.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using test::addTicked;
using test::addTypicalRows;
using test::indexHead;
using test::kSchema084;
using test::kSchema09;
using test::urlsetHead;
using test::withStylesheet;

using test::kHead;
using test::kTail;

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

  LocaleFormats formats = test::dayFirstFormats();
  GeneratorSettings settings;
  PageList pages;
  SitemapWriter writer;
};

// Writing the file.

class SitemapFile : public SitemapWriterTest {
 protected:
  std::string path() const { return dir / "sitemap.xml"; }
  test::TempDir dir;
};

TEST_F(SitemapFile, WritesTheDocumentAndReportsItsSizeFromTheFolderEntry) {
  addTypicalRows(pages);
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
  EXPECT_EQ(SitemapJob::report(result).rfind("Tessaly vytvorená do súboru:\nsitemap.xml\n\n", 0),
            0u);
}

TEST_F(SitemapFile, WritesNonAsciiTextAsUtf8WithoutAByteOrderMark) {
  addTicked(pages, "http://s/š.htm", "5.3.2006", "9:05:06", "none", "none");
  writer.writeSitemap(dir.path(), pages, settings);
  const std::string written = test::readFile(path());
  EXPECT_EQ(written.rfind("<?xml", 0), 0u);
  EXPECT_NE(written.find("http://s/\xC5\xA1.htm"), std::string::npos);
}

TEST_F(SitemapFile, UnreadableDateFailsAndLeavesTheOldFileAndNoTemporaryFile) {
  dir.writeFile("sitemap.xml", "old content");
  addTicked(pages, "http://s/", "5.3.2006", "9:05:06", "none", "none");
  addTicked(pages, "http://s/b", "3/5/2006", "9:05:06", "none", "none");
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
    addTicked(pages, "http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
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

/// Ticked rows whose pretty document, of a head `headBytes` long, is
/// exactly `bytes` long.
void fillToSize(PageList& pages, std::uint64_t bytes,
                std::uint64_t headBytes = std::string(kHead).size()) {
  const std::uint64_t element =
      std::string(
          "   <url>\r\n      <loc></loc>\r\n      <lastmod>2006-03-05</lastmod>\r\n   </url>\r\n")
          .size();
  std::uint64_t left = bytes - headBytes - std::string(kTail).size();
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
  addTicked(pages, "u", "5.3.2006", "0:00:00", "none", "none");
  result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.urlCount, kMaxSitemapUrls + 1);
  EXPECT_TRUE(result.exceedsLimits());
  const std::string written = test::readFile(path());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 50001 + 3);
}

// The options for search engines: schema 0.9, parts under an index, gzip
// copies and the robots.txt line.

/// The text of every loc element of a document, in order.
std::vector<std::string> locs(const std::string& document) {
  std::vector<std::string> found;
  for (std::size_t at = document.find("<loc>"); at != std::string::npos;
       at = document.find("<loc>", at)) {
    at += 5;
    found.push_back(document.substr(at, document.find("</loc>", at) - at));
  }
  return found;
}

class SearchEngineFiles : public SitemapFile {
 protected:
  void addRows(std::size_t count, std::size_t urlLength = 0) {
    for (std::size_t i = 0; i < count; ++i) {
      std::string url = "http://s/" + std::to_string(i);
      if (url.size() < urlLength) url.append(urlLength - url.size(), 'x');
      pages.add(std::move(url), "5.3.2006", "0:00:00", "none", "none");
    }
    pages.includeAll();
  }
  std::vector<std::string> rowUrls() const {
    std::vector<std::string> urls;
    for (const PageEntry& row : pages) urls.push_back(row.url);
    return urls;
  }
  SitemapResult write() const {
    return writer.writeSitemap(dir.path(), "http://s/", pages, settings);
  }
};

TEST_F(SearchEngineFiles, CountLimitSplitsIntoPartsInListOrderUnderAnIndex) {
  settings.splitIndex = true;
  settings.compact = true;
  for (const SitemapSchema schema : {SitemapSchema::V084, SitemapSchema::V09}) {
    SCOPED_TRACE(schema == SitemapSchema::V09 ? "0.9" : "0.84");
    settings.schema = schema;
    const std::string_view ns = schema == SitemapSchema::V09 ? kSchema09 : kSchema084;
    pages.clear();
    addRows(kMaxSitemapUrls);
    SitemapResult result = write();
    EXPECT_EQ(result.partCount, 0u) << "exactly the limit fits one file";
    EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
    EXPECT_EQ(locs(test::readFile(path())), rowUrls());

    addRows(1);
    pages.at(kMaxSitemapUrls);  // the row past the limit
    result = write();
    EXPECT_EQ(result.partCount, 2u);
    EXPECT_EQ(result.urlCount, kMaxSitemapUrls + 1);
    EXPECT_FALSE(result.exceedsLimits());
    EXPECT_EQ(test::listNames(dir.path()), "sitemap-1.xml sitemap-2.xml sitemap.xml");
    const std::string index = test::readFile(path());
    EXPECT_EQ(index, indexHead(ns) +
                         "<sitemap><loc>http://s/sitemap-1.xml</loc><lastmod>2006-06-01</lastmod>"
                         "</sitemap>\r\n"
                         "<sitemap><loc>http://s/sitemap-2.xml</loc><lastmod>2006-06-01</lastmod>"
                         "</sitemap>\r\n</sitemapindex>\r\n");
    EXPECT_EQ(result.fileSize, index.size());
    const std::string first = test::readFile(dir / "sitemap-1.xml");
    const std::string second = test::readFile(dir / "sitemap-2.xml");
    EXPECT_EQ(first.substr(0, urlsetHead(ns).size()), urlsetHead(ns));
    EXPECT_EQ(second.substr(0, urlsetHead(ns).size()), urlsetHead(ns));
    std::vector<std::string> both = locs(first);
    EXPECT_EQ(both.size(), kMaxSitemapUrls);
    both.push_back(locs(second).at(0));
    EXPECT_EQ(both, rowUrls()) << "every row once, in list order";
  }
}

TEST_F(SearchEngineFiles, ByteLimitSplitsSoThatNoPartExceedsIt) {
  settings.splitIndex = true;
  addRows(6000, 2000);  // about 12 MB in all
  const SitemapResult result = write();
  ASSERT_EQ(result.partCount, 2u);
  std::vector<std::string> all;
  for (const char* part : {"sitemap-1.xml", "sitemap-2.xml"}) {
    const std::string written = test::readFile(dir / part);
    EXPECT_LE(written.size(), kMaxSitemapBytes) << part;
    const std::vector<std::string> found = locs(written);
    all.insert(all.end(), found.begin(), found.end());
  }
  EXPECT_EQ(all, rowUrls());
  // The pretty layout of the index follows that of the urlset.
  EXPECT_EQ(test::readFile(path()), indexHead(kSchema084) +
                                        "   <sitemap>\r\n"
                                        "      <loc>http://s/sitemap-1.xml</loc>\r\n"
                                        "      <lastmod>2006-06-01</lastmod>\r\n"
                                        "   </sitemap>\r\n"
                                        "   <sitemap>\r\n"
                                        "      <loc>http://s/sitemap-2.xml</loc>\r\n"
                                        "      <lastmod>2006-06-01</lastmod>\r\n"
                                        "   </sitemap>\r\n"
                                        "</sitemapindex>\r\n");
  // Schema 0.9 allows 50 MiB: the same rows fit one file.
  settings.schema = SitemapSchema::V09;
  EXPECT_EQ(write().partCount, 0u);
}

TEST_F(SearchEngineFiles, StalePartsOfTheOldIndexGoAndNothingElse) {
  settings.splitIndex = true;
  settings.compact = true;
  test::TempDir other;
  const std::string elsewhere = other.writeFile("sitemap-4.xml", "not ours");
  dir.writeFile("sub/sitemap-3.xml", "in a sub-folder");
  for (const char* name : {"sitemap-1.xml", "sitemap-2.xml", "sitemap-2.xml.gz", "sitemap-3.xml",
                           "sitemap-3.xml.gz", "sitemap-x.xml", "notes.txt"})
    dir.writeFile(name, "old");
  dir.makeDir("sitemap-5.xml");
  ASSERT_EQ(symlink(elsewhere.c_str(), (dir / "sitemap-4.xml").c_str()), 0);
  dir.writeFile("sitemap.xml",
                "<sitemapindex>"
                "<loc>http://s/sitemap-1.xml</loc><loc>http://s/sitemap-2.xml</loc>"
                "<loc>http://elsewhere/sub/sitemap-3.xml</loc><loc>http://s/sitemap-4.xml</loc>"
                "<loc> http://s/sitemap-5.xml </loc><loc>http://s/sitemap-x.xml</loc>"
                "<loc>http://s/notes.txt</loc><loc>http://s/sitemap-6.xml/..</loc>"
                "</sitemapindex>");
  addRows(kMaxSitemapUrls + 1);
  ASSERT_EQ(write().partCount, 2u);
  // Parts 1 and 2 are rewritten; 3 is stale and goes with its copy; the
  // link, the folder and names of another form stay, as does every file
  // outside the scan folder.
  EXPECT_EQ(test::listNames(dir.path()),
            "notes.txt sitemap-1.xml sitemap-2.xml sitemap-2.xml.gz sitemap-4.xml sitemap-5.xml "
            "sitemap-x.xml sitemap.xml sub");
  EXPECT_EQ(test::readFile(dir / "sub/sitemap-3.xml"), "in a sub-folder");
  EXPECT_EQ(test::readFile(elsewhere), "not ours");

  // Fitting one file again, every part of the index before is stale.
  pages.clear();
  addRows(3);
  EXPECT_EQ(write().partCount, 0u);
  EXPECT_EQ(test::listNames(dir.path()),
            "notes.txt sitemap-4.xml sitemap-5.xml sitemap-x.xml sitemap.xml sub")
      << "a part goes with its copy";
}

TEST_F(SearchEngineFiles, WithoutTheSplitOnlySitemapXmlIsTouched) {
  dir.writeFile("sitemap-1.xml", "old part");
  dir.writeFile("sitemap.xml", "<sitemapindex><loc>http://s/sitemap-1.xml</loc></sitemapindex>");
  addRows(kMaxSitemapUrls + 1);
  const SitemapResult result = write();
  EXPECT_EQ(result.partCount, 0u);
  EXPECT_TRUE(result.exceedsLimits()) << "one file over the limit, as ever";
  EXPECT_EQ(test::readFile(dir / "sitemap-1.xml"), "old part");
}

TEST_F(SearchEngineFiles, GzipCopiesHoldExactlyTheBytesOfTheirFiles) {
  settings.gzip = true;
  settings.splitIndex = true;
  dir.writeFile("sitemap.xml.gz", "old copy");
  addRows(kMaxSitemapUrls + 1);
  const SitemapResult result = write();
  EXPECT_TRUE(result.gzipCopies);
  EXPECT_EQ(test::listNames(dir.path()),
            "sitemap-1.xml sitemap-1.xml.gz sitemap-2.xml sitemap-2.xml.gz sitemap.xml "
            "sitemap.xml.gz");
  for (const char* name : {"sitemap-1.xml", "sitemap-2.xml", "sitemap.xml"}) {
    std::string unpacked;
    ASSERT_TRUE(gunzip(test::readFile(dir / (std::string(name) + ".gz")), unpacked)) << name;
    EXPECT_EQ(unpacked, test::readFile(dir / name)) << name;
  }
  // With the option off, an existing copy is left alone.
  settings.gzip = false;
  pages.clear();
  addRows(1);
  write();
  std::string unpacked;
  ASSERT_TRUE(gunzip(test::readFile(dir / "sitemap.xml.gz"), unpacked));
  EXPECT_NE(unpacked, test::readFile(path()));
}

TEST_F(SearchEngineFiles, WhatStandsInAPartsWayFailsTheWriteBeforeAnythingChanges) {
  settings.splitIndex = true;
  settings.gzip = true;
  dir.writeFile("sitemap.xml", "old");
  dir.makeDir("sitemap-2.xml.gz");
  addRows(kMaxSitemapUrls + 1);
  EXPECT_THROW(write(), IoError);
  EXPECT_EQ(test::readFile(path()), "old");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap-2.xml.gz sitemap.xml") << "no temporary file";
}

TEST_F(SearchEngineFiles, RobotsTxtNamesTheSitemapOnceAndALinkThereChangesNothing) {
  settings.robotsTxt = true;
  addRows(1);
  SitemapResult result = write();
  EXPECT_EQ(result.robotsLine, SitemapResult::RobotsLine::Added);
  EXPECT_EQ(test::readFile(dir / "robots.txt"), "Sitemap: http://s/sitemap.xml\r\n");
  result = write();
  EXPECT_EQ(result.robotsLine, SitemapResult::RobotsLine::AlreadyThere);

  // A robots.txt that is a link is read before anything is written: the
  // write fails and changes nothing, the sitemap included.
  std::filesystem::remove(dir / "robots.txt");
  ASSERT_EQ(symlink("elsewhere.txt", (dir / "robots.txt").c_str()), 0);
  std::filesystem::remove(path());
  try {
    write();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.message(), "Cannot read \"" + dir / "robots.txt" +
                                   "\": it is a symbolic link, never written through");
  }
  EXPECT_FALSE(test::fileExists(path()));
  EXPECT_EQ(test::listNames(dir.path()), "robots.txt");
}

class LinkedOutput : public SearchEngineFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(LinkedOutput, IsNeverWrittenThroughAndNothingChanges) {
  // Every file a write with parts, copies, robots.txt and the stylesheet
  // makes, in turn a link to a file of the user's elsewhere.
  settings.splitIndex = true;
  settings.gzip = true;
  settings.robotsTxt = true;
  settings.writeStylesheet = true;
  settings.compact = true;
  addRows(kMaxSitemapUrls + 1);
  test::TempDir other;
  const std::string mine = other.writeFile("mine.txt", "mine");
  const bool sitemapLinked = std::string(GetParam()) == "sitemap.xml";
  if (!sitemapLinked) dir.writeFile("sitemap.xml", "old");
  ASSERT_EQ(symlink(mine.c_str(), (dir / GetParam()).c_str()), 0);
  const std::string before = test::listNames(dir.path());
  try {
    write();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.className(), "EInOutError");
    const std::string tail = dir / GetParam() + "\": it is a symbolic link, never written through";
    EXPECT_TRUE(error.message().ends_with(tail)) << error.message();
  }
  EXPECT_EQ(test::readFile(mine), "mine");
  EXPECT_EQ(test::listNames(dir.path()), before);
  if (!sitemapLinked) {
    EXPECT_EQ(test::readFile(path()), "old");
  }
}

INSTANTIATE_TEST_SUITE_P(Names, LinkedOutput,
                         ::testing::Values("sitemap.xml", "sitemap.xml.gz", "sitemap-1.xml",
                                           "sitemap-2.xml.gz", "robots.txt", "sitemap.xsl"),
                         [](const auto& caseInfo) {
                           std::string name = caseInfo.param;
                           for (char& c : name)
                             if (c == '.' || c == '-') c = '_';
                           return name;
                         });

// The order of a write's steps, on a file system in memory.

class SitemapWriterSteps : public ::testing::Test {
 protected:
  SitemapWriterSteps() : writer(formats, fs) {
    writer.now = [] { return DateTime{{2006, 6, 1}, {12, 0, 0}}; };
    settings.splitIndex = true;
    settings.robotsTxt = true;
    settings.compact = true;
    for (std::uint64_t i = 0; i <= kMaxSitemapUrls; ++i)
      pages.add("http://s/" + std::to_string(i), "5.3.2006", "0:00:00", "none", "none");
    pages.includeAll();
  }

  /// The steps of `log` that put a file in place or remove one.
  std::vector<std::string> changes() const {
    std::vector<std::string> found;
    for (const std::string& step : fs.log) {
      if (step.starts_with("publish ") || step.starts_with("remove ")) found.push_back(step);
    }
    return found;
  }

  test::FakeOutputFileSystem fs;
  LocaleFormats formats = test::dayFirstFormats();
  GeneratorSettings settings;
  PageList pages;
  SitemapWriter writer;
};

TEST_F(SitemapWriterSteps, PartsThenTheIndexThenStalePartsThenRobotsTxt) {
  fs.files["d/sitemap.xml"] =
      "<sitemapindex><loc>http://s/sitemap-2.xml</loc><loc>http://s/sitemap-3.xml</loc>"
      "</sitemapindex>";
  writer.writeSitemap("d/", "http://s/", pages, settings);
  EXPECT_THAT(changes(),
              ::testing::ElementsAre("publish d/sitemap-1.xml", "publish d/sitemap-2.xml",
                                     "publish d/sitemap.xml", "remove d/sitemap-3.xml",
                                     "remove d/sitemap-3.xml.gz", "publish d/robots.txt"));
  EXPECT_EQ(fs.files["d/robots.txt"], "Sitemap: http://s/sitemap.xml\r\n");
}

TEST_F(SitemapWriterSteps, StalePartThatCannotBeRemovedFailsTheWriteOnceRobotsTxtIsDone) {
  fs.files["d/sitemap.xml"] = "<sitemapindex><loc>http://s/sitemap-3.xml</loc></sitemapindex>";
  fs.files["d/sitemap-3.xml"] = "old part";
  fs.failures["remove d/sitemap-3.xml"] = EACCES;
  try {
    writer.writeSitemap("d/", "http://s/", pages, settings);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.message(), "Cannot remove \"d/sitemap-3.xml\": Permission denied");
  }
  EXPECT_EQ(fs.files["d/robots.txt"], "Sitemap: http://s/sitemap.xml\r\n");
  EXPECT_TRUE(fs.files["d/sitemap.xml"].starts_with(indexHead())) << "the new index is in place";
}

// Language alternates.

class AlternateFiles : public SitemapWriterSteps {
 protected:
  AlternateFiles() {
    settings.robotsTxt = false;
    settings.compact = false;
    settings.schema = SitemapSchema::V09;
    settings.hreflang = true;
    pages.clear();
  }
  SitemapResult write() const { return writer.writeSitemap("d/", "http://s/", pages, settings); }
};

TEST_F(AlternateFiles, CountTowardsTheByteLimitAndEveryPartDeclaresTheirNamespace) {
  // A document exactly at the limit fits one file; one alternate more
  // splits it, and no part passes the limit.
  const std::string head = documentHead(SitemapDocument::Urlset, settings);
  ASSERT_NE(head.find(R"(xmlns:xhtml="http://www.w3.org/1999/xhtml")"), std::string::npos);
  fillToSize(pages, kMaxSitemapBytes09, head.size());
  SitemapResult result = write();
  EXPECT_EQ(result.partCount, 0u);
  EXPECT_EQ(result.fileSize, kMaxSitemapBytes09);

  pages.setAlternates(pages.size() - 1, {{"sk", "http://s/sk/"}});
  result = write();
  ASSERT_EQ(result.partCount, 2u);
  for (const char* part : {"d/sitemap-1.xml", "d/sitemap-2.xml"}) {
    EXPECT_LE(fs.files[part].size(), kMaxSitemapBytes09) << part;
    EXPECT_TRUE(fs.files[part].starts_with(head)) << part;
  }
  EXPECT_THAT(fs.files["d/sitemap-2.xml"],
              ::testing::HasSubstr("      <xhtml:link rel=\"alternate\" hreflang=\"sk\" "
                                   "href=\"http://s/sk/\"/>\r\n   </url>\r\n</urlset>\r\n"));
  EXPECT_TRUE(fs.files["d/sitemap.xml"].starts_with(indexHead(kSchema09)))
      << "an index declares no namespace it does not use";
}

TEST_F(AlternateFiles, OffTheWriteIsByteForByteTheSameAsWithoutAny) {
  pages.add("http://s/en/", "5.3.2006", "0:00:00", "none", "none",
            {{"en", "http://s/en/"}, {"sk", "http://s/sk/"}});
  pages.add("http://s/sk/", "5.3.2006", "0:00:00", "none", "none", {{"sk", "http://s/sk/"}});
  pages.includeAll();
  PageList bare;
  for (const PageEntry& row : pages)
    bare.add(row.url, row.dateText, row.timeText, row.changefreq, row.priority);
  bare.includeAll();
  for (const SitemapSchema schema : {SitemapSchema::V084, SitemapSchema::V09}) {
    for (const bool hreflang : {false, true}) {
      if (schema == SitemapSchema::V09 && hreflang) continue;
      settings.schema = schema;
      settings.hreflang = hreflang;
      const SitemapResult result = write();
      const std::string written = fs.files["d/sitemap.xml"];
      EXPECT_THAT(result.withoutReturnLinks, ::testing::IsEmpty());
      writer.writeSitemap("d/", "http://s/", bare, settings);
      EXPECT_EQ(written, fs.files["d/sitemap.xml"]);
    }
  }
}

// The stylesheet that the files name, and the program's own sitemap.xsl.

class StylesheetFiles : public SitemapWriterSteps {
 protected:
  StylesheetFiles() {
    settings.robotsTxt = false;
    settings.writeStylesheet = true;
  }
  SitemapResult write() const { return writer.writeSitemap("d/", "http://s/", pages, settings); }
};

TEST_F(StylesheetFiles, EveryPartAndTheIndexNameItInEitherLayout) {
  for (const bool compact : {true, false}) {
    SCOPED_TRACE(compact ? "compact" : "pretty");
    settings.compact = compact;
    ASSERT_EQ(write().partCount, 2u);
    const std::string urlset = withStylesheet(urlsetHead(), "sitemap.xsl");
    EXPECT_TRUE(fs.files["d/sitemap-1.xml"].starts_with(urlset));
    const std::string last = "http://s/" + std::to_string(kMaxSitemapUrls);
    std::string part = urlset;
    part.append(compact ? "<url><loc>" : "   <url>\r\n      <loc>").append(last);
    part.append(compact ? "</loc><lastmod>2006-03-05</lastmod></url>\r\n"
                        : "</loc>\r\n      <lastmod>2006-03-05</lastmod>\r\n   </url>\r\n");
    EXPECT_EQ(fs.files["d/sitemap-2.xml"], part.append(kTail));
    EXPECT_EQ(fs.files["d/sitemap.xml"],
              withStylesheet(indexHead(), "sitemap.xsl") +
                  (compact ? "<sitemap><loc>http://s/sitemap-1.xml</loc><lastmod>2006-06-01"
                             "</lastmod></sitemap>\r\n"
                             "<sitemap><loc>http://s/sitemap-2.xml</loc><lastmod>2006-06-01"
                             "</lastmod></sitemap>\r\n"
                           : "   <sitemap>\r\n      <loc>http://s/sitemap-1.xml</loc>\r\n"
                             "      <lastmod>2006-06-01</lastmod>\r\n   </sitemap>\r\n"
                             "   <sitemap>\r\n      <loc>http://s/sitemap-2.xml</loc>\r\n"
                             "      <lastmod>2006-06-01</lastmod>\r\n   </sitemap>\r\n") +
                  "</sitemapindex>\r\n");
  }
}

TEST_F(StylesheetFiles, ItsLineCountsTowardsTheByteLimit) {
  // A document exactly at the limit with its line fits one file; one byte
  // more of href splits it, and no part passes the limit.
  pages.clear();
  settings.compact = false;
  settings.writeStylesheet = false;
  settings.stylesheet = "s.xsl";
  fillToSize(pages, kMaxSitemapBytes, withStylesheet(kHead, "s.xsl").size());
  SitemapResult result = write();
  EXPECT_EQ(result.partCount, 0u);
  EXPECT_EQ(result.fileSize, kMaxSitemapBytes);
  EXPECT_TRUE(fs.files["d/sitemap.xml"].starts_with(withStylesheet(kHead, "s.xsl")));

  settings.stylesheet = "ss.xsl";
  result = write();
  ASSERT_EQ(result.partCount, 2u);
  for (const char* part : {"d/sitemap-1.xml", "d/sitemap-2.xml"}) {
    EXPECT_LE(fs.files[part].size(), kMaxSitemapBytes) << part;
    EXPECT_TRUE(fs.files[part].starts_with(withStylesheet(kHead, "ss.xsl"))) << part;
  }
  EXPECT_FALSE(fs.files.count("d/sitemap.xsl")) << "only written when asked for";
}

TEST_F(StylesheetFiles, TheProgramsOwnIsInPlaceFirstWithoutACopy) {
  settings.gzip = true;
  settings.robotsTxt = true;
  settings.stylesheet = "https://cdn/x.xsl";
  const SitemapResult result = write();
  EXPECT_EQ(result.stylesheetFile, SitemapResult::StylesheetFile::Written);
  EXPECT_TRUE(fs.files["d/sitemap.xsl"] == kSitemapStylesheet);
  EXPECT_FALSE(fs.files.count("d/sitemap.xsl.gz"));
  EXPECT_THAT(changes(),
              ::testing::ElementsAre("publish d/sitemap.xsl", "publish d/sitemap-1.xml.gz",
                                     "publish d/sitemap-1.xml", "publish d/sitemap-2.xml.gz",
                                     "publish d/sitemap-2.xml", "publish d/sitemap.xml.gz",
                                     "publish d/sitemap.xml", "publish d/robots.txt"));
  EXPECT_TRUE(
      fs.files["d/sitemap.xml"].starts_with(withStylesheet(indexHead(), "https://cdn/x.xsl")))
      << "a named stylesheet comes before the program's own";
}

struct ExistingStylesheetCase {
  const char* name;
  std::string content;
  bool ours;
  friend void PrintTo(const ExistingStylesheetCase& c, std::ostream* os) { *os << c.name; }
};

class ExistingStylesheet : public StylesheetFiles,
                           public ::testing::WithParamInterface<ExistingStylesheetCase> {};

TEST_P(ExistingStylesheet, IsReplacedOnlyWhenItIsTheProgramsOwn) {
  const std::string old = GetParam().content;
  fs.files["d/sitemap.xsl"] = old;
  const SitemapResult result = write();
  EXPECT_EQ(result.stylesheetFile, GetParam().ours ? SitemapResult::StylesheetFile::Written
                                                   : SitemapResult::StylesheetFile::NotOurs);
  if (GetParam().ours) {
    EXPECT_TRUE(fs.files["d/sitemap.xsl"] == kSitemapStylesheet);
  } else {
    EXPECT_EQ(fs.files["d/sitemap.xsl"], old);
    EXPECT_THAT(changes(), ::testing::Not(::testing::Contains("publish d/sitemap.xsl")));
    EXPECT_THAT(SitemapJob::report(result),
                ::testing::EndsWith("\n\nsitemap.xsl už existuje a nie je náš: ponechaný."));
  }
  // Either way the files name the one there.
  EXPECT_TRUE(fs.files["d/sitemap.xml"].starts_with(withStylesheet(indexHead(), "sitemap.xsl")));
}

/// The program's stylesheet without its second line, the marker.
std::string withoutMarker() {
  std::string text(kSitemapStylesheet);
  const std::size_t second = text.find('\n') + 1;
  return text.erase(second, text.find('\n', second) + 1 - second);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExistingStylesheet,
    ::testing::Values(
        ExistingStylesheetCase{"AnEarlierVersionOfOurs",
                               "<?xml version=\"1.0\"?>\n" + std::string(kSitemapStylesheetMarker) +
                                   " older -->\n<xsl:stylesheet/>\n",
                               true},
        ExistingStylesheetCase{"OursAsItIs", std::string(kSitemapStylesheet), true},
        ExistingStylesheetCase{"TheUsersOwn", "<xsl:stylesheet>mine</xsl:stylesheet>\n", false},
        ExistingStylesheetCase{"OursChangedWithItsMarkerRemoved", withoutMarker(), false},
        ExistingStylesheetCase{"EmptyFile", "", false},
        ExistingStylesheetCase{
            "MarkerOnlyFarDown",
            "<!--" + std::string(8192, ' ') + "-->" + std::string(kSitemapStylesheet), false}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(StylesheetFiles, OneThatCannotBeReadFailsTheWriteBeforeAnythingChanges) {
  fs.files["d/sitemap.xsl"] = "<xsl:stylesheet/>";
  fs.failures["read d/sitemap.xsl"] = EIO;
  try {
    write();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.message(), "Cannot read \"d/sitemap.xsl\": Input/output error");
  }
  EXPECT_THAT(changes(), ::testing::IsEmpty());
  EXPECT_EQ(fs.pendingFiles, 0) << "every file begun is dropped";
}

}  // namespace
}  // namespace qorv
