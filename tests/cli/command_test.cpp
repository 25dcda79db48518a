// Whole runs of the command line, in-process: the project it reads and
// saves, what its options change, the sitemap it writes and what it prints.

#include "cli/command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "fuzz/sitemapcheck.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string contents(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

/// Runs the command line with `args` in this process, in a locale with ISO
/// dates.
CliRun runCli(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (!out || !err) {
    ADD_FAILURE() << "no temporary file";
    return {};
  }
  const cli::Console console{out, err, [] {
                               LocaleFormats formats;
                               formats.shortDateFormat = "yyyy/MM/dd";
                               formats.dateSeparator = "-";
                               return formats;
                             }};
  CliRun run;
  run.status = cli::runCommand(args, console);
  run.out = contents(out);
  run.err = contents(err);
  return run;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

TEST(Command, OptionsForSearchEnginesComeFromTheProjectAndTheCommandLine) {
  test::TempDir dir;
  dir.writeFile("site/a.htm");
  dir.writeFile("site/robots.txt", "User-agent: *\n");
  dir.writeFile("site.prj", "[Project]\r\nGzip=1\r\nSchema=1\r\n");
  CliRun run = runCli({"--project", dir / "site.prj", "--no-gzip", "--robots", "--split",
                       "--save-project", dir / "saved.prj", dir / "site", "https://s/"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("\n\nrobots.txt: doplnený riadok Sitemap\n"));
  EXPECT_THAT(run.out, Not(HasSubstr("Komprimované")));
  EXPECT_FALSE(test::fileExists(dir / "site/sitemap.xml.gz"));
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"),
              HasSubstr("sitemaps.org/schemas/sitemap/0.9"));
  EXPECT_EQ(test::readFile(dir / "site/robots.txt"),
            "User-agent: *\nSitemap: https://s/sitemap.xml\n");
  EXPECT_THAT(test::readFile(dir / "saved.prj"),
              HasSubstr("TagIndent=0\r\nSchema=1\r\nSplitIndex=1\r\nRobotsTxt=1\r\n"));

  run = runCli({"--project", dir / "saved.prj", "--schema", "0.84", "--gzip"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out,
              HasSubstr("\n\nKomprimované kópie: .gz\n\nrobots.txt: riadok Sitemap už je\n"));
  EXPECT_TRUE(test::fileExists(dir / "site/sitemap.xml.gz"));
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"),
              HasSubstr("google.com/schemas/sitemap/0.84"));
}

TEST(CommandDates, AMemoryFileIsRelativeToTheProjectOrTheCurrentFolderAndItsFailureFailsTheRun) {
  test::TempDir dir;
  dir.writeFile("site/a.htm");
  dir.makeDir("projects/mem");
  dir.writeFile("projects/site.prj", "[Project]\r\nLocalFolder=" + (dir / "site") +
                                         "\r\nURL=http://s/\r\nLastmodSource=2\r\n"
                                         "LastmodMemory=mem/site.mem\r\n");
  CliRun run = runCli({"--project", dir / "projects/site.prj"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(test::fileExists(dir / "projects/mem/site.mem"));

  const std::string folder = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  run = runCli({"--project", dir / "projects/site.prj", "--lastmod-memory", "here.mem"});
  const CliRun missing = runCli(
      {"--lastmod", "content", "--lastmod-memory", "no/such/folder.mem", "site", "http://s/"});
  std::filesystem::current_path(folder);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(test::fileExists(dir / "here.mem"));

  // The sitemap stays written and the report says so; the run still fails.
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.out, StartsWith("Tessaly vytvorená do súboru:"));
  EXPECT_THAT(missing.out,
              HasSubstr("\n\nPamäť obsahu sa nepodarilo uložiť: \"no/such/folder.mem\""));
  EXPECT_EQ(missing.err,
            "qorv-cli: EInOutError: Cannot save the content memory \"no/such/folder.mem\": No such "
            "file or directory\n");
  EXPECT_TRUE(test::fileExists(dir / "site/sitemap.xml"));
}

TEST(Command, StylesheetIsWrittenNamedAndSavedAndOneOfTheUsersStays) {
  test::TempDir dir;
  dir.writeFile("site/a.htm");
  CliRun run = runCli(
      {"--write-stylesheet", "--save-project", dir / "site.prj", dir / "site", "https://s/"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("sitemap.xsl")));
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"),
              StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                         "<?xml-stylesheet type=\"text/xsl\" href=\"sitemap.xsl\"?>\r\n<urlset "));
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xsl"),
              HasSubstr("\n<!-- Quorvex sitemap stylesheet."));
  EXPECT_THAT(test::readFile(dir / "site.prj"), ::testing::EndsWith("\r\nWriteStylesheet=1\r\n"));

  dir.writeFile("site/sitemap.xsl", "<xsl:stylesheet/>");
  run = runCli({"--project", dir / "site.prj", "--stylesheet", "/s&t.xsl"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out,
              ::testing::EndsWith("\n\nsitemap.xsl už existuje a nie je náš: ponechaný.\n"));
  EXPECT_EQ(test::readFile(dir / "site/sitemap.xsl"), "<xsl:stylesheet/>");
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"),
              HasSubstr("\r\n<?xml-stylesheet type=\"text/xsl\" href=\"/s&amp;t.xsl\"?>\r\n"));
}

TEST(Command, HreflangWritesAlternatesWithSchema09AndSaysOnceThat084HasNoRoom) {
  test::TempDir dir;
  dir.writeFile("site/en.html", R"(<link rel="alternate" hreflang="en" href="en.html">)"
                                R"(<link rel="alternate" hreflang="sk" href="sk.html">)");
  dir.writeFile("site/sk.html", R"(<link rel="alternate" hreflang="sk" href="sk.html">)");
  CliRun run =
      runCli({"--hreflang", "--save-project", dir / "site.prj", dir / "site", "https://s/"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "qorv-cli: --hreflang does nothing with schema 0.84: language alternates need "
            "--schema 0.9\n");
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"), Not(HasSubstr("xhtml")));
  EXPECT_THAT(run.out, Not(HasSubstr("Jazykové")));
  EXPECT_THAT(test::readFile(dir / "site.prj"), ::testing::EndsWith("\r\nHreflang=1\r\n"));

  run = runCli({"--project", dir / "site.prj", "--schema", "0.9"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string written = test::readFile(dir / "site/sitemap.xml");
  EXPECT_THAT(written, HasSubstr(R"( xmlns:xhtml="http://www.w3.org/1999/xhtml" )"));
  EXPECT_THAT(written, HasSubstr("      <loc>https://s/en.html</loc>\r\n"
                                 "      <lastmod>"));
  EXPECT_THAT(written, HasSubstr("      <xhtml:link rel=\"alternate\" hreflang=\"sk\" "
                                 "href=\"https://s/sk.html\"/>\r\n   </url>\r\n"));
  EXPECT_TRUE(fuzz::checkSitemap(written).wellFormed);
  EXPECT_THAT(run.out, HasSubstr("\n\nJazykové verzie bez spätného odkazu: 1\n"));
}

TEST(Command, OptionsSetMasksIndexFileTagsAndTicks) {
  test::TempDir dir;
  dir.writeFile("index.php");
  dir.writeFile("a.htm");
  const CliRun run = runCli({"--mask", "*.php", "--index=", "--changefreq", "None", "--priority",
                             "0.55", "--root-changefreq", "WEEKLY", "--include", "none", "--list",
                             dir.path(), "http://s/"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[0], ::testing::EndsWith("\tWEEKLY\t0.5\t0"));
  EXPECT_THAT(lines[1], StartsWith("http://s/index.php\t"));
  EXPECT_THAT(lines[1], ::testing::EndsWith("\tNone\t0.55\t0"));
}

TEST(CommandLeftOut, ExcludePatternsAddToTheProjectsAndLeftOutPrintsEachEntryAfterTheReport) {
  test::TempDir dir;
  for (const char* page : {"site/index.htm", "site/404.html", "site/drafts/a.htm",
                           "site/blog/b.htm", "site/blog/c.htm"})
    dir.writeFile(page);
  dir.writeFile("site/robots.txt", "User-agent: *\nDisallow: /blog/b\n");
  dir.writeFile("site.prj", "[Project]\r\nExclude=drafts/\r\n");
  const CliRun run = runCli({"--project", dir / "site.prj", "--exclude", "404.html",
                             "--obey-robots", "--left-out", dir / "site", "https://s/"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 11u) << run.out;
  EXPECT_EQ(lines[5], "Počet Url: 2");
  EXPECT_EQ(lines[6], "");
  EXPECT_EQ(lines[7], "Vynechané stránky: 3 (vylúčené vzorom 2, zakázané v robots.txt 1)");
  // Root files come before folders; the order among each is the disk's.
  EXPECT_EQ(lines[8], "exclude\t404.html");
  EXPECT_THAT(std::vector<std::string>(lines.begin() + 9, lines.end()),
              ::testing::UnorderedElementsAre("exclude\tdrafts/", "robots\tblog/b.htm"));
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"), Not(HasSubstr("b.htm")));

  const CliRun cleared = runCli({"--project", dir / "site.prj", "--no-exclude", "--exclude",
                                 "blog/", "--left-out", "--list", dir / "site", "https://s/"});
  ASSERT_EQ(cleared.status, 0) << cleared.err;
  EXPECT_THAT(splitLines(cleared.out),
              ::testing::ElementsAre(StartsWith("https://s/\t"), StartsWith("https://s/404.html\t"),
                                     StartsWith("https://s/drafts/a.htm\t"), "exclude\tblog/"))
      << "the project's pattern is forgotten, and the entries follow the list";
}

TEST(CommandLeftOut, EverythingLeftOutStillWritesTheRootRowAndSaysWhy) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile("robots.txt", "User-agent: *\nDisallow: /\n");
  const CliRun run = runCli({"--obey-robots", dir.path(), "https://s/"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("\n\nPočet Url: 1\n\nVynechané stránky: 1 (zakázané v "
                                 "robots.txt 1)\nVšetky stránky vynechané pravidlom: zakázané "
                                 "v robots.txt. Skontrolujte adresu webu a nastavenia.\n"));
  EXPECT_THAT(test::readFile(dir / "sitemap.xml"), HasSubstr("<loc>https://s/</loc>"));
}

TEST(CommandLeftOut, RobotsTxtThatCannotBeReadEndsTheRunWritingNothing) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.makeDir("robots.txt");
  const CliRun run = runCli({"--obey-robots", dir.path(), "https://s/"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "qorv-cli: EInOutError: Cannot read \"" + dir.path() +
                         "robots.txt\": Is a directory\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(test::fileExists(dir / "sitemap.xml"));
  EXPECT_EQ(runCli({dir.path(), "https://s/"}).status, 0) << "unless it is obeyed";
}

TEST(CommandLeftOut, HeadRulesLeaveOutPagesByWhatTheirHeadsSayAndCountUnreadablePages) {
  test::TempDir dir;
  dir.writeFile("index.htm");
  dir.writeFile("about.html", R"(<link rel="canonical" href="/about">)");
  dir.writeFile("draft.html", R"(<meta name="robots" content="noindex">)");
  dir.writeFile("old.html", R"(<meta http-equiv="refresh" content="0; url=/about">)");
  dir.writeFile("print.html", R"(<link rel="canonical" href="https://s/about">)");
  ASSERT_EQ(symlink("/dev/null", (dir / "null.html").c_str()), 0);
  const std::vector<std::string> rules = {"--skip-noindex", "--skip-redirects", "--use-canonical",
                                          "--drop-extension"};
  std::vector<std::string> args = rules;
  args.insert(args.end(), {"--left-out", dir.path(), "https://s/"});
  const CliRun run = runCli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("\n\nPočet Url: 3\n\nVynechané stránky: 3 (noindex 1, "
                                 "presmerovanie 1, rovnaká adresa ako iná stránka 1)\n"
                                 "Nečitateľné stránky: 1\n"));
  std::vector<std::string> entries = splitLines(run.out);
  entries.erase(entries.begin(), entries.end() - 4);
  EXPECT_THAT(entries,
              ::testing::UnorderedElementsAre("noindex\tdraft.html", "redirect\told.html",
                                              "duplicate\tprint.html", "unreadable\tnull.html"));
  const std::string sitemap = test::readFile(dir / "sitemap.xml");
  EXPECT_THAT(sitemap, HasSubstr("<loc>https://s/about</loc>"));
  EXPECT_THAT(sitemap, HasSubstr("<loc>https://s/null</loc>"));

  std::vector<std::string> off;
  off.reserve(rules.size() + 3);
  for (const std::string& rule : rules) off.push_back("--no-" + rule.substr(2));
  off.insert(off.end(), {"--list", dir.path(), "https://s/"});
  EXPECT_EQ(splitLines(runCli(off).out).size(), 6u) << "each rule off again";
}

TEST(CommandProject, FolderUrlAndSettingsComeFromTheProject) {
  test::TempDir dir;
  dir.writeFile("site/a.htm");
  dir.writeFile("site/b.php");
  dir.writeFile("site.prj", "[Project]\r\nLocalFolder=" + dir.path() +
                                "site\r\nURL=http://from.project\r\nFileMask=*.php\r\n"
                                "SetChangefreq2=4\r\nSetPriority1=12\r\n");
  const CliRun run = runCli({"--project", dir / "site.prj", "--list"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[0], ::testing::MatchesRegex("http://from.project/\t.*\tdaily\t\t1"));
  EXPECT_THAT(lines[1], StartsWith("http://from.project/b.php\t"));
  EXPECT_THAT(lines[1], ::testing::EndsWith("\tweekly\tnone\t1"));
}

TEST(CommandProject, CommandLineOverridesTheProjectAndIsSavedBeforeTheScan) {
  test::TempDir dir;
  dir.writeFile("site/a.htm");
  dir.writeFile("old.prj",
                "[Project]\r\nLocalFolder=/nowhere\r\nURL=http://old\r\nTagIndent=1\r\n");
  const CliRun run = runCli({"--project", dir / "old.prj", "--save-project", dir / "new.prj",
                             "--changefreq", "Monthly", "--long", dir / "site", "http://new"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::readFile(dir / "new.prj"), "[Project]\r\nLocalFolder=" + dir.path() +
                                                 "site\r\nFileMask=*.htm;*.html\r\n"
                                                 "IndexFile=index.htm\r\nURL=http://new\r\n"
                                                 "SetChangefreq1=3\r\nSetPriority1=6\r\n"
                                                 "SetChangefreq2=5\r\nSetPriority2=0\r\n"
                                                 "SetTimeShort=0\r\nSetTimezone=13\r\n"
                                                 "TagIndent=1\r\n");
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"),
              HasSubstr("<url><loc>http://new/a.htm</loc><lastmod>"));
}

TEST(CommandProject, MissingProjectFileIsAnErrorNotAnEmptyProject) {
  test::TempDir dir;
  const CliRun run = runCli({"--project", dir / "typo.prj"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "qorv-cli: EInOutError: Cannot open project \"" + dir.path() +
                         "typo.prj\": No such file or directory\n");
}

TEST(CommandProject, ProjectWithoutAFolderIsBadUsage) {
  test::TempDir dir;
  dir.writeFile("empty.prj", "[Project]\r\nLocalFolder=\r\n");
  EXPECT_EQ(runCli({"--project", dir / "empty.prj"}).status, 2);
}

TEST(CommandProject, SaveFailureIsReportedAndNothingIsScanned) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  const CliRun run = runCli({"--save-project", dir / "missing/p.prj", dir.path(), "http://s"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "qorv-cli: EIniFileException: Unable to write to " + dir.path() + "missing/p.prj\n");
  EXPECT_FALSE(test::fileExists(dir / "sitemap.xml"));
}

// A copy of a documentation tree with odd names (fixtures/docsite), as a
// crawler sees its sitemap: every loc, with the site URL removed and
// percent-decoded, names a file of the tree or the folder of an index file,
// and every matching file has exactly one.
struct TreeCase {
  const char* name;
  std::vector<std::string> options;
  std::string indexFile;
  std::vector<std::string> extensions;
  friend void PrintTo(const TreeCase& c, std::ostream* os) { *os << c.name; }
};

class CommandSiteTree : public ::testing::TestWithParam<TreeCase> {};

constexpr std::string_view kSite = "https://docs.example.org/";

/// What each matching file of `root` is published as, after the site URL:
/// its path, or its folder's ("" or ending in "/") for an index file; none
/// for the index file of `root` itself, which is the root row.
std::vector<std::string> expectedPaths(const std::string& root, const TreeCase& c) {
  namespace fs = std::filesystem;
  std::vector<std::string> paths;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    const bool matches = std::any_of(c.extensions.begin(), c.extensions.end(),
                                     [&](const std::string& e) { return name.ends_with(e); });
    if (!matches) continue;
    std::string path = fs::relative(entry.path(), root).string();
    if (!c.indexFile.empty() && name == c.indexFile) {
      path.resize(path.size() - name.size());
      if (path.empty()) continue;
    }
    paths.push_back(path);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST_P(CommandSiteTree, EveryLocDecodesToAPageOfTheTree) {
  const TreeCase& c = GetParam();
  test::TempDir dir;
  std::filesystem::copy(QORV_CLI_FIXTURES "/docsite", dir.path(),
                        std::filesystem::copy_options::recursive);
  std::vector<std::string> args = c.options;
  args.push_back(dir.path());
  args.push_back(std::string(kSite));
  const CliRun run = runCli(args);
  ASSERT_EQ(run.status, 0) << run.err;

  const fuzz::SitemapCheck check = fuzz::checkSitemap(test::readFile(dir / "sitemap.xml"));
  ASSERT_TRUE(check.wellFormed) << check.error;
  const std::vector<std::string> locs = splitLines(check.locations);
  ASSERT_FALSE(locs.empty());
  EXPECT_EQ(locs[0], kSite) << "the root row";
  std::vector<std::string> decoded;
  for (std::size_t i = 1; i < locs.size(); ++i) {
    ASSERT_THAT(locs[i], StartsWith(std::string(kSite)));
    EXPECT_EQ(locs[i].find_first_of(" \"#<>?[\\]^`{|}"), std::string::npos)
        << locs[i] << ": a character that may not stand in a URL";
    decoded.push_back(fuzz::percentDecoded(std::string_view(locs[i]).substr(kSite.size())));
  }
  std::sort(decoded.begin(), decoded.end());
  EXPECT_EQ(decoded, expectedPaths(dir.path(), c));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandSiteTree,
    ::testing::Values(
        TreeCase{"HtmlPagesDefaultIndexFile", {"--mask", "*.html"}, "index.htm", {".html"}},
        TreeCase{"HtmlPagesIndexHtml",
                 {"--mask", "*.html", "--index", "index.html"},
                 "index.html",
                 {".html"}},
        TreeCase{"DefaultMasksAndIndexFile", {}, "index.htm", {".htm", ".html"}},
        TreeCase{"NoIndexFile", {"--index="}, "", {".htm", ".html"}},
        TreeCase{
            "LettersOutsideAsciiEncoded", {"--encode-non-ascii"}, "index.htm", {".htm", ".html"}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace qorv
