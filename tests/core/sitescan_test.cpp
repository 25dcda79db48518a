#include "core/sitescan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <random>

#include "core/errors.h"
#include "platform/faultpoints.h"
#include "tests/support/asuser.h"
#include "tests/support/fakefilesystem.h"
#include "tests/support/formats.h"
#include "tests/support/randomtree.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::StartsWith;

/// The main window's two texts, changeable while a scan runs.
struct Inputs final : ScanInputs {
  std::string folder;
  std::string url = "http://example.com";
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return url; }
};

/// A scan of a real temporary folder, with a fixed clock.
class SiteScannerTest : public ::testing::Test {
 protected:
  SiteScannerTest() : scanner(settings, pages, inputs, formats) {
    inputs.folder = dir.path();
    scanner.now = [] { return DateTime{{2006, 3, 5}, {9, 5, 7}}; };
  }

  /// URL of every row after the root row, in list order.
  std::vector<std::string> fileUrls() const {
    std::vector<std::string> urls;
    for (std::size_t i = 1; i < pages.size(); ++i) urls.push_back(pages.at(i).url);
    return urls;
  }

  test::TempDir dir;
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner;
};

TEST_F(SiteScannerTest, RootRowThenFileRowsAllUntickedWithTheirTimes) {
  dir.writeFile("a.htm");
  dir.setLocalMTime("a.htm", 2005, 12, 31, 14, 3, 7);
  inputs.url = "http://example.com";
  ASSERT_TRUE(scanner.run());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages.at(0),
            (PageEntry{"http://example.com/", "5.3.2006", "9:05:07", "daily", "0.5", false}));
  EXPECT_EQ(pages.at(1), (PageEntry{"http://example.com/a.htm", "31.12.2005", "14:03:06", "none",
                                    "none", false}));
  EXPECT_EQ(scanner.rootUrl(), "http://example.com/");
  EXPECT_EQ(scanner.scanFolder(), dir.path());
  EXPECT_EQ(scanner.overlongCount(), 0);
}

TEST_F(SiteScannerTest, FileTimesOutsideTheUsualRangeKeepTheirRealDate) {
  dir.writeFile("old.htm");
  dir.setLocalMTime("old.htm", 1970, 1, 2, 0, 0, 0);
  dir.writeFile("future.htm");
  dir.setLocalMTime("future.htm", 2200, 7, 1, 12, 0, 0);
  scanner.run();
  std::vector<std::string> dates;
  for (std::size_t i = 1; i < pages.size(); ++i) dates.push_back(pages.at(i).dateText);
  std::sort(dates.begin(), dates.end());
  EXPECT_THAT(dates, ElementsAre("1.7.2200", "2.1.1970"));
}

TEST_F(SiteScannerTest, SiteUrlWithOrWithoutFinalSlashGivesTheSameRows) {
  dir.writeFile("a.htm");
  inputs.url = "http://example.com";
  scanner.run();
  const std::vector<std::string> without = fileUrls();
  inputs.url = "http://example.com/";
  scanner.run();
  EXPECT_EQ(fileUrls(), without);
  EXPECT_THAT(without, ElementsAre("http://example.com/a.htm"));
}

TEST_F(SiteScannerTest, LocalFolderGetsItsSlashOnce) {
  inputs.folder = dir.path().substr(0, dir.path().size() - 1);
  scanner.run();
  EXPECT_EQ(scanner.scanFolder(), dir.path());
  inputs.folder = dir.path();
  scanner.run();
  EXPECT_EQ(scanner.scanFolder(), dir.path());
}

struct UrlCase {
  const char* name;
  const char* base;
  const char* relative;
  const char* url;
  friend void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }
};

class FileUrlEncodingNonAscii : public ::testing::TestWithParam<UrlCase> {};

TEST_P(FileUrlEncodingNonAscii, WritesEveryByteOutsideAsciiOfThePathAsPercentHex) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(SiteScanner::fileUrl(c.base, c.relative, "index.htm", true), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileUrlEncodingNonAscii,
    ::testing::Values(
        UrlCase{"TwoByteLetter", "http://s", "cenník.htm", "http://s/cenn%C3%ADk.htm"},
        UrlCase{"ThreeByteLetters", "http://s", "日本.htm", "http://s/%E6%97%A5%E6%9C%AC.htm"},
        UrlCase{"FourByteLetter", "http://s", "\xF0\x9F\x98\x80.htm", "http://s/%F0%9F%98%80.htm"},
        UrlCase{"FolderNamesToo", "http://s", "žltý/a b.htm", "http://s/%C5%BElt%C3%BD/a%20b.htm"},
        UrlCase{"InvalidBytesAsBefore", "http://s",
                "a\xFF"
                "b.htm",
                "http://s/a%FFb.htm"},
        UrlCase{"TheSiteUrlStaysAsTyped", "http://háj.sk/", "é.htm", "http://háj.sk/%C3%A9.htm"},
        UrlCase{"AsciiAndEntitiesUnchanged", "http://s", "a&b.htm", "http://s/a&amp;b.htm"},
        UrlCase{"IndexFileStillLeavesTheFolder", "http://s", "čaj/index.htm",
                "http://s/%C4%8Daj/"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

class FileUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(FileUrl, JoinsTheSiteUrlAndTheEncodedPath) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(SiteScanner::fileUrl(c.base, c.relative, "index.htm"), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileUrl,
    ::testing::Values(
        UrlCase{"SubFolder", "http://s", "sub/page.htm", "http://s/sub/page.htm"},
        UrlCase{"BaseEndingInSlash", "http://s/", "a.htm", "http://s/a.htm"},
        UrlCase{"EmptyBase", "", "a.htm", "/a.htm"},
        UrlCase{"AmpersandAndApostropheAreEscaped", "http://s", "a&b'c.htm",
                "http://s/a&amp;b&apos;c.htm"},
        UrlCase{"EntityInANameIsEscapedAgain", "http://s", "&amp;.htm", "http://s/&amp;amp;.htm"},
        UrlCase{"BlankIsEncoded", "http://s", "my page.htm", "http://s/my%20page.htm"},
        UrlCase{"LettersOutsideAsciiStay", "http://s", "cenník/š.htm", "http://s/cenník/š.htm"},
        UrlCase{"OtherPunctuationStays", "http://s", "a!$()*+,-.;=@_~:b.htm",
                "http://s/a!$()*+,-.;=@_~:b.htm"},
        UrlCase{"InvalidUtf8BytesAreEncoded", "http://s", "a\xff\xfe.htm", "http://s/a%FF%FE.htm"},
        UrlCase{"ControlCharactersAreEncoded", "http://s", "a\tb\nc\x7f.htm",
                "http://s/a%09b%0Ac%7F.htm"},
        UrlCase{"NonCharactersAreEncoded", "http://s", "\xef\xbf\xbe.htm",
                "http://s/%EF%BF%BE.htm"},
        // The site URL is the user's: escaped for XML, its backslashes turned
        // into "/", its control characters and stray bytes encoded, nothing else.
        UrlCase{"SiteUrlPartIsLeftAlone", "http://s/a b#c?d[e]^`{|}%20~", "x y.htm",
                "http://s/a b#c?d[e]^`{|}%20~/x%20y.htm"},
        UrlCase{"SiteUrlPartIsOnlyXmlEscaped", "http://s/\"<'&>\"", "a.htm",
                "http://s/&quot;&lt;&apos;&amp;&gt;&quot;/a.htm"},
        UrlCase{"BackslashesOfTheSiteUrlBecomeSlashes", "http://s\\site", "a\\b.htm",
                "http://s/site/a%5Cb.htm"},
        UrlCase{"SiteUrlControlCharactersAndStrayBytes", "http://s/\t\xff", "a.htm",
                "http://s/%09%FF/a.htm"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// Every byte that may not stand in a URL path, in a file name and in a
// folder name.
TEST(FileUrlEncoding, EveryReservedCharacterOfAFileOrFolderName) {
  const struct {
    char byte;
    const char* encoded;
  } cases[] = {{' ', "%20"}, {'"', "%22"}, {'#', "%23"}, {'%', "%25"},  {'<', "%3C"},
               {'>', "%3E"}, {'?', "%3F"}, {'[', "%5B"}, {'\\', "%5C"}, {']', "%5D"},
               {'^', "%5E"}, {'`', "%60"}, {'{', "%7B"}, {'|', "%7C"},  {'}', "%7D"}};
  for (const auto& c : cases) {
    const std::string byte(1, c.byte);
    EXPECT_EQ(SiteScanner::fileUrl("http://s", "a" + byte + "b.htm", "index.htm"),
              std::string("http://s/a") + c.encoded + "b.htm")
        << "file name with " << byte;
    EXPECT_EQ(SiteScanner::fileUrl("http://s", "f" + byte + "g/index.htm", "index.htm"),
              std::string("http://s/f") + c.encoded + "g/")
        << "folder name with " << byte;
  }
}

// The index file rule: only a file named exactly the index file leaves its
// name out; nothing else of the URL is ever cut.
struct IndexCase {
  const char* name;
  const char* base;
  const char* relative;
  const char* withoutIndexFile;
  const char* withIndexHtm;
  const char* withIndexHtml;
  friend void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }
};

class IndexFileRule : public ::testing::TestWithParam<IndexCase> {};

TEST_P(IndexFileRule, LeavesOutOnlyAWholeFileName) {
  const IndexCase& c = GetParam();
  EXPECT_EQ(SiteScanner::fileUrl(c.base, c.relative, ""), c.withoutIndexFile);
  EXPECT_EQ(SiteScanner::fileUrl(c.base, c.relative, "index.htm"), c.withIndexHtm);
  EXPECT_EQ(SiteScanner::fileUrl(c.base, c.relative, "index.html"), c.withIndexHtml);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexFileRule,
    ::testing::Values(
        IndexCase{"InTheFolderItself", "http://s", "index.htm", "http://s/index.htm", "http://s/",
                  "http://s/index.htm"},
        IndexCase{"InASubFolder", "http://s", "sub/index.htm", "http://s/sub/index.htm",
                  "http://s/sub/", "http://s/sub/index.htm"},
        IndexCase{"LongerName", "http://s", "index.html", "http://s/index.html",
                  "http://s/index.html", "http://s/"},
        IndexCase{"NameEndingInTheIndexName", "http://s", "myindex.htm", "http://s/myindex.htm",
                  "http://s/myindex.htm", "http://s/myindex.htm"},
        IndexCase{"GeneratedIndexPages", "http://s", "genindex.html", "http://s/genindex.html",
                  "http://s/genindex.html", "http://s/genindex.html"},
        IndexCase{"IndexNameInsideALongerName", "http://s", "py-modindex.html",
                  "http://s/py-modindex.html", "http://s/py-modindex.html",
                  "http://s/py-modindex.html"},
        IndexCase{"HyphenBeforeTheIndexName", "http://s", "doc-index.html",
                  "http://s/doc-index.html", "http://s/doc-index.html", "http://s/doc-index.html"},
        IndexCase{"CaseSensitive", "http://s", "Index.htm", "http://s/Index.htm",
                  "http://s/Index.htm", "http://s/Index.htm"},
        IndexCase{"FolderNamedLikeTheIndexFile", "http://s", "index.htm/index.htm",
                  "http://s/index.htm/index.htm", "http://s/index.htm/",
                  "http://s/index.htm/index.htm"},
        IndexCase{"FolderNamedLikeTheIndexFileHoldingAnotherFile", "http://s", "index.htm/a.htm",
                  "http://s/index.htm/a.htm", "http://s/index.htm/a.htm",
                  "http://s/index.htm/a.htm"},
        IndexCase{"IndexNameInTheSiteUrl", "http://index.htm.example", "a.htm",
                  "http://index.htm.example/a.htm", "http://index.htm.example/a.htm",
                  "http://index.htm.example/a.htm"},
        IndexCase{"SiteUrlEndingInTheIndexName", "http://s/index.htm", "index.htm",
                  "http://s/index.htm/index.htm", "http://s/index.htm/",
                  "http://s/index.htm/index.htm"},
        IndexCase{"IndexFileWithAnEncodedByte", "http://s", "a b/index.html",
                  "http://s/a%20b/index.html", "http://s/a%20b/index.html", "http://s/a%20b/"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// An index file name that matches only a piece of the escaped URL (an
// entity, half a character, an encoded byte) cuts nothing.
TEST(IndexFileRule, IsMatchedAgainstTheNameOnDiskNotTheEscapedUrl) {
  const struct {
    const char* relative;
    const char* indexFile;
    const char* url;
  } cases[] = {
      {"a&b.htm", "a&b.htm", "http://s/"},
      {"a&b.htm", "amp;b.htm", "http://s/a&amp;b.htm"},
      {"a&b.htm", "a&am", "http://s/a&amp;b.htm"},
      {"a&x/amp;x", "amp;x", "http://s/a&amp;x/"},
      {"\xC3\xA9.htm", "\xA9.htm", "http://s/\xC3\xA9.htm"},
      {"a b.htm", "a b.htm", "http://s/"},
      {"a b.htm", "a%20b.htm", "http://s/a%20b.htm"},
      {"sub/index.htm", "sub/index.htm", "http://s/sub/index.htm"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SiteScanner::fileUrl("http://s", c.relative, c.indexFile), c.url)
        << c.relative << " with index file " << c.indexFile;
  }
}

TEST_F(SiteScannerTest, IndexFileOfTheFolderItselfGivesNoRow) {
  dir.writeFile("index.htm");
  dir.writeFile("sub/index.htm");
  scanner.run();
  EXPECT_THAT(fileUrls(), ElementsAre("http://example.com/sub/"));
}

TEST_F(SiteScannerTest, RootRowIsEscapedSoASiteUrlWithAnAmpersandGivesNoExtraRow) {
  dir.writeFile("index.htm");
  inputs.url = "http://example.com/?a=1&b=2";
  scanner.run();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages.at(0).url, "http://example.com/?a=1&amp;b=2/");
  EXPECT_EQ(scanner.rootUrl(), "http://example.com/?a=1&b=2/");
}

TEST_F(SiteScannerTest, BackslashesOfTheSiteUrlStayInTheRootRowOnly) {
  dir.writeFile("index.htm");
  dir.writeFile("a.htm");
  inputs.url = "http://example.com\\site";
  scanner.run();
  EXPECT_EQ(pages.at(0).url, "http://example.com\\site/");
  std::vector<std::string> urls = fileUrls();
  std::sort(urls.begin(), urls.end());
  EXPECT_THAT(urls, ElementsAre("http://example.com/site/", "http://example.com/site/a.htm"));
}

TEST_F(SiteScannerTest, EmptySiteUrl) {
  dir.writeFile("a.htm");
  inputs.url = "";
  scanner.run();
  EXPECT_EQ(pages.at(0).url, "/");
  EXPECT_THAT(fileUrls(), ElementsAre("/a.htm"));
}

TEST_F(SiteScannerTest, MissingFolderOrAFileLeavesTheRootRowAloneWithoutAnError) {
  inputs.folder = dir / "missing";
  EXPECT_NO_THROW(scanner.run());
  EXPECT_EQ(pages.size(), 1u);
  inputs.folder = dir.writeFile("page.htm");
  EXPECT_NO_THROW(scanner.run());
  EXPECT_EQ(pages.size(), 1u);
}

TEST_F(SiteScannerTest, EmptyMaskTextLetsEveryFileThrough) {
  dir.writeFile("a.gif");
  dir.writeFile("x");
  settings.fileMask = "";
  scanner.run();
  EXPECT_EQ(fileUrls().size(), 2u);
}

TEST_F(SiteScannerTest, EmptyMaskEndsTheScanKeepingTheRowsSoFar) {
  dir.writeFile("a.gif");
  settings.fileMask = ";*.htm";
  EXPECT_THROW(scanner.run(), EmptyMaskError);
  EXPECT_EQ(pages.size(), 1u);
  EXPECT_FALSE(scanner.isRunning());
  settings.fileMask = "*.htm";
  EXPECT_TRUE(scanner.run()) << "the next scan runs";
}

TEST_F(SiteScannerTest, CountsUrlsOverTheLimitButListsThem) {
  // Base of 2048 - 1 - 5 characters: "x.htm" gives exactly 2048, "xy.htm" 2049.
  inputs.url = "http://" + std::string(2048 - 1 - 5 - 7, 'a');
  dir.writeFile("x.htm");
  dir.writeFile("xy.htm");
  dir.writeFile("xz.htm");
  scanner.run();
  EXPECT_EQ(scanner.overlongCount(), 2);
  EXPECT_EQ(pages.size(), 4u);
}

TEST_F(SiteScannerTest, SettingsAndSiteUrlAreReadAfreshForEveryFile) {
  dir.writeFile("a.htm");
  dir.writeFile("b.htm");
  int files = 0;
  scanner.onFileDone = [&] {
    if (++files == 1) {
      settings.otherChangefreq.setIndex(4);
      settings.rootChangefreq.setIndex(7);
      inputs.url = "http://other.example";
    }
  };
  scanner.run();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages.at(1).changefreq, "none");
  EXPECT_EQ(pages.at(2).changefreq, "weekly");
  EXPECT_THAT(pages.at(2).url, StartsWith("http://other.example/"));
  EXPECT_EQ(pages.at(0).changefreq, "daily");
  EXPECT_EQ(scanner.rootUrl(), "http://example.com/");
}

TEST_F(SiteScannerTest, TypedTagTextsAreCopiedAsTheyAre) {
  dir.writeFile("a.htm");
  settings.otherChangefreq.setTyped("None", 0);
  settings.otherPriority.setIndex(-1);
  scanner.run();
  EXPECT_EQ(pages.at(1).changefreq, "None");
  EXPECT_EQ(pages.at(1).priority, "");
}

TEST_F(SiteScannerTest, SecondScanReplacesEveryRow) {
  dir.writeFile("a.htm");
  scanner.run();
  pages.includeAll();
  pages.setDetails(1, "1.1.2000", "1:00:00", "daily", "0.9");
  scanner.run();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_FALSE(pages.at(1).included);
  EXPECT_EQ(pages.at(1).changefreq, "none");
}

TEST_F(SiteScannerTest, ScanStartedDuringAScanIsRefused) {
  dir.writeFile("a.htm");
  std::vector<bool> inner;
  scanner.onFileDone = [&] { inner.push_back(scanner.run()); };
  EXPECT_TRUE(scanner.run());
  EXPECT_THAT(inner, ElementsAre(false));
  EXPECT_EQ(pages.size(), 2u);
}

TEST_F(SiteScannerTest, StopEndsTheScanBeforeTheNextFile) {
  for (const char* name : {"a.htm", "b.htm", "c.htm"}) dir.writeFile(name);
  scanner.onFileDone = [&] { scanner.requestStop(); };
  EXPECT_TRUE(scanner.run());
  EXPECT_EQ(pages.size(), 2u);
  EXPECT_FALSE(scanner.isRunning());
  scanner.onFileDone = nullptr;
  scanner.run();
  EXPECT_EQ(pages.size(), 4u) << "a stop lasts for one scan only";
}

TEST_F(SiteScannerTest, DanglingLinkIsSkippedAndTheScanGoesOn) {
  dir.writeFile("a.htm");
  ASSERT_EQ(symlink("gone.htm", (dir / "dangling.htm").c_str()), 0);
  dir.writeFile("z.htm");
  scanner.run();
  std::vector<std::string> urls = fileUrls();
  std::sort(urls.begin(), urls.end());
  EXPECT_THAT(urls, ElementsAre("http://example.com/a.htm", "http://example.com/z.htm"));
}

/// A scan of a fake tree, with the settings and formats of every scan here.
struct FakeScan {
  FakeScan() { inputs.folder = test::FakeFileSystem::kRoot; }
  test::FakeFileSystem fs;
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner{settings, pages, inputs, formats, fs};
  std::vector<std::string> urls() const {
    std::vector<std::string> all;
    for (std::size_t i = 0; i < pages.size(); ++i) all.push_back(pages.at(i).url);
    return all;
  }
};

TEST(SiteScannerFake, FileWhoseTimeIsGoneOrRefusedIsSkipped) {
  // Removed (ENOENT), its folder replaced by a file (ENOTDIR), a link that
  // leads round in a circle (ELOOP), or not to be looked at (EACCES), as a
  // refused folder counts as empty.
  for (const int error : {ENOENT, ENOTDIR, ELOOP, EACCES}) {
    FakeScan scan;
    scan.fs.addFile("a.htm");
    scan.fs.addFile("gone.htm").timeError = error;
    scan.fs.addFile("z.htm");
    int done = 0;
    scan.scanner.onFileDone = [&] { ++done; };
    scan.scanner.run();
    EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/", "http://example.com/a.htm",
                                         "http://example.com/z.htm"));
    EXPECT_EQ(done, 3) << "every reported file lets events run, the skipped one too";
  }
}

TEST(SiteScannerFake, TimeThatCannotBeReadForAnotherReasonEndsTheScanKeepingTheRowsSoFar) {
  FakeScan scan;
  scan.fs.addFile("a.htm");
  scan.fs.addFile("sub/broken.htm").timeError = EIO;
  scan.fs.addFile("sub/z.htm");
  try {
    scan.scanner.run();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.className(), "EInOutError");
    EXPECT_EQ(error.message(),
              "Cannot read the time of \"ROOT/sub/broken.htm\": Input/output error");
    EXPECT_EQ(error.code, EIO);
  }
  EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/", "http://example.com/a.htm"));
  EXPECT_FALSE(scan.scanner.isRunning());
}

struct ListingFailureCase {
  const char* name;
  void (*breakFolder)(test::FakeFileSystem::FakeFolder&);
  const char* message;
  friend void PrintTo(const ListingFailureCase& c, std::ostream* os) { *os << c.name; }
};

class SiteScannerListingFailure : public ::testing::TestWithParam<ListingFailureCase> {};

TEST_P(SiteScannerListingFailure, EndsTheScanAsAnInputOutputErrorNamingTheFolder) {
  FakeScan scan;
  scan.fs.addFile("a.htm");
  scan.fs.addFile("sub/b.htm");
  scan.fs.addFile("sub/c.htm");
  scan.fs.addFile("z/d.htm");
  GetParam().breakFolder(scan.fs.folder("sub"));
  try {
    scan.scanner.run();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.className(), "EInOutError");
    EXPECT_EQ(error.message(), GetParam().message);
  }
  // The rows found so far stay; nothing after the failure is listed.
  EXPECT_EQ(scan.urls().at(1), "http://example.com/a.htm");
  for (const std::string& url : scan.urls()) EXPECT_EQ(url.find("/z/"), std::string::npos);
  EXPECT_FALSE(scan.scanner.isRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SiteScannerListingFailure,
    ::testing::Values(
        ListingFailureCase{"OpenFails", [](auto& f) { f.openError = EMFILE; },
                           "Cannot list the folder \"ROOT/sub/\": Too many open files"},
        ListingFailureCase{"ListingCannotStart", [](auto& f) { f.listError = ENOMEM; },
                           "Cannot list the folder \"ROOT/sub/\": Cannot allocate memory"},
        ListingFailureCase{"NextEntryFails",
                           [](auto& f) {
                             f.failNextAfter = 1;
                             f.nextError = EIO;
                           },
                           "Cannot list the folder \"ROOT/sub/\": Input/output error"},
        ListingFailureCase{"ClosingFails", [](auto& f) { f.closeError = EIO; },
                           "Cannot list the folder \"ROOT/sub/\": Input/output error"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(SiteScannerFake, RefusedOrVanishedFoldersAreNoError) {
  FakeScan scan;
  scan.fs.addFile("refused/a.htm");
  scan.fs.addFile("unlisted/b.htm");
  scan.fs.addFile("vanished/c.htm");
  scan.fs.addFile("z.htm");
  scan.fs.folder("refused").openError = EACCES;
  scan.fs.folder("unlisted").listError = EPERM;
  scan.fs.folder("vanished").openError = ENOENT;
  EXPECT_NO_THROW(scan.scanner.run());
  EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/", "http://example.com/z.htm"));
}

TEST(SiteScannerFake, FolderRefusedWhileItIsReadIsNoError) {
  // Linux's /proc/PID/map_files opens, then refuses the first read.
  FakeScan scan;
  scan.fs.addFile("refused/a.htm");
  scan.fs.addFile("refused/deeper/b.htm");
  scan.fs.addFile("z.htm");
  auto& refused = scan.fs.folder("refused");
  refused.failNextAfter = 0;
  refused.nextError = EACCES;
  EXPECT_NO_THROW(scan.scanner.run());
  EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/", "http://example.com/z.htm"));
}

TEST(SiteScannerFake, ScanFolderThatCannotBeOpenedForAnotherReasonIsAnError) {
  FakeScan scan;
  scan.fs.addFile("a.htm");
  scan.fs.folder("").openError = EIO;
  EXPECT_THROW(scan.scanner.run(), IoError);
  EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/"));
}

TEST(SiteScannerFake, FilesGivingTheSameUrlBothGetRows) {
  // Within one site URL every file has a URL of its own; a site URL changed
  // during the scan can give a later file an earlier one's.
  test::FakeFileSystem fs;
  fs.addFile("x.htm");
  fs.addFile("a/x.htm");
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  inputs.folder = test::FakeFileSystem::kRoot;
  inputs.url = "http://s/a";
  const LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner(settings, pages, inputs, formats, fs);
  scanner.onFileDone = [&] { inputs.url = "http://s"; };
  scanner.run();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages.at(1).url, "http://s/a/x.htm");
  EXPECT_EQ(pages.at(2).url, "http://s/a/x.htm");
}

struct MaskCase {
  const char* text;
  std::vector<std::string> masks;
  friend void PrintTo(const MaskCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class SplitMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SplitMask, GivesTheMaskList) { EXPECT_EQ(splitFileMask(GetParam().text), GetParam().masks); }

INSTANTIATE_TEST_SUITE_P(Cases, SplitMask,
                         ::testing::Values(MaskCase{"*.htm;*.html", {"*.htm", "*.html"}},
                                           MaskCase{"*.htm;", {"*.htm"}},
                                           MaskCase{"a;;b", {"a", "", "b"}},
                                           MaskCase{";a", {"", "a"}}, MaskCase{";", {""}},
                                           MaskCase{"", {}},
                                           MaskCase{"*.htm; *.html", {"*.htm", " *.html"}},
                                           MaskCase{"a\r\nb\rc\nd", {"a", "b", "c", "d"}}));

/// What a scan left out, one "reason path" text per entry, in order.
std::vector<std::string> leftOutTexts(const SiteScanner& scanner) {
  std::vector<std::string> texts;
  for (const LeftOutEntry& entry : scanner.leftOut().entries())
    texts.push_back(std::string(reasonWord(entry.reason)) + " " + entry.path);
  return texts;
}

/// Paths of the file rows, relative to the site URL "http://example.com/".
std::vector<std::string> rowPaths(const PageList& pages) {
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < pages.size(); ++i)
    paths.push_back(pages.at(i).url.substr(std::string_view("http://example.com/").size()));
  return paths;
}

/// A site with what sites leave out: an error page, drafts, tag and print
/// pages, in folders and at the root.
void addLeftOutSite(test::FakeFileSystem& fs) {
  for (const char* path : {"index.htm", "404.html", "a.htm", "drafts/x.htm", "drafts/deep/y.htm",
                           "Drafts/z.htm", "blog/tags/t.html", "blog/print-1.html", "blog/p.html",
                           "docs/404.html", "print-a.html", "logo.gif"})
    fs.addFile(path);
}

struct ExcludeCase {
  const char* name;
  const char* patterns;
  std::vector<std::string> leftOut;
  std::vector<std::string> rows;
  friend void PrintTo(const ExcludeCase& c, std::ostream* os) { *os << c.name; }
};

class SiteScannerExclude : public ::testing::TestWithParam<ExcludeCase> {};

TEST_P(SiteScannerExclude, LeavesOutWhatThePatternsNameInWalkOrder) {
  FakeScan scan;
  addLeftOutSite(scan.fs);
  scan.settings.excludePatterns = GetParam().patterns;
  scan.scanner.run();
  EXPECT_THAT(leftOutTexts(scan.scanner), ElementsAreArray(GetParam().leftOut));
  EXPECT_THAT(rowPaths(scan.pages), ElementsAreArray(GetParam().rows));
  EXPECT_EQ(scan.urls().front(), "http://example.com/") << "the root row stays";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SiteScannerExclude,
    ::testing::Values(
        ExcludeCase{"NoPatternsLeaveOutNothing",
                    "",
                    {},
                    {"404.html", "a.htm", "print-a.html", "drafts/x.htm", "drafts/deep/y.htm",
                     "Drafts/z.htm", "blog/print-1.html", "blog/p.html", "blog/tags/t.html",
                     "docs/404.html"}},
        ExcludeCase{"NameWithoutSlashAtAnyDepth",
                    "404.html",
                    {"exclude 404.html", "exclude docs/404.html"},
                    {"a.htm", "print-a.html", "drafts/x.htm", "drafts/deep/y.htm", "Drafts/z.htm",
                     "blog/print-1.html", "blog/p.html", "blog/tags/t.html"}},
        ExcludeCase{"LeadingSlashAnchorsAtTheScanFolder",
                    "/404.html",
                    {"exclude 404.html"},
                    {"a.htm", "print-a.html", "drafts/x.htm", "drafts/deep/y.htm", "Drafts/z.htm",
                     "blog/print-1.html", "blog/p.html", "blog/tags/t.html", "docs/404.html"}},
        ExcludeCase{"FolderIsOneEntryAndCaseCounts",
                    "drafts/",
                    {"exclude drafts/"},
                    {"404.html", "a.htm", "print-a.html", "Drafts/z.htm", "blog/print-1.html",
                     "blog/p.html", "blog/tags/t.html", "docs/404.html"}},
        ExcludeCase{"TrailingSlashMatchesFoldersOnly",
                    "a.htm/;*.html/",
                    {},
                    {"404.html", "a.htm", "print-a.html", "drafts/x.htm", "drafts/deep/y.htm",
                     "Drafts/z.htm", "blog/print-1.html", "blog/p.html", "blog/tags/t.html",
                     "docs/404.html"}},
        ExcludeCase{"AnyFoldersThenAName",
                    "**/print-*.html",
                    {"exclude print-a.html", "exclude blog/print-1.html"},
                    {"404.html", "a.htm", "drafts/x.htm", "drafts/deep/y.htm", "Drafts/z.htm",
                     "blog/p.html", "blog/tags/t.html", "docs/404.html"}},
        ExcludeCase{"SlashInsideAnchorsWithAnyFoldersBetween",
                    "blog/**/t.html;deep/y.htm",
                    {"exclude blog/tags/t.html"},
                    {"404.html", "a.htm", "print-a.html", "drafts/x.htm", "drafts/deep/y.htm",
                     "Drafts/z.htm", "blog/print-1.html", "blog/p.html", "docs/404.html"}},
        ExcludeCase{"MasksStillDecideWhatIsAPage",
                    "*.gif;logo.*",
                    {},
                    {"404.html", "a.htm", "print-a.html", "drafts/x.htm", "drafts/deep/y.htm",
                     "Drafts/z.htm", "blog/print-1.html", "blog/p.html", "blog/tags/t.html",
                     "docs/404.html"}},
        ExcludeCase{"TheExampleOfTheHelp",
                    "404.html;drafts/;tags/;**/print-*.html",
                    {"exclude 404.html", "exclude print-a.html", "exclude drafts/",
                     "exclude blog/print-1.html", "exclude blog/tags/", "exclude docs/404.html"},
                    {"a.htm", "Drafts/z.htm", "blog/p.html"}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(SiteScannerFake, ExcludedFolderIsNeverEnteredNorItsFilesRead) {
  FakeScan scan;
  addLeftOutSite(scan.fs);
  scan.fs.folder("drafts").listError = EIO;
  scan.fs.folder("drafts/deep").openError = EIO;
  int done = 0;
  scan.scanner.onFileDone = [&] { ++done; };
  scan.settings.excludePatterns = "drafts/;404.html";
  ASSERT_NO_THROW(scan.scanner.run()) << "a folder left out is not even opened";
  EXPECT_THAT(scan.fs.listedFolders(), ElementsAre("", "Drafts", "blog", "blog/tags", "docs"));
  EXPECT_EQ(done, 9) << "every reported file lets events run, the excluded ones too";
}

TEST(SiteScannerFake, ExcludedFileIsLeftOutBeforeItsTimeIsRead) {
  FakeScan scan;
  scan.fs.addFile("broken.htm").timeError = EIO;
  scan.fs.addFile("a.htm");
  scan.settings.excludePatterns = "broken.htm";
  ASSERT_NO_THROW(scan.scanner.run());
  EXPECT_THAT(leftOutTexts(scan.scanner), ElementsAre("exclude broken.htm"));
  EXPECT_THAT(rowPaths(scan.pages), ElementsAre("a.htm"));
}

struct RobotsScanCase {
  const char* name;
  const char* robotsTxt;
  const char* siteUrl;
  const char* agent;
  std::vector<std::string> leftOut;
};

void PrintTo(const RobotsScanCase& c, std::ostream* os) { *os << c.name; }

class SiteScannerRobots : public ::testing::TestWithParam<RobotsScanCase> {};

TEST_P(SiteScannerRobots, LeavesOutWhatTheUrlAsWrittenMayNotFetch) {
  const RobotsScanCase& c = GetParam();
  FakeScan scan;
  for (const char* path :
       {"index.htm", "a.htm", "private/b.htm", "sub/index.htm", "Q&A.htm", "my page.htm"})
    scan.fs.addFile(path);
  scan.fs.addFile("robots.txt").content = c.robotsTxt;
  scan.settings.obeyRobots = true;
  scan.settings.fileMask = "*.htm";
  scan.settings.robotsAgent = c.agent;
  scan.inputs.url = c.siteUrl;
  scan.scanner.run();
  EXPECT_THAT(leftOutTexts(scan.scanner), ElementsAreArray(c.leftOut));
  // The root row and the five files other than index.htm, which gives none.
  const auto rootIndex = std::count(c.leftOut.begin(), c.leftOut.end(), "robots index.htm");
  EXPECT_EQ(scan.pages.size(), 6 - c.leftOut.size() + static_cast<std::size_t>(rootIndex))
      << "every file left out is no row, the root row stays";
  EXPECT_EQ(scan.urls().front(),
            c.siteUrl + std::string(std::string_view(c.siteUrl).ends_with('/') ? "" : "/"));
  EXPECT_EQ(scan.fs.fileReads, 1) << "robots.txt is read once per scan";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SiteScannerRobots,
    ::testing::Values(
        RobotsScanCase{"NoRuleForTheRobot",
                       "User-agent: other\nDisallow: /\n",
                       "http://example.com/",
                       "*",
                       {}},
        RobotsScanCase{"AFolder",
                       "User-agent: *\nDisallow: /private/\n",
                       "http://example.com/",
                       "*",
                       {"robots private/b.htm"}},
        RobotsScanCase{"SiteUrlPathCountsFromTheHostsRoot",
                       "User-agent: *\nDisallow: /private/\n",
                       "http://example.com/blog",
                       "*",
                       {}},
        RobotsScanCase{"SiteUrlPathInTheRule",
                       "User-agent: *\nDisallow: /blog/private/\n",
                       "https://example.com:8080/blog/",
                       "*",
                       {"robots private/b.htm"}},
        RobotsScanCase{"IndexFileByItsFoldersUrl",
                       "User-agent: *\nDisallow: /sub/$\n",
                       "http://example.com/",
                       "*",
                       {"robots sub/index.htm"}},
        RobotsScanCase{"EntitiesOfTheUrlAreReadBack",
                       "User-agent: *\nDisallow: /Q&A\n",
                       "http://example.com/",
                       "*",
                       {"robots Q&A.htm"}},
        RobotsScanCase{"PercentEncodedBlank",
                       "User-agent: *\nDisallow: /my page\n",
                       "http://example.com/",
                       "*",
                       {"robots my page.htm"}},
        RobotsScanCase{"TheRobotsOwnGroup",
                       "User-agent: *\nDisallow: /a\n\nUser-agent: examplebot\nDisallow: /Q\n",
                       "http://example.com/",
                       "ExampleBot/2.0",
                       {"robots Q&A.htm"}},
        RobotsScanCase{"EverythingButTheRootRow",
                       "User-agent: *\nDisallow: /\n",
                       "http://example.com/",
                       "*",
                       {"robots index.htm", "robots a.htm", "robots Q&A.htm", "robots my page.htm",
                        "robots private/b.htm", "robots sub/index.htm"}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(SiteScannerFake, RobotsTxtIsNotReadUnlessObeyed) {
  FakeScan scan;
  scan.fs.addFile("a.htm");
  scan.fs.addFile("robots.txt").content = "User-agent: *\nDisallow: /\n";
  scan.scanner.run();
  EXPECT_EQ(scan.fs.fileReads, 0);
  EXPECT_TRUE(scan.scanner.leftOut().empty());
  EXPECT_EQ(scan.pages.size(), 2u);
}

TEST(SiteScannerFake, MissingRobotsTxtAllowsEverythingAndOneThatCannotBeReadEndsTheScan) {
  for (const int error : {ENOENT, ENOTDIR, ELOOP}) {
    FakeScan scan;
    scan.fs.addFile("a.htm");
    if (error != ENOENT) scan.fs.addFile("robots.txt").readError = error;
    scan.settings.obeyRobots = true;
    ASSERT_NO_THROW(scan.scanner.run()) << error;
    EXPECT_EQ(scan.pages.size(), 2u);
  }
  for (const int number : {EIO, EACCES, EISDIR}) {
    FakeScan scan;
    scan.fs.addFile("a.htm");
    scan.fs.addFile("robots.txt").readError = number;
    scan.settings.obeyRobots = true;
    try {
      scan.scanner.run();
      ADD_FAILURE() << number << ": no error";
    } catch (const IoError& error) {
      EXPECT_STREQ(error.className(), "EInOutError");
      EXPECT_EQ(error.message(),
                "Cannot read \"ROOT/robots.txt\": " + std::generic_category().message(number));
    }
    EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/")) << "the root row alone";
    EXPECT_FALSE(scan.scanner.isRunning());
  }
}

TEST(SiteScannerFake, LeftOutListIsTheLastScansInWalkOrderAndEveryReasonCounts) {
  FakeScan scan;
  addLeftOutSite(scan.fs);
  scan.fs.addFile("robots.txt").content = "User-agent: *\nDisallow: /blog/\n";
  scan.settings.obeyRobots = true;
  scan.settings.excludePatterns = "drafts/;404.html";
  scan.scanner.run();
  EXPECT_THAT(
      leftOutTexts(scan.scanner),
      ElementsAre("exclude 404.html", "exclude drafts/", "robots blog/print-1.html",
                  "robots blog/p.html", "robots blog/tags/t.html", "exclude docs/404.html"));
  EXPECT_EQ(scan.scanner.leftOut().count(LeftOutReason::Exclude), 3u);
  EXPECT_EQ(scan.scanner.leftOut().count(LeftOutReason::Robots), 3u);
  EXPECT_EQ(scan.scanner.keptFileCount(), 4u) << "index.htm, a.htm, print-a.html, Drafts/z.htm";

  scan.settings.obeyRobots = false;
  scan.settings.excludePatterns.clear();
  scan.scanner.run();
  EXPECT_TRUE(scan.scanner.leftOut().empty()) << "a new scan forgets what the last left out";
  EXPECT_EQ(scan.scanner.keptFileCount(), 11u);

  scan.settings.excludePatterns = "*.html";
  scan.scanner.run();
  ASSERT_FALSE(scan.scanner.leftOut().empty());
  scan.scanner.clearLeftOut();
  EXPECT_TRUE(scan.scanner.leftOut().empty());
  EXPECT_EQ(scan.scanner.keptFileCount(), 0u);
}

TEST(SiteScannerFake, RulesAreThoseOfTheScansStart) {
  FakeScan scan;
  scan.fs.addFile("a.htm");
  scan.fs.addFile("b.htm");
  scan.fs.addFile("robots.txt").content = "User-agent: *\nDisallow: /b\n";
  scan.settings.obeyRobots = true;
  scan.scanner.onFileDone = [&] {
    scan.settings.obeyRobots = false;
    scan.settings.excludePatterns = "*.htm";
  };
  scan.scanner.run();
  EXPECT_THAT(leftOutTexts(scan.scanner), ElementsAre("robots b.htm"));
}

/// A fake scan that reads language versions from the pages' heads.
struct AlternatesScan : FakeScan {
  AlternatesScan() {
    settings.schema = SitemapSchema::V09;
    settings.hreflang = true;
    settings.indexFile = "index.html";
  }
  static std::string pageWith(std::string_view links) {
    return "<!doctype html><html><head><title>t</title>" + std::string(links) +
           "</head><body><p>text</p></body></html>";
  }
  /// Each row's versions as "LANG URL", "|" between them.
  std::vector<std::string> alternates() const {
    std::vector<std::string> all;
    for (const PageEntry& row : pages) {
      std::string text;
      for (const LanguageAlternate& alternate : row.alternates)
        text += (text.empty() ? "" : "|") + alternate.hreflang + " " + alternate.url;
      all.push_back(row.url + ": " + text);
    }
    return all;
  }
};

TEST(SiteScannerAlternates, EachRowHoldsTheVersionsItsHeadNamesResolvedAgainstItsUrl) {
  AlternatesScan scan;
  scan.inputs.url = "http://example.com/site";
  scan.fs.addFile("index.html").content = AlternatesScan::pageWith(
      R"(<link rel="alternate" hreflang="en" href="./"><link rel="alternate" hreflang="sk" )"
      R"(href="sk/">)");
  scan.fs.addFile("sk/index.html").content =
      AlternatesScan::pageWith(R"(<link rel="alternate" hreflang="en" href="../">)"
                               R"(<link rel="alternate" hreflang="sk" href="">)"
                               R"(<link rel="stylesheet" href="/s.css">)");
  scan.fs.addFile("sk/o nás.html").content = AlternatesScan::pageWith(
      R"(<link rel="alternate" hreflang="en" href="/site/about.html?a=1&amp;b=2#top">)");
  scan.fs.addFile("plain.html").content = AlternatesScan::pageWith("");
  scan.scanner.run();
  EXPECT_THAT(scan.alternates(),
              ElementsAre("http://example.com/site/: en http://example.com/site/|"
                          "sk http://example.com/site/sk/",
                          "http://example.com/site/plain.html: ",
                          "http://example.com/site/sk/: en http://example.com/site/",
                          "http://example.com/site/sk/o%20n\xC3\xA1s.html: "
                          "en http://example.com/site/about.html?a=1&amp;b=2"))
      << "the root row holds those of the folder's index file; an empty href names "
         "nothing";
  EXPECT_EQ(scan.fs.fileOpens, 4);
}

struct NoHeadsCase {
  const char* name;
  SitemapSchema schema;
  bool hreflang;
  friend void PrintTo(const NoHeadsCase& c, std::ostream* os) { *os << c.name; }
};

class SiteScannerWithoutAlternates : public ::testing::TestWithParam<NoHeadsCase> {};

TEST_P(SiteScannerWithoutAlternates, OpensNoPage) {
  AlternatesScan scan;
  scan.settings.schema = GetParam().schema;
  scan.settings.hreflang = GetParam().hreflang;
  scan.fs.addFile("a.html").content =
      AlternatesScan::pageWith(R"(<link rel="alternate" hreflang="sk" href="/sk/">)");
  scan.scanner.run();
  EXPECT_THAT(scan.alternates(),
              ElementsAre("http://example.com/: ", "http://example.com/a.html: "));
  EXPECT_EQ(scan.fs.fileOpens, 0);
  EXPECT_FALSE(scanNeedsPageHeads(scan.settings));
}

INSTANTIATE_TEST_SUITE_P(Cases, SiteScannerWithoutAlternates,
                         ::testing::Values(NoHeadsCase{"Default", SitemapSchema::V084, false},
                                           NoHeadsCase{"Schema09", SitemapSchema::V09, false},
                                           NoHeadsCase{"HreflangWithSchema084", SitemapSchema::V084,
                                                       true}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(SiteScannerAlternates, PageThatCannotBeReadKeepsItsRowWithoutAlternates) {
  AlternatesScan scan;
  const std::string page =
      AlternatesScan::pageWith(R"(<link rel="alternate" hreflang="sk" href="/sk/">)");
  scan.fs.addFile("a.html").content = page;
  auto& refused = scan.fs.addFile("refused.html");
  refused.content = page;
  refused.openError = EACCES;
  auto& unreadable = scan.fs.addFile("unreadable.html");
  unreadable.content = page;
  unreadable.readError = EACCES;
  scan.fs.addFile("gone.html").openError = ENOENT;
  scan.fs.addFile("z.html").content = page;
  scan.scanner.run();
  EXPECT_THAT(
      scan.alternates(),
      ElementsAre("http://example.com/: ", "http://example.com/a.html: sk http://example.com/sk/",
                  "http://example.com/refused.html: ", "http://example.com/unreadable.html: ",
                  "http://example.com/gone.html: ",
                  "http://example.com/z.html: sk http://example.com/sk/"));
  EXPECT_THAT(
      leftOutTexts(scan.scanner),
      ElementsAre("unreadable refused.html", "unreadable unreadable.html", "unreadable gone.html"));
}

TEST(SiteScannerAlternates, HeadThatCannotBeReadForAnotherReasonEndsTheScan) {
  for (const bool whileReading : {false, true}) {
    AlternatesScan scan;
    scan.fs.addFile("a.html");
    auto& broken = scan.fs.addFile("sub/broken.html");
    (whileReading ? broken.readError : broken.openError) = EIO;
    scan.fs.addFile("sub/z.html");
    try {
      scan.scanner.run();
      ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
      EXPECT_EQ(error.message(),
                "Cannot read the head of \"ROOT/sub/broken.html\": Input/output error");
      EXPECT_EQ(error.code, EIO);
    }
    EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/", "http://example.com/a.html"));
  }
}

TEST(SiteScannerAlternates, HeadOfAPageThatRobotsTxtLeavesOutDoesNotMatter) {
  AlternatesScan scan;
  scan.settings.obeyRobots = true;
  scan.fs.addFile("robots.txt").content = "User-agent: *\nDisallow: /broken\n";
  scan.fs.addFile("broken.html").openError = EIO;
  scan.fs.addFile("z.html");
  scan.scanner.run();
  EXPECT_THAT(scan.urls(), ElementsAre("http://example.com/", "http://example.com/z.html"));
  EXPECT_THAT(leftOutTexts(scan.scanner), ElementsAre("robots broken.html"));
}

TEST(SiteScannerAlternates, AreAskedForWhenTheScanStarts) {
  AlternatesScan scan;
  scan.fs.addFile("a.html").content =
      AlternatesScan::pageWith(R"(<link rel="alternate" hreflang="sk" href="/sk/">)");
  scan.fs.addFile("b.html").content =
      AlternatesScan::pageWith(R"(<link rel="alternate" hreflang="en" href="/en/">)");
  scan.scanner.onFileDone = [&] { scan.settings.hreflang = false; };
  scan.scanner.run();
  EXPECT_THAT(
      scan.alternates(),
      ElementsAre("http://example.com/: ", "http://example.com/a.html: sk http://example.com/sk/",
                  "http://example.com/b.html: en http://example.com/en/"));
}

/// robots.txt on disk, read through the platform.
class SiteScannerRobotsFile : public SiteScannerTest {
 protected:
  SiteScannerRobotsFile() {
    settings.obeyRobots = true;
    dir.writeFile("a.htm");
    dir.writeFile("b.htm");
  }
  std::vector<std::string> leftOut() const { return leftOutTexts(scanner); }
};

TEST_F(SiteScannerRobotsFile, OnlyTheFirst500KiBCount) {
  // The limit cuts the second rule; what stands past it is never read.
  std::string text = "User-agent: *\nDisallow: /a\n";
  text += "# " + std::string(kRobotsTxtLimit - text.size() - 3, '.') + "\nDisallow: /b\n";
  text += std::string(std::size_t{100} * 1024, '\n') + "Disallow: /\n";
  ASSERT_GT(text.size(), 600u * 1024);
  dir.writeFile("robots.txt", text);
  scanner.run();
  EXPECT_THAT(leftOut(), ElementsAre("robots a.htm"));
}

TEST_F(SiteScannerRobotsFile, LinkIsFollowedAndOneToNothingIsNoFile) {
  dir.writeFile("rules/robots.txt", "User-agent: *\nDisallow: /b\n");
  ASSERT_EQ(symlink("rules/robots.txt", (dir / "robots.txt").c_str()), 0);
  scanner.run();
  EXPECT_THAT(leftOut(), ElementsAre("robots b.htm"));
  ASSERT_EQ(unlink((dir / "robots.txt").c_str()), 0);
  ASSERT_EQ(symlink("nowhere.txt", (dir / "robots.txt").c_str()), 0);
  scanner.run();
  EXPECT_THAT(leftOut(), IsEmpty());
}

TEST_F(SiteScannerRobotsFile, RefusedFileEndsTheScanForAnOrdinaryUser) {
  dir.writeFile("robots.txt", "User-agent: *\nDisallow: /b\n");
  ASSERT_EQ(chmod((dir / "robots.txt").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const int result = test::runAsNobody([&] {
    try {
      scanner.run();
    } catch (const IoError& error) {
      if (error.code != EACCES) return 2;
      if (error.message() != "Cannot read \"" + dir.path() + "robots.txt\": Permission denied")
        return 3;
      return pages.size() == 1 ? 0 : 4;
    }
    return 1;
  });
  EXPECT_EQ(result, 0);
}

/// Everything a scan shows its caller, a line each: how it ended, every row
/// with all its columns, what it left out, and its counts.
std::string scanRecord(SiteScanner& scanner, const PageList& pages) {
  std::string record;
  try {
    record += scanner.run() ? "ran\n" : "refused\n";
  } catch (const std::exception& error) {
    record.append("threw ").append(errorClassName(error)).append(": ").append(error.what());
    record += "\n";
  }
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const PageEntry& row = pages.at(i);
    record.append(row.url).append("\t").append(row.dateText).append("\t").append(row.timeText);
    record.append("\t").append(row.changefreq).append("\t").append(row.priority);
    record.append(row.included ? "\t1\n" : "\t0\n");
  }
  for (const std::string& text : leftOutTexts(scanner))
    record.append("left out ").append(text) += "\n";
  record.append("kept ").append(std::to_string(scanner.keptFileCount()));
  record.append(", overlong ").append(std::to_string(scanner.overlongCount())) += "\n";
  return record;
}

// The per-row inputs (the site URL, a stop) change as the scan goes, where
// the window changes them: between two rows.
TEST(SiteScannerOnThreads, GivesTheRowsOfTheScanOnOneThreadOverRandomTrees) {
  const std::array<const char*, 4> patterns = {"", "*skip/", "f1*.htm;d2*/",
                                               "**/f*7.html;/d1*/;*.HTM"};
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 random(seed);
    FakeScan scan;
    test::growRandomTree(scan.fs, random);
    scan.settings.excludePatterns = patterns[seed % patterns.size()];
    if (seed % 5 == 0) {
      scan.settings.obeyRobots = true;
      scan.fs.addFile("robots.txt").content = "User-agent: *\nDisallow: /d1\nDisallow: /*7.htm\n";
    }
    if (seed % 11 == 0) scan.settings.fileMask = "*.htm;;*.html";
    scan.scanner.now = [] { return DateTime{{2006, 3, 5}, {9, 5, 7}}; };
    int done = 0;
    scan.scanner.onFileDone = [&] {
      if (++done == 4) scan.inputs.url = "https://other.example.org/x";
      if (seed % 4 == 0 && done == 12) scan.scanner.requestStop();
    };
    const auto scanOn = [&](unsigned threads) {
      scan.inputs.url = "http://example.com";
      done = 0;
      scan.scanner.threads = threads;
      return scanRecord(scan.scanner, scan.pages);
    };
    const std::string expected = scanOn(1);
    for (const unsigned threads : {2u, 3u, 8u}) {
      scan.fs.jitter = threads == 3;
      ASSERT_EQ(scanOn(threads), expected) << "seed " << seed << ", " << threads << " threads";
      EXPECT_EQ(scan.fs.openFolders, 0) << "seed " << seed;
      EXPECT_EQ(scan.fs.openListings, 0) << "seed " << seed;
    }
  }
}

TEST(SiteScannerOnThreads, GivesTheRowsOfTheScanOnOneThreadOverRealTrees) {
  // The generator sites' sources and this program's test files: real trees
  // with real times, on the disk's own listing order.
  for (const char* folder : {"/tests/sites/", "/tests/"}) {
    GeneratorSettings settings;
    settings.fileMask = "*";
    settings.excludePatterns = "expected/;*.prj";
    PageList pages;
    Inputs inputs;
    inputs.folder = std::string(QORV_SOURCE_DIR) + folder;
    const LocaleFormats formats = test::dayFirstFormats();
    SiteScanner scanner(settings, pages, inputs, formats);
    scanner.now = [] { return DateTime{{2006, 3, 5}, {9, 5, 7}}; };
    const std::string expected = scanRecord(scanner, pages);
    ASSERT_GT(pages.size(), 20u) << folder;
    for (const unsigned threads : {0u, 2u, 5u}) {
      scanner.threads = threads;
      EXPECT_EQ(scanRecord(scanner, pages), expected) << folder << " on " << threads << " threads";
    }
  }
}

/// A file system whose file times wait, on the threads that read them,
/// until the test opens the gate.
class GatedFileSystem final : public FileSystem {
 public:
  explicit GatedFileSystem(FileSystem& inner) : m_inner(inner) {}
  void open() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_opened.notify_all();
  }
  Result<std::unique_ptr<Folder>> openFolder(const std::string& path) override {
    return wrap(m_inner.openFolder(path));
  }
  std::optional<DateTime> localTime(std::int64_t seconds) override {
    return m_inner.localTime(seconds);
  }

 private:
  class GatedFolder final : public Folder {
   public:
    GatedFolder(GatedFileSystem& fs, std::unique_ptr<Folder> inner)
        : m_fs(fs), m_inner(std::move(inner)) {}
    FolderId id() const override { return m_inner->id(); }
    Result<std::unique_ptr<FolderListing>> list() override { return m_inner->list(); }
    Result<std::unique_ptr<Folder>> openSubfolder(std::string_view name) override {
      return m_fs.wrap(m_inner->openSubfolder(name));
    }
    Result<std::optional<DateTime>> lastWriteTime(std::string_view name) override {
      return m_inner->lastWriteTime(name);
    }
    Result<std::string> readFile(std::string_view name, std::size_t limit) override {
      return m_inner->readFile(name, limit);
    }
    Result<std::unique_ptr<FileReader>> openFile(std::string_view name) override {
      return m_inner->openFile(name);
    }
    Result<std::int64_t> writeTime(std::string_view name) override {
      std::unique_lock<std::mutex> lock(m_fs.m_mutex);
      m_fs.m_opened.wait(lock, [this] { return m_fs.m_open; });
      return m_inner->writeTime(name);
    }

   private:
    GatedFileSystem& m_fs;
    std::unique_ptr<Folder> m_inner;
  };
  Result<std::unique_ptr<Folder>> wrap(Result<std::unique_ptr<Folder>> folder) {
    if (!folder) return Failure{folder.error()};
    return std::unique_ptr<Folder>(std::make_unique<GatedFolder>(*this, std::move(*folder)));
  }

  FileSystem& m_inner;
  std::mutex m_mutex;
  std::condition_variable m_opened;
  bool m_open = false;
};

TEST(SiteScannerOnThreads, StopAskedWhileTheScanWaitsForItsWorkersEndsIt) {
  test::FakeFileSystem fake;
  fake.addFile("a.htm");
  fake.addFile("sub/b.htm");
  GatedFileSystem fs(fake);
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  inputs.folder = test::FakeFileSystem::kRoot;
  const LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner(settings, pages, inputs, formats, fs);
  scanner.threads = 2;
  int waits = 0;
  // A window's stop command, run among the events while the scan waits.
  scanner.onWaiting = [&] {
    ++waits;
    scanner.requestStop();
    fs.open();
  };
  EXPECT_TRUE(scanner.run());
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(pages.size(), 1u) << "no file row after the stop";
  EXPECT_FALSE(scanner.isRunning());
  EXPECT_EQ(fake.openFolders, 0);
}

#ifdef QORV_FAULT_POINTS
TEST(SiteScannerOnThreads, ListingFailureOnDiskIsTheSameErrorOnAnyNumberOfThreads) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  for (int i = 0; i < 20; ++i) dir.writeFile("f" + std::to_string(i) + "/x.htm");
  dir.writeFile("sub/inner.htm");
  dir.writeFile("sub/deeper/y.htm");
  for (const unsigned threads : {1u, 4u}) {
    GeneratorSettings settings;
    PageList pages;
    Inputs inputs;
    inputs.folder = dir.path();
    const LocaleFormats formats = test::dayFirstFormats();
    SiteScanner scanner(settings, pages, inputs, formats);
    scanner.threads = threads;
    const FaultScope fault("fdopendir", dir.path() + "sub", EIO);
    try {
      scanner.run();
      ADD_FAILURE() << "no error on " << threads << " threads";
    } catch (const IoError& error) {
      EXPECT_EQ(error.message(),
                "Cannot list the folder \"" + dir.path() + "sub/\": Input/output error")
          << threads << " threads";
    }
    EXPECT_FALSE(scanner.isRunning());
  }
}
#endif

#ifdef QORV_FAULT_POINTS
TEST_F(SiteScannerRobotsFile, InputOutputErrorWhileReadingItEndsTheScan) {
  dir.writeFile("robots.txt", "User-agent: *\nDisallow: /b\n");
  const FaultScope fault("read", 1, EIO);
  EXPECT_THROW(scanner.run(), IoError);
  EXPECT_EQ(pages.size(), 1u);
}
#endif

}  // namespace
}  // namespace qorv
