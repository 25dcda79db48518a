#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/errors.h"
#include "core/sitemapjob.h"
#include "core/sitescan.h"
#include "platform/faultpoints.h"
#include "tests/support/asuser.h"
#include "tests/support/fakefilesystem.h"
#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

// What a page's head says, through a scan: which rules read it, what they
// leave out, and under which URL a page is listed.

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

struct Inputs final : ScanInputs {
  std::string folder = test::FakeFileSystem::kRoot;
  std::string url = "http://example.com/";
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return url; }
};

std::string page(std::string_view head) {
  return "<!DOCTYPE html><html><head>" + std::string(head) + "</head><body>text</body></html>";
}

struct FakeScan {
  test::FakeFileSystem fs;
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner{settings, pages, inputs, formats, fs};

  void allRules() { settings.skipNoindex = settings.skipRedirects = settings.useCanonical = true; }
  std::vector<std::string> rows() const {
    std::vector<std::string> urls;
    for (std::size_t i = 1; i < pages.size(); ++i) urls.push_back(pages.at(i).url);
    return urls;
  }
  std::vector<std::string> leftOut() const {
    std::vector<std::string> texts;
    for (const LeftOutEntry& entry : scanner.leftOut().entries())
      texts.push_back(std::string(reasonWord(entry.reason)) + " " + entry.path);
    return texts;
  }
};

/// A small site with a page of each kind the rules judge.
void addJudgedSite(test::FakeFileSystem& fs) {
  fs.addFile("index.htm").content = page("<title>Home</title>");
  fs.addFile("draft.html").content = page(R"(<meta name="ROBOTS" content="follow, NoIndex">)");
  fs.addFile("old.html").content =
      page(R"(<meta http-equiv="refresh" content="0; url=/new.html">)");
  fs.addFile("new.html").content = page(R"(<link rel="canonical" href="new.html">)");
  fs.addFile("print.html").content = page(R"(<link rel="canonical" href="/new.html#top">)");
  fs.addFile("syndicated.html").content =
      page(R"(<link rel="canonical" href="https://other.example/post">)");
}

struct RuleCase {
  const char* name;
  bool skipNoindex, skipRedirects, useCanonical;
  std::vector<std::string> leftOut;
  std::vector<std::string> rows;
  friend void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }
};

class HeadRulesThroughAScan : public ::testing::TestWithParam<RuleCase> {};

TEST_P(HeadRulesThroughAScan, EachRuleLeavesOutItsPagesOnlyWhenOn) {
  FakeScan scan;
  addJudgedSite(scan.fs);
  scan.settings.skipNoindex = GetParam().skipNoindex;
  scan.settings.skipRedirects = GetParam().skipRedirects;
  scan.settings.useCanonical = GetParam().useCanonical;
  scan.scanner.run();
  EXPECT_THAT(scan.leftOut(), ElementsAreArray(GetParam().leftOut));
  EXPECT_THAT(scan.rows(), ElementsAreArray(GetParam().rows));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeadRulesThroughAScan,
    ::testing::Values(
        RuleCase{"AllOff",
                 false,
                 false,
                 false,
                 {},
                 {"http://example.com/draft.html", "http://example.com/old.html",
                  "http://example.com/new.html", "http://example.com/print.html",
                  "http://example.com/syndicated.html"}},
        RuleCase{"Noindex",
                 true,
                 false,
                 false,
                 {"noindex draft.html"},
                 {"http://example.com/old.html", "http://example.com/new.html",
                  "http://example.com/print.html", "http://example.com/syndicated.html"}},
        RuleCase{"Redirects",
                 false,
                 true,
                 false,
                 {"redirect old.html"},
                 {"http://example.com/draft.html", "http://example.com/new.html",
                  "http://example.com/print.html", "http://example.com/syndicated.html"}},
        // The print copy names new.html, which keeps the row: its own path
        // gives the URL.
        RuleCase{"Canonical",
                 false,
                 false,
                 true,
                 {"duplicate print.html", "canonical syndicated.html"},
                 {"http://example.com/draft.html", "http://example.com/old.html",
                  "http://example.com/new.html"}},
        RuleCase{"All",
                 true,
                 true,
                 true,
                 {"noindex draft.html", "redirect old.html", "duplicate print.html",
                  "canonical syndicated.html"},
                 {"http://example.com/new.html"}}));

struct CanonicalCase {
  const char* name;
  const char* path;
  const char* head;
  /// The row's URL, or the left-out entry's reason word.
  const char* outcome;
  friend void PrintTo(const CanonicalCase& c, std::ostream* os) { *os << c.name; }
};

class CanonicalOfAPage : public ::testing::TestWithParam<CanonicalCase> {};

TEST_P(CanonicalOfAPage, GivesTheRowItsUrlOrLeavesThePageOut) {
  FakeScan scan;
  scan.inputs.url = "https://example.com/docs";
  scan.settings.useCanonical = true;
  scan.fs.addFile(GetParam().path).content = page(GetParam().head);
  scan.scanner.run();
  const std::string outcome = GetParam().outcome;
  if (outcome.find("://") != std::string::npos) {
    EXPECT_THAT(scan.rows(), ElementsAre(outcome));
    EXPECT_THAT(scan.leftOut(), IsEmpty());
  } else {
    EXPECT_THAT(scan.rows(), IsEmpty());
    EXPECT_THAT(scan.leftOut(), ElementsAre(outcome + " " + GetParam().path));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanonicalOfAPage,
    ::testing::Values(
        CanonicalCase{"Relative", "a/p.html", R"(<link rel="canonical" href="../b/q">)",
                      "https://example.com/docs/b/q"},
        CanonicalCase{"Absolute", "p.html",
                      R"(<link rel="alternate canonical" href="https://example.com/docs/q?x=1&y">)",
                      "https://example.com/docs/q?x=1&amp;y"},
        CanonicalCase{"AgainstTheBase", "p.html",
                      R"(<base href="/docs/v2/"><link rel="canonical" href="q">)",
                      "https://example.com/docs/v2/q"},
        CanonicalCase{"EncodedOnceAndEscapedOnce", "p.html",
                      R"(<link rel="canonical" href="/docs/a b%2fc/é">)",
                      "https://example.com/docs/a%20b%2fc/%C3%A9"},
        CanonicalCase{"HostAndSchemeWithoutCaseDefaultPortIgnored", "p.html",
                      R"(<link rel="canonical" href="HTTPS://Example.COM:443/docs/q">)",
                      "HTTPS://Example.COM:443/docs/q"},
        CanonicalCase{"OwnUrlChangesNothing", "p.html",
                      R"(<link rel="canonical" href="https://example.com:443/docs/%70.html">)",
                      "https://example.com/docs/p.html"},
        CanonicalCase{
            "TwoDifferentNameNone", "p.html",
            R"(<link rel="canonical" href="/docs/a"><link rel="canonical" href="/docs/b">)",
            "https://example.com/docs/p.html"},
        CanonicalCase{"TwoEqualCount", "p.html",
                      R"(<link rel="canonical" href="/docs/a"><link rel="canonical" href="a">)",
                      "https://example.com/docs/a"},
        CanonicalCase{"AnotherHost", "p.html",
                      R"(<link rel="canonical" href="https://www.example.com/docs/p.html">)",
                      "canonical"},
        CanonicalCase{"AnotherScheme", "p.html",
                      R"(<link rel="canonical" href="http://example.com/docs/p.html">)",
                      "canonical"},
        CanonicalCase{"AnotherPort", "p.html",
                      R"(<link rel="canonical" href="https://example.com:8443/docs/p.html">)",
                      "canonical"},
        CanonicalCase{"ASiblingOfTheSitesPath", "p.html",
                      R"(<link rel="canonical" href="/docsearch/p.html">)", "canonical"},
        CanonicalCase{"TheRootIsTheRootRowsPage", "p.html",
                      R"(<link rel="canonical" href="https://example.com/docs/">)", "duplicate"}));

TEST(HeadRules, RefreshWithoutUrlOrToThePageItselfIsNoRedirect) {
  FakeScan scan;
  scan.settings.skipRedirects = true;
  scan.fs.addFile("clock.html").content = page(R"(<meta http-equiv="Refresh" content="30">)");
  scan.fs.addFile("self.html").content =
      page(R"(<meta http-equiv="refresh" content="5;URL='self.html#x'">)");
  scan.fs.addFile("later.html").content =
      page(R"(<meta http-equiv="refresh" content="600; url=https://example.com/elsewhere">)");
  scan.scanner.run();
  EXPECT_THAT(scan.rows(),
              ElementsAre("http://example.com/clock.html", "http://example.com/self.html"));
  EXPECT_THAT(scan.leftOut(), ElementsAre("redirect later.html")) << "whatever the delay";
}

TEST(HeadRules, FirstRuleInOrderGivesTheReasonAndRobotsTxtSeesTheFinalUrl) {
  FakeScan scan;
  scan.allRules();
  scan.settings.obeyRobots = true;
  scan.fs.addFile("robots.txt").content = "User-agent: *\nDisallow: /private/\n";
  scan.fs.addFile("stub.html").content =
      page(R"(<meta name="robots" content="noindex"><meta http-equiv="refresh" content="0;url=/x">)"
           R"(<link rel="canonical" href="https://elsewhere.example/">)");
  scan.fs.addFile("moved.html").content =
      page(R"(<meta http-equiv="refresh" content="0;url=/x"><link rel="canonical" href="//a.b/">)");
  scan.fs.addFile("public.html").content =
      page(R"(<link rel="canonical" href="/private/public.html">)");
  scan.fs.addFile("private/p.html").content = page(R"(<link rel="canonical" href="/open.html">)");
  scan.scanner.run();
  EXPECT_THAT(scan.leftOut(),
              ElementsAre("noindex stub.html", "redirect moved.html", "robots public.html"));
  EXPECT_THAT(scan.rows(), ElementsAre("http://example.com/open.html"));
}

TEST(HeadRules, WithEveryRuleOffNoPageIsOpened) {
  FakeScan scan;
  addJudgedSite(scan.fs);
  scan.settings.obeyRobots = true;
  scan.settings.dropExtension = true;
  scan.scanner.run();
  EXPECT_EQ(scan.fs.fileOpens, 0);
  EXPECT_EQ(scan.fs.fileReads, 1) << "robots.txt alone";
  EXPECT_EQ(scan.pages.size(), 6u);

  scan.settings.useCanonical = true;
  scan.scanner.run();
  EXPECT_EQ(scan.fs.fileOpens, 6) << "each page once";
}

TEST(HeadRules, RulesAreThoseOfTheScansStart) {
  FakeScan scan;
  scan.fs.addFile("a.html").content = page(R"(<meta name="robots" content="none">)");
  scan.fs.addFile("b.html").content = page(R"(<meta name="robots" content="none">)");
  scan.settings.skipNoindex = true;
  scan.scanner.onFileDone = [&] { scan.settings.skipNoindex = false; };
  scan.scanner.run();
  EXPECT_THAT(scan.leftOut(), ElementsAre("noindex a.html", "noindex b.html"));
}

TEST(OneRowPerUrl, ThePageWhoseOwnPathGivesTheUrlKeepsTheRowInPlaceWithItsTime) {
  FakeScan scan;
  scan.settings.useCanonical = true;
  scan.settings.otherPriority.setIndex(3);
  // A folder's files come before its sub-folders': the copies come first.
  scan.fs.addFile("print.html").content = page(R"(<link rel="canonical" href="/docs/a.html">)");
  scan.fs.addFile("amp.html").content = page(R"(<link rel="canonical" href="docs/a.html">)");
  scan.fs.addFile("b.html");
  scan.fs.addFile("docs/a.html").time = DateTime{{2020, 1, 2}, {3, 4, 5}};
  scan.fs.addFile("docs/x.html").content = page(R"(<link rel="canonical" href="a.html">)");
  scan.scanner.run();
  EXPECT_THAT(scan.rows(),
              ElementsAre("http://example.com/docs/a.html", "http://example.com/b.html"));
  EXPECT_EQ(scan.pages.at(1).dateText, "2.1.2020") << "the time of the page itself";
  EXPECT_EQ(scan.pages.at(1).priority, "0.2");
  EXPECT_THAT(scan.leftOut(),
              ElementsAre("duplicate amp.html", "duplicate print.html", "duplicate docs/x.html"));
  EXPECT_EQ(scan.scanner.keptFileCount(), 2u);
}

TEST(OneRowPerUrl, FilesGivingOneUrlWithoutTheExtensionKeepTheFirstInWalkOrder) {
  FakeScan scan;
  scan.settings.dropExtension = true;
  scan.fs.addFile("a.htm");
  scan.fs.addFile("a.html");
  scan.fs.addFile("A.HTML");
  scan.scanner.run();
  EXPECT_THAT(scan.rows(), ElementsAre("http://example.com/a", "http://example.com/A"));
  EXPECT_THAT(scan.leftOut(), ElementsAre("duplicate a.html"));
}

TEST(OneRowPerUrl, DroppedExtensionThenTheCanonicalUrlAndTheIndexFileFirst) {
  FakeScan scan;
  scan.settings.dropExtension = true;
  scan.settings.useCanonical = true;
  scan.settings.indexFile = "index.html";
  // The root's page is the root row's, whatever its canonical URL.
  scan.fs.addFile("index.html").content = page(R"(<link rel="canonical" href="/index.html">)");
  scan.fs.addFile("blog/index.html");
  // Its canonical URL is the form without the extension: its own.
  scan.fs.addFile("about.html").content = page(R"(<link rel="canonical" href="/about">)");
  scan.fs.addFile("contact.html").content = page(R"(<link rel="canonical" href="/contact.html">)");
  scan.fs.addFile("home.html").content = page(R"(<link rel="canonical" href="/">)");
  scan.scanner.run();
  EXPECT_THAT(scan.rows(),
              ElementsAre("http://example.com/about", "http://example.com/contact.html",
                          "http://example.com/blog/"));
  EXPECT_THAT(scan.leftOut(), ElementsAre("duplicate home.html"));
  EXPECT_EQ(scan.pages.at(0).url, "http://example.com/") << "the root row's texts stay";
}

struct DropCase {
  const char* path;
  const char* indexFile;
  const char* url;
  friend void PrintTo(const DropCase& c, std::ostream* os) { *os << c.path << " " << c.indexFile; }
};

class DropExtension : public ::testing::TestWithParam<DropCase> {};

TEST_P(DropExtension, LeavesOutTheNamesFinalPageExtensionAfterTheIndexFileRule) {
  EXPECT_EQ(SiteScanner::fileUrl("http://s", GetParam().path, GetParam().indexFile, false, true),
            GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(Cases, DropExtension,
                         ::testing::Values(DropCase{"about.html", "index.htm", "http://s/about"},
                                           DropCase{"a/b.HTM", "index.htm", "http://s/a/b"},
                                           DropCase{"a/Index.Html", "", "http://s/a/Index"},
                                           DropCase{"a/index.html", "index.html", "http://s/a/"},
                                           DropCase{"a/index.htm", "index.html",
                                                    "http://s/a/index"},
                                           DropCase{"v1.html.html", "", "http://s/v1.html"},
                                           DropCase{"page.shtml", "", "http://s/page.shtml"},
                                           DropCase{"a.html/b.txt", "", "http://s/a.html/b.txt"},
                                           DropCase{"a/.html", "", "http://s/a/.html"},
                                           DropCase{"a b&c.html", "", "http://s/a%20b&amp;c"}));

struct UnreadableCase {
  const char* name;
  void (*spoil)(test::FakeFileSystem::Entry&);
  friend void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.name; }
};

class UnreadablePage : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadablePage, KeepsItsRowAndIsCounted) {
  FakeScan scan;
  scan.allRules();
  scan.fs.addFile("a.html").content = page(R"(<meta name="robots" content="noindex">)");
  GetParam().spoil(scan.fs.addFile("b.html"));
  scan.fs.addFile("c.html");
  scan.scanner.run();
  EXPECT_THAT(scan.rows(), ElementsAre("http://example.com/b.html", "http://example.com/c.html"));
  EXPECT_THAT(scan.leftOut(), ElementsAre("noindex a.html", "unreadable b.html"));
  EXPECT_EQ(scan.scanner.keptFileCount(), 2u);
  EXPECT_EQ(scan.scanner.leftOut().leftOutCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadablePage,
    ::testing::Values(
        UnreadableCase{"NoRegularFile", [](auto& entry) { entry.special = true; }},
        UnreadableCase{"Refused", [](auto& entry) { entry.openError = EACCES; }},
        UnreadableCase{"GoneWhenOpened", [](auto& entry) { entry.openError = ENOENT; }},
        UnreadableCase{"RefusedWhenRead", [](auto& entry) { entry.readError = EPERM; }}));

TEST(UnreadablePage, AnInputOutputErrorEndsTheScanNamingTheFile) {
  for (const bool whenOpened : {true, false}) {
    FakeScan scan;
    scan.settings.skipNoindex = true;
    scan.fs.addFile("a.html");
    test::FakeFileSystem::Entry& broken = scan.fs.addFile("sub/broken.html");
    (whenOpened ? broken.openError : broken.readError) = EIO;
    scan.fs.addFile("sub/z.html");
    try {
      scan.scanner.run();
      ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
      EXPECT_STREQ(error.className(), "EInOutError");
      EXPECT_EQ(error.message(),
                "Cannot read the head of \"ROOT/sub/broken.html\": Input/output error");
    }
    EXPECT_THAT(scan.rows(), ElementsAre("http://example.com/a.html"));
    EXPECT_FALSE(scan.scanner.isRunning());
  }
}

/// A real tree of files a page read must not hang on nor read whole.
TEST(UnreadablePage, FifoHugeSparsePageDeviceLinkAndRefusedPageEndTheScanCounted) {
  test::TempDir dir;
  dir.writeFile("a.html", page(R"(<meta name="robots" content="noindex">)"));
  ASSERT_EQ(mkfifo((dir / "fifo.html").c_str(), 0644), 0);
  {
    const int fd = ::open((dir / "huge.html").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{2} * 1024 * 1024 * 1024), 0);
    ::close(fd);
  }
  ASSERT_EQ(symlink("/dev/zero", (dir / "zero.html").c_str()), 0);
  dir.writeFile("refused.html", page(R"(<meta name="robots" content="noindex">)"));
  ASSERT_EQ(chmod((dir / "refused.html").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);

  const int result = test::runAsNobody([&] {
    GeneratorSettings settings;
    settings.fileMask = "*.html";
    settings.skipNoindex = true;
    PageList pages;
    Inputs inputs;
    inputs.folder = dir.path();
    const LocaleFormats formats = test::dayFirstFormats();
    SiteScanner scanner(settings, pages, inputs, formats);
    scanner.run();
    if (pages.size() != 5) return 1;  // the root row and four kept pages
    if (scanner.leftOut().count(LeftOutReason::Noindex) != 1) return 2;
    if (scanner.leftOut().count(LeftOutReason::Unreadable) != 3) return 3;  // fifo, zero, refused
    const std::string report = SitemapJob::report({}, scanner.leftOut(), scanner.keptFileCount());
    return report.ends_with("Vynechané stránky: 1 (noindex 1)\nNečitateľné stránky: 3") ? 0 : 4;
  });
  EXPECT_EQ(result, 0);
}

#ifdef QORV_FAULT_POINTS
TEST(UnreadablePage, InputOutputErrorOfARealReadEndsTheScan) {
  test::TempDir dir;
  dir.writeFile("a.html", page(""));
  GeneratorSettings settings;
  settings.useCanonical = true;
  PageList pages;
  Inputs inputs;
  inputs.folder = dir.path();
  const LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner(settings, pages, inputs, formats);
  const FaultScope fault("read", 1, EIO);
  EXPECT_THROW(scanner.run(), IoError);
  EXPECT_EQ(pages.size(), 1u);
}
#endif

}  // namespace
}  // namespace qorv
