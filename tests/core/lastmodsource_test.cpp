// The sources of the rows' dates as a whole run sees them: the scan, the
// write, the content memory's file and the completion message.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/contentmemory.h"
#include "core/errors.h"
#include "core/sitemapjob.h"
#include "platform/localzone.h"
#include "tests/support/formats.h"
#include "tests/support/runprogram.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using test::ScopedVariable;

struct Inputs final : ScanInputs {
  std::string folder;
  std::string url = "http://s/";
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return url; }
};

/// git in `folder` with no configuration of the machine or the user, its
/// commits dated `date`.
std::string git(const std::string& folder, const std::vector<std::string>& arguments,
                const std::string& date = "2021-01-01T10:00:00+01:00") {
  std::vector<std::string> argv = {"env",
                                   "GIT_CONFIG_NOSYSTEM=1",
                                   "GIT_CONFIG_GLOBAL=/dev/null",
                                   "GIT_AUTHOR_NAME=A",
                                   "GIT_AUTHOR_EMAIL=a@example.com",
                                   "GIT_COMMITTER_NAME=C",
                                   "GIT_COMMITTER_EMAIL=c@example.com",
                                   "GIT_AUTHOR_DATE=" + date,
                                   "GIT_COMMITTER_DATE=" + date,
                                   "git",
                                   "-C",
                                   folder};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const test::ProgramRun run = test::runProgram(argv);
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(arguments) << ": " << run.err;
  return run.out;
}

void commitAll(const std::string& repo, const std::string& date) {
  git(repo, {"add", "-A"});
  git(repo, {"commit", "-q", "-m", "c"}, date);
}

/// One window or command line: settings, rows, a job over a folder.
struct JobRun {
  explicit JobRun(const std::string& folder) {
    inputs.folder = folder;
    job.scanner().dataFolder = [] { return std::string(); };
  }
  SitemapResult scanAndWrite() {
    EXPECT_TRUE(job.scan());
    pages.includeAll();
    return job.write();
  }
  /// The file rows' date and time texts by URL.
  std::map<std::string, std::string> rowTimes() const {
    std::map<std::string, std::string> times;
    for (std::size_t i = 1; i < pages.size(); ++i)
      times[pages.at(i).url] = pages.at(i).dateText + " " + pages.at(i).timeText;
    return times;
  }

  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  LocaleFormats formats = test::dayFirstFormats();
  SitemapJob job{settings, pages, inputs, formats};
};

std::string rowTextOf(const DateTime& moment, const LocaleFormats& formats) {
  const auto [date, time] = rowTextsOf(RememberedMoment{moment, false}, formats);
  return date + " " + time;
}

class GitDates : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new test::TempDir;
    const std::string repo = dir->makeDir("repo");
    git(repo, {"init", "-q", "-b", "main"});
    for (const char* name : {"a.htm", "keep.htm", "discard.htm", "old.htm", "gone.htm",
                             "modified.htm", "sub/page.htm"})
      dir->writeFile(std::string("repo/site/") + name, name);
    dir->writeFile("repo/outside.htm", "not under the scan folder");
    commitAll(repo, "2021-01-01T10:00:00+01:00");
    dir->writeFile("repo/site/a.htm", "a, second");
    commitAll(repo, "2021-02-01T10:00:00+01:00");
    git(repo, {"checkout", "-q", "-b", "side"});
    dir->writeFile("repo/site/keep.htm", "side");
    dir->writeFile("repo/site/discard.htm", "side");
    commitAll(repo, "2021-03-01T09:00:00-05:00");
    git(repo, {"checkout", "-q", "main"});
    dir->writeFile("repo/site/sub/page.htm", "main");
    commitAll(repo, "2021-04-01T10:00:00+02:00");
    // Keeps the side's keep.htm and discards its discard.htm.
    git(repo, {"merge", "-q", "--no-ff", "--no-commit", "side"});
    git(repo, {"checkout", "main", "--", "site/discard.htm"});
    commitAll(repo, "2021-05-01T10:00:00+02:00");
    git(repo, {"mv", "site/old.htm", "site/new.htm"});
    commitAll(repo, "2021-07-01T12:30:00+02:00");
    git(repo, {"rm", "-q", "site/gone.htm"});
    commitAll(repo, "2021-10-01T10:00:00+02:00");
    dir->writeFile("repo/site/modified.htm", "changed since");
    dir->writeFile("repo/site/untracked.htm", "never added");
    dir->writeFile("repo/site/gone.htm", "back, untracked");
  }
  static void TearDownTestSuite() {
    delete dir;
    dir = nullptr;
  }

  static test::TempDir* dir;
  // Dates in central Europe, where commits of -05:00 and +02:00 are local
  // times of their own.
  ScopedVariable zone{"TZ", "Europe/Bratislava"};
  ScopedVariable noSystemConfig{"GIT_CONFIG_NOSYSTEM", "1"};
  ScopedVariable noUserConfig{"GIT_CONFIG_GLOBAL", "/dev/null"};
};

test::TempDir* GitDates::dir = nullptr;

TEST_F(GitDates, EachRowHasTheDateGitLogNamesInLocalTimeAndTheRestTheirFileTimes) {
  const std::string site = *dir / "repo/site";
  for (const char* name : {"modified.htm", "untracked.htm", "gone.htm"})
    dir->setLocalMTime(std::string("repo/site/") + name, 2030, 1, 2, 3, 4, 6);
  JobRun run(site);
  run.settings.lastmodSource = LastmodSource::Git;
  run.scanAndWrite();
  const std::map<std::string, std::string> rows = run.rowTimes();
  ASSERT_EQ(rows.size(), 8u);
  LocalZone localZone;
  for (const char* name : {"a.htm", "keep.htm", "discard.htm", "new.htm", "sub/page.htm"}) {
    const std::string seconds = git(site, {"log", "-1", "--format=%ct", "--", name});
    ASSERT_FALSE(seconds.empty()) << name;
    const auto local = localZone.localTime(std::stoll(seconds));
    ASSERT_TRUE(local);
    EXPECT_EQ(rows.at(std::string("http://s/") + name), rowTextOf(*local, run.formats)) << name;
  }
  // Spot checks of the oracle itself: the merge that discarded the side's
  // change dates discard.htm by the first commit; the rename by its own.
  EXPECT_EQ(rows.at("http://s/discard.htm"), "1.1.2021 10:00:00");
  EXPECT_EQ(rows.at("http://s/keep.htm"), "1.3.2021 15:00:00");
  EXPECT_EQ(rows.at("http://s/new.htm"), "1.7.2021 12:30:00");
  for (const char* name : {"modified.htm", "untracked.htm", "gone.htm"})
    EXPECT_EQ(rows.at(std::string("http://s/") + name), "2.1.2030 03:04:06") << name;
  EXPECT_EQ(run.job.datesReport(), "Bez histórie v gite (čas súboru): 3");
}

TEST_F(GitDates, AShallowCloneSaysSoAndAFolderOutsideAnyRepositoryKeepsFileTimes) {
  const std::string clone = *dir / "clone";
  git(dir->path(), {"clone", "-q", "--depth", "1", "file://" + (*dir / "repo"), clone});
  JobRun shallow(clone + "/site");
  shallow.settings.lastmodSource = LastmodSource::Git;
  shallow.scanAndWrite();
  EXPECT_EQ(shallow.rowTimes().at("http://s/new.htm"), "1.10.2021 10:00:00")
      << "the one commit a depth of 1 holds stands for all before it";
  EXPECT_EQ(shallow.job.datesReport(),
            "História gitu je skrátená: dátumy môžu byť neskoršie než skutočné zmeny.");

  test::TempDir outside;
  outside.writeFile("p.htm");
  outside.setLocalMTime("p.htm", 2022, 5, 6, 7, 8, 10);
  JobRun none(outside.path());
  none.settings.lastmodSource = LastmodSource::Git;
  none.scanAndWrite();
  EXPECT_EQ(none.rowTimes().at("http://s/p.htm"), "6.5.2022 07:08:10");
  EXPECT_EQ(none.job.datesReport(), "Priečinok nie je v repozitári git: použitý čas súborov.");
}

/// A history that asks to go on until told to stop.
struct StoppableHistory final : GitHistorySource {
  GitHistory read(const std::string&, const std::function<bool()>& keepGoing) override {
    while (keepGoing()) ++asked;
    GitHistory history;
    history.status = GitHistory::Status::Stopped;
    return history;
  }
  int asked = 0;
};

TEST(GitDatesPass, LetsEventsRunAndAStopDuringItEndsTheScanWithTheRootRowAlone) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  JobRun run(dir.path());
  run.settings.lastmodSource = LastmodSource::Git;
  StoppableHistory history;
  run.job.scanner().gitSource = &history;
  int busy = 0;
  run.job.scanner().whileBusy = [&] {
    if (++busy == 3) run.job.scanner().requestStop();
  };
  ASSERT_TRUE(run.job.scan());
  EXPECT_EQ(busy, 3);
  EXPECT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(run.job.datesReport(), "");
}

class ContentMemoryRun : public ::testing::Test {
 protected:
  ContentMemoryRun() {
    site = dir.makeDir("site");
    memoryFile = dir / "memory/site.mem";
    dir.makeDir("memory");
  }
  /// A run under the content memory, its file named by the settings.
  std::unique_ptr<JobRun> makeRun() {
    auto run = std::make_unique<JobRun>(site);
    run->settings.lastmodSource = LastmodSource::Content;
    run->settings.lastmodMemory = memoryFile;
    return run;
  }
  /// Every file of the site written again, at `day` of January 2024, as a
  /// generator's rebuild does.
  void rebuild(int day) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(site)) {
      const std::string relative = std::filesystem::relative(entry.path(), dir.path()).string();
      if (entry.is_regular_file() && entry.path().extension() == ".htm")
        dir.setLocalMTime(relative, 2024, 1, day, 12, 0, 0);
    }
  }
  std::vector<std::string> rememberedPaths() const {
    ContentMemory memory;
    const Result<ContentMemory::Load> load =
        memory.load(memoryFile, std::filesystem::canonical(site).string());
    EXPECT_TRUE(load && *load == ContentMemory::Load::Loaded);
    std::vector<std::string> paths;
    for (const MemoryEntry& entry : memory.entries()) paths.push_back(entry.path);
    return paths;
  }

  test::TempDir dir;
  std::string site;
  std::string memoryFile;
};

TEST_F(ContentMemoryRun, UnchangedBytesKeepTheirDateOverRebuildsAndOnlyTheScansFilesStay) {
  dir.writeFile("site/same.htm", "same");
  dir.writeFile("site/changed.htm", "before");
  dir.writeFile("site/removed.htm", "removed later");
  dir.writeFile("site/renamed.htm", "moves");
  dir.writeFile("site/unticked.htm", "never ticked");
  rebuild(1);
  {
    auto run = makeRun();
    ASSERT_TRUE(run->job.scan());
    run->pages.includeAll();
    for (std::size_t i = 0; i < run->pages.size(); ++i)
      if (run->pages.at(i).url == "http://s/unticked.htm") run->pages.setIncluded(i, false);
    run->job.write();
    EXPECT_EQ(run->job.datesReport(), "");
  }
  EXPECT_EQ(rememberedPaths(),
            (std::vector<std::string>{"changed.htm", "removed.htm", "renamed.htm", "same.htm",
                                      "unticked.htm"}));

  dir.writeFile("site/changed.htm", "after");
  std::filesystem::remove(dir / "site/removed.htm");
  std::filesystem::rename(dir / "site/renamed.htm", dir / "site/moved.htm");
  dir.writeFile("site/new.htm", "new");
  rebuild(2);
  auto second = makeRun();
  second->scanAndWrite();
  const std::map<std::string, std::string> expected2 = {
      {"http://s/same.htm", "1.1.2024 12:00:00"},
      {"http://s/unticked.htm", "1.1.2024 12:00:00"},
      {"http://s/changed.htm", "2.1.2024 12:00:00"},
      {"http://s/moved.htm", "2.1.2024 12:00:00"},
      {"http://s/new.htm", "2.1.2024 12:00:00"}};
  EXPECT_EQ(second->rowTimes(), expected2);
  EXPECT_EQ(rememberedPaths(), (std::vector<std::string>{"changed.htm", "moved.htm", "new.htm",
                                                         "same.htm", "unticked.htm"}));

  rebuild(3);
  auto third = makeRun();
  third->scanAndWrite();
  EXPECT_EQ(third->rowTimes(), expected2) << "nothing changed: every date as written last";
}

TEST_F(ContentMemoryRun, AnEditedRowsDateIsTheOneRememberedInItsOwnForm) {
  dir.writeFile("site/p.htm", "p");
  rebuild(1);
  auto first = makeRun();
  ASSERT_TRUE(first->job.scan());
  first->pages.includeAll();
  first->pages.setDetails(1, "5.6.2023", "7:08:09", "none", "none");
  first->job.write();
  rebuild(2);
  auto second = makeRun();
  second->scanAndWrite();
  EXPECT_EQ(second->rowTimes().at("http://s/p.htm"), "5.6.2023 7:08:09");
}

TEST_F(ContentMemoryRun, ADamagedOrForeignMemoryIsReportedAndStartsAfresh) {
  dir.writeFile("site/p.htm", "p");
  rebuild(1);
  makeRun()->scanAndWrite();
  const std::string good = test::readFile(memoryFile);

  // The same memory taken for another folder is of no use there.
  const std::string other = dir.makeDir("other");
  dir.writeFile("other/p.htm", "p");
  dir.setLocalMTime("other/p.htm", 2024, 1, 9, 12, 0, 0);
  dir.setLocalMTime("site/p.htm", 2024, 1, 9, 12, 0, 0);
  for (const auto& [name, bytes, folder] :
       {std::tuple{"damaged", good.substr(0, good.size() - 3) + "xyz", site},
        std::tuple{"foreign", good, other}}) {
    dir.writeFile("memory/site.mem", bytes);
    auto run = makeRun();
    run->inputs.folder = folder;
    run->scanAndWrite();
    EXPECT_EQ(run->rowTimes().at("http://s/p.htm"), "9.1.2024 12:00:00") << name;
    EXPECT_EQ(run->job.datesReport(), "Pamäť obsahu je poškodená: začína sa odznova.") << name;
  }
}

TEST_F(ContentMemoryRun, AFailedSitemapLeavesTheMemoryAndAFailedMemoryWriteIsReported) {
  dir.writeFile("site/p.htm", "p");
  rebuild(1);
  makeRun()->scanAndWrite();
  const std::string before = test::readFile(memoryFile);

  dir.writeFile("site/p.htm", "changed");
  std::filesystem::remove(dir / "site/sitemap.xml");
  dir.writeFile("site/sitemap.xml/in-the-way", "a folder where the sitemap goes");
  auto failing = makeRun();
  ASSERT_TRUE(failing->job.scan());
  failing->pages.includeAll();
  EXPECT_THROW(failing->job.write(), IoError);
  EXPECT_EQ(test::readFile(memoryFile), before);
  std::filesystem::remove_all(dir / "site/sitemap.xml");

  auto unsaved = makeRun();
  unsaved->settings.lastmodMemory = dir / "no-such-folder/site.mem";
  const SitemapResult result = unsaved->scanAndWrite();
  EXPECT_TRUE(std::filesystem::exists(result.filePath));
  EXPECT_EQ(unsaved->job.datesReport(), "Pamäť obsahu sa nepodarilo uložiť: \"" +
                                            (dir / "no-such-folder/site.mem") +
                                            "\": No such file or directory");
  EXPECT_NE(unsaved->job.completionMessage(result).find("\n\nPamäť obsahu sa nepodarilo uložiť"),
            std::string::npos);
}

TEST_F(ContentMemoryRun, AStoppedScanLeavesTheMemoryAsItWas) {
  dir.writeFile("site/a.htm", "a");
  dir.writeFile("site/b.htm", "b");
  rebuild(1);
  makeRun()->scanAndWrite();
  const std::string before = test::readFile(memoryFile);
  auto run = makeRun();
  run->job.scanner().onFileDone = [&] { run->job.scanner().requestStop(); };
  ASSERT_TRUE(run->job.scan());
  ASSERT_EQ(run->pages.size(), 2u);
  run->pages.includeAll();
  run->job.write();
  EXPECT_EQ(test::readFile(memoryFile), before);
}

TEST_F(ContentMemoryRun, AFifoIsNeverOpenedAndKeepsItsFileTimeCounted) {
  dir.writeFile("site/p.htm", "p");
  ASSERT_EQ(mkfifo((dir / "site/pipe.htm").c_str(), 0600), 0);
  rebuild(1);
  dir.setLocalMTime("site/pipe.htm", 2024, 1, 1, 12, 0, 0);
  auto run = makeRun();
  run->scanAndWrite();
  EXPECT_EQ(run->rowTimes().at("http://s/pipe.htm"), "1.1.2024 12:00:00");
  EXPECT_EQ(run->job.datesReport(), "Nečitateľné stránky: 1");
  EXPECT_EQ(rememberedPaths(), std::vector<std::string>{"p.htm"});
}

TEST_F(ContentMemoryRun, ThePageThatTakesOverADuplicatesRowIsTheOneRemembered) {
  // The copy comes first in walk order; the page itself takes its row.
  dir.writeFile("site/print.htm", R"(<link rel="canonical" href="http://s/docs/a.htm">)");
  dir.writeFile("site/docs/a.htm", "the page");
  dir.writeFile("site/docs/b.htm", "another");
  rebuild(1);
  const auto run = makeRun();
  run->settings.useCanonical = true;
  ASSERT_TRUE(run->job.scan());
  ASSERT_EQ(run->pages.size(), 3u);
  const std::vector<ScannedContent>& contents = run->job.scanner().dates().contents;
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents[0].row, 1u);
  EXPECT_EQ(contents[0].path, "docs/a.htm");
  EXPECT_EQ(contents[1].row, 2u);
  EXPECT_EQ(contents[1].path, "docs/b.htm");
}

TEST(ContentMemoryPlace, TheUsersDataFolderByDefaultAndARelativeNameFromItsBase) {
  GeneratorSettings settings;
  EXPECT_EQ(settings.contentMemoryFile("/home/u/.local/share/Quorvex/", "/srv/site"),
            defaultContentMemoryFile("/home/u/.local/share/Quorvex/", "/srv/site"));
  settings.lastmodMemory = "ci/site.mem";
  EXPECT_EQ(settings.contentMemoryFile("/d/", "/srv/site"), "ci/site.mem");
  settings.lastmodMemoryBase.folder = "/projects/";
  EXPECT_EQ(settings.contentMemoryFile("/d/", "/srv/site"), "/projects/ci/site.mem");
  settings.lastmodMemory = "/abs/site.mem";
  EXPECT_EQ(settings.contentMemoryFile("/d/", "/srv/site"), "/abs/site.mem");
}

/// A site of `count` pages, all written at one moment.
void writeSameDatedPages(test::TempDir& dir, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string name = "p" + std::to_string(i) + ".htm";
    dir.writeFile(name, name);
    dir.setLocalMTime(name, 2024, 3, 4, 5, 6, 8);
  }
}

struct UniformCase {
  const char* name;
  int pages;
  LastmodSource source;
  bool dateOnly;
  const char* report;
  friend void PrintTo(const UniformCase& c, std::ostream* os) { *os << c.name; }
};

class OneDateForAll : public ::testing::TestWithParam<UniformCase> {};

TEST_P(OneDateForAll, IsWarnedOfWithASuggestionUnlessATrustedSourceIsInUse) {
  const UniformCase& c = GetParam();
  test::TempDir dir;
  writeSameDatedPages(dir, c.pages);
  JobRun run(dir.path());
  run.settings.lastmodSource = c.source;
  run.settings.dateOnlyLastmod = c.dateOnly;
  run.settings.lastmodMemory = dir / "memory.mem";
  run.scanAndWrite();
  EXPECT_EQ(run.job.datesReport(), c.report);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OneDateForAll,
    ::testing::Values(
        UniformCase{"TenPages", 10, LastmodSource::FileTime, true,
                    "Všetky stránky majú rovnaký dátum zmeny (4.3.2024). Vyhľadávače takému "
                    "dátumu neveria.\nSkúste zdroj dátumu git alebo pamäť obsahu."},
        UniformCase{"NinePages", 9, LastmodSource::FileTime, true, ""},
        UniformCase{"LongForm", 10, LastmodSource::FileTime, false,
                    "Všetky stránky majú rovnaký dátum zmeny (4.3.2024 05:06). Vyhľadávače takému "
                    "dátumu neveria.\nSkúste zdroj dátumu git alebo pamäť obsahu."},
        UniformCase{"ContentMemory", 10, LastmodSource::Content, true,
                    "Všetky stránky majú rovnaký dátum zmeny (4.3.2024). Vyhľadávače takému "
                    "dátumu neveria."},
        UniformCase{"NoLastmod", 10, LastmodSource::None, true, ""}));

TEST(OneDateForAll, UntickedRowsAndTheRootRowDoNotCount) {
  test::TempDir dir;
  writeSameDatedPages(dir, 11);
  JobRun run(dir.path());
  ASSERT_TRUE(run.job.scan());
  run.pages.includeAll();
  run.pages.setIncluded(1, false);
  run.job.write();
  EXPECT_NE(run.job.datesReport(), "");
  run.pages.setIncluded(2, false);
  run.job.write();
  EXPECT_EQ(run.job.datesReport(), "") << "nine file rows written";
}

struct ZoneCase {
  const char* zone;
  bool dateOnly;
  const char* report;
};

TEST(InvalidZone, IsNamedWhenTheLongFormCannotWriteIt) {
  const ZoneCase cases[] = {
      {"+1", false, "Časové pásmo „+1“ nie je platné: dátumy zapísané bez času."},
      {"", false, "Časové pásmo „“ nie je platné: dátumy zapísané bez času."},
      {"+1", true, ""},
      {"+05:30", false, ""},
      {"automaticky", false, ""},
  };
  test::TempDir dir;
  dir.writeFile("a.htm");
  for (const ZoneCase& c : cases) {
    JobRun run(dir.path());
    run.settings.timeZone.setTyped(c.zone, -1);
    run.settings.dateOnlyLastmod = c.dateOnly;
    const SitemapResult result = run.scanAndWrite();
    EXPECT_EQ(run.job.datesReport(), c.report) << c.zone;
    if (*c.report) {
      EXPECT_TRUE(run.job.completionMessage(result).ends_with(std::string("\n\n") + c.report));
    }
  }
}

TEST(DefaultDates, SayNothingMore) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  JobRun run(dir.path());
  const SitemapResult result = run.scanAndWrite();
  EXPECT_EQ(run.job.completionMessage(result), SitemapJob::report(result, {}, 1));
}

}  // namespace
}  // namespace qorv
