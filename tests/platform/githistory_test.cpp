#include "platform/githistory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/lastcommits.h"
#include "tests/support/runprogram.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

namespace fs = std::filesystem;

using test::ScopedVariable;

/// Runs git in `folder` with no configuration of the machine or the user,
/// commits dated `date` (ISO 8601 with a zone). Unless `mayFail`, it must
/// succeed.
std::string git(const std::string& folder, const std::vector<std::string>& arguments,
                const std::string& date = "2020-01-01T00:00:00+00:00", bool mayFail = false) {
  std::vector<std::string> argv = {"env",
                                   "GIT_CONFIG_NOSYSTEM=1",
                                   "GIT_CONFIG_GLOBAL=/dev/null",
                                   "GIT_AUTHOR_NAME=Author",
                                   "GIT_AUTHOR_EMAIL=author@example.com",
                                   "GIT_COMMITTER_NAME=Committer",
                                   "GIT_COMMITTER_EMAIL=committer@example.com",
                                   "GIT_AUTHOR_DATE=" + date,
                                   "GIT_COMMITTER_DATE=" + date,
                                   "git",
                                   "-C",
                                   folder};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const test::ProgramRun run = test::runProgram(argv);
  if (!mayFail) {
    EXPECT_EQ(run.status, 0) << "git " << ::testing::PrintToString(arguments) << ": " << run.err;
  }
  return run.out;
}

void commitAll(const std::string& repo, const std::string& date, const std::string& message) {
  git(repo, {"add", "-A"});
  git(repo, {"commit", "-q", "--allow-empty", "--allow-empty-message", "-m", message}, date);
}

/// How many parents HEAD has: the fixture's merges must be merges.
std::size_t headParents(const std::string& repo) {
  const std::string line = git(repo, {"rev-list", "--parents", "-n", "1", "HEAD"});
  return static_cast<std::size_t>(std::count(line.begin(), line.end(), ' '));
}

/// "2021-05-01T10:00:00+02:00", as %cI shows a commit's moment.
CommitTime parseIsoTime(std::string_view text) {
  auto number = [&](std::size_t at, std::size_t length) -> std::int64_t {
    return std::stoi(std::string(text.substr(at, length)));
  };
  const int year = static_cast<int>(number(0, 4));
  const int month = static_cast<int>(number(5, 2));
  const int day = static_cast<int>(number(8, 2));
  // Days from 1970-01-01 to the date (proleptic Gregorian calendar).
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = std::int64_t{era} * 146097 + dayOfEra - 719468;
  const int offset =
      (text[19] == '-' ? -1 : 1) * static_cast<int>(number(20, 2) * 60 + number(23, 2));
  const std::int64_t local =
      days * 86400 + number(11, 2) * 3600 + number(14, 2) * 60 + number(17, 2);
  return {local - std::int64_t{offset} * 60, offset};
}

/// The oracle: the commit that `git log -1 -- FILE` names, for a file that
/// HEAD holds, run in `folder`; nothing for any other file.
std::optional<CommitTime> oracle(const std::string& folder, const std::string& path) {
  const test::ProgramRun inHead =
      test::runProgram({"env", "GIT_CONFIG_NOSYSTEM=1", "GIT_CONFIG_GLOBAL=/dev/null", "git", "-C",
                        folder, "cat-file", "-e", "HEAD:./" + path});
  if (inHead.status != 0) return std::nullopt;
  const std::string said = git(folder, {"log", "-1", "--format=%cI", "--", ":(literal)" + path});
  if (said.empty()) return std::nullopt;
  return parseIsoTime(said);
}

/// Every file under `folder` but git's own, relative to it.
std::vector<std::string> filesUnder(const std::string& folder) {
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->path().filename() == ".git") {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) files.push_back(fs::relative(it->path(), folder).generic_string());
  }
  return files;
}

GitHistory readHistory(const std::string& folder) {
  return localGitHistory().read(folder, [] { return true; });
}

// The fixture repository: what each commit changes, and with what date. The
// file names say what their history holds; keep.htm, discard.htm and
// theirs.htm are the files that a folder-wide simplification would date
// wrongly.
constexpr const char* kFirst = "2021-01-01T10:00:00+01:00";
constexpr const char* kMainEdit = "2021-02-01T10:00:00+01:00";
constexpr const char* kSideFirst = "2021-03-01T09:00:00-05:00";
constexpr const char* kMainWhileSide = "2021-03-15T10:00:00+01:00";
constexpr const char* kSideSecond = "2021-04-01T12:00:00+02:00";
constexpr const char* kMerge = "2021-05-01T10:00:00+02:00";
constexpr const char* kTheirsSide = "2021-06-01T10:00:00+02:00";
constexpr const char* kTheirsMain = "2021-07-01T10:00:00+02:00";
constexpr const char* kTheirsMerge = "2021-08-01T10:00:00+02:00";
constexpr const char* kRename = "2021-09-01T10:00:00+02:00";
constexpr const char* kDelete = "2021-10-01T10:00:00+02:00";
constexpr const char* kOctopusOne = "2021-11-01T10:00:00+01:00";
constexpr const char* kOctopusTwo = "2021-11-02T10:00:00+01:00";
constexpr const char* kOctopus = "2021-11-03T10:00:00+01:00";
constexpr const char* kDeep = "2022-01-01T10:00:00+01:00";
constexpr const char* kSkewed = "2020-06-01T10:00:00+02:00";
constexpr const char* kNoMessage = "2022-02-01T10:00:00+01:00";
constexpr const char* kEmptyCommit = "2022-03-01T10:00:00+01:00";

class GitHistoryFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fixtureDir = new test::TempDir;
    const std::string repo = fixtureDir->makeDir("repo");
    git(repo, {"init", "-q", "-b", "main"});
    for (const char* name :
         {"a.htm",      "b.htm",         "keep.htm",     "discard.htm",    "both.htm",
          "theirs.htm", "gone.htm",      "undead.htm",   "old-name.htm",   "with space.htm",
          "čaj.htm",    "new\nline.htm", "sub/page.htm", "sub/deep/x.htm", "modified.htm",
          "staged.htm", "touched.htm",   "mode.htm",     "skew.htm",       "oct1.htm",
          "oct2.htm"})
      fixtureDir->writeFile(std::string("repo/") + name, std::string("first ") + name + "\n");
    fixtureDir->writeFile("repo/both.htm", "one\ntwo\nthree\nfour\nfive\n");
    commitAll(repo, kFirst, "First");

    edit("a.htm");
    edit("new\nline.htm");
    commitAll(repo, kMainEdit, "Main edit");

    git(repo, {"checkout", "-q", "-b", "side"});
    edit("keep.htm");
    edit("discard.htm");
    edit("čaj.htm");
    fixtureDir->writeFile("repo/both.htm", "one\ntwo\nthree\nfour\nfive side\n");
    commitAll(repo, kSideFirst, "Side first");
    git(repo, {"checkout", "-q", "main"});
    edit("b.htm");
    fixtureDir->writeFile("repo/both.htm", "one main\ntwo\nthree\nfour\nfive\n");
    commitAll(repo, kMainWhileSide, "Main while side");
    git(repo, {"checkout", "-q", "side"});
    edit("sub/page.htm");
    commitAll(repo, kSideSecond, "Side second");
    git(repo, {"checkout", "-q", "main"});
    // Takes the side's keep.htm, čaj.htm and sub/page.htm, both sides' both.htm,
    // and discards the side's change of discard.htm.
    git(repo, {"merge", "-q", "--no-ff", "--no-commit", "side"});
    git(repo, {"checkout", "main", "--", "discard.htm"});
    commitAll(repo, kMerge, "Merge side");
    ASSERT_EQ(headParents(repo), 2u);

    git(repo, {"checkout", "-q", "-b", "side2"});
    fixtureDir->writeFile("repo/theirs.htm", "side2 version\n");
    commitAll(repo, kTheirsSide, "Side2");
    git(repo, {"checkout", "-q", "main"});
    fixtureDir->writeFile("repo/theirs.htm", "main version\n");
    edit("with space.htm");
    commitAll(repo, kTheirsMain, "Main theirs");
    // The merge keeps the side's theirs.htm, older than main's change.
    git(repo, {"merge", "-q", "--no-ff", "--no-commit", "side2"}, kTheirsMerge, true);
    git(repo, {"checkout", "side2", "--", "theirs.htm"});
    commitAll(repo, kTheirsMerge, "Merge side2");
    ASSERT_EQ(headParents(repo), 2u);

    git(repo, {"mv", "old-name.htm", "new-name.htm"});
    ASSERT_EQ(chmod((repo + "/mode.htm").c_str(), 0755), 0);
    commitAll(repo, kRename, "Rename, and a mode change");
    git(repo, {"rm", "-q", "gone.htm", "undead.htm"});
    commitAll(repo, kDelete, "Delete");

    git(repo, {"checkout", "-q", "-b", "o1"});
    edit("oct1.htm");
    commitAll(repo, kOctopusOne, "o1");
    git(repo, {"checkout", "-q", "-b", "o2", "main"});
    edit("oct2.htm");
    commitAll(repo, kOctopusTwo, "o2");
    git(repo, {"checkout", "-q", "main"});
    git(repo, {"merge", "-q", "--no-ff", "-m", "Octopus", "o1", "o2"}, kOctopus);
    ASSERT_EQ(headParents(repo), 3u);

    edit("sub/deep/x.htm");
    commitAll(repo, kDeep, "Deep");
    // Committed after kDeep but dated before it: the walk must not go by date.
    edit("skew.htm");
    commitAll(repo, kSkewed, "Skewed clock");
    edit("a.htm");
    commitAll(repo, kNoMessage, "");
    commitAll(repo, kEmptyCommit, "Nothing changed");
    // A note would show in the log unless the reader keeps it out.
    git(repo, {"notes", "add", "-m", "a note\n\nwith lines", "HEAD~1"});

    // The working tree, beyond what HEAD holds.
    fixtureDir->writeFile("repo/modified.htm", "changed, not staged\n");
    fixtureDir->writeFile("repo/staged.htm", "changed and staged\n");
    git(repo, {"add", "staged.htm"});
    fixtureDir->setLocalMTime("repo/touched.htm", 2030, 1, 1, 12, 0, 0);
    fixtureDir->writeFile("repo/untracked.htm", "never added\n");
    fixtureDir->writeFile("repo/undead.htm", "deleted from history, here again untracked\n");
    fixtureDir->writeFile("repo/staged-new.htm", "added, not committed\n");
    git(repo, {"add", "staged-new.htm"});
  }

  static void TearDownTestSuite() {
    delete fixtureDir;
    fixtureDir = nullptr;
  }

  void SetUp() override {
    // Only what a test sets up itself steers git: no configuration of the
    // machine or the user running the tests.
    noSystemConfig = std::make_unique<ScopedVariable>("GIT_CONFIG_NOSYSTEM", "1");
    noUserConfig = std::make_unique<ScopedVariable>("GIT_CONFIG_GLOBAL", "/dev/null");
  }

  static void edit(const std::string& name) {
    const std::string path = *fixtureDir / ("repo/" + name);
    fixtureDir->writeFile("repo/" + name, test::readFile(path) + "edit\n");
  }

  static std::string repo() { return *fixtureDir / "repo"; }

  /// Compares the history of `folder` with the oracle, file by file.
  static void expectOracleForEveryFile(const std::string& folder) {
    const GitHistory history = readHistory(folder);
    ASSERT_TRUE(history.hasDates()) << history.detail;
    std::size_t dated = 0;
    for (const std::string& path : filesUnder(folder)) {
      const std::optional<CommitTime> expected = oracle(folder, path);
      const GitFileHistory* found = history.find(path);
      if (!expected) {
        EXPECT_EQ(found, nullptr) << path << " has no last commit to name";
        continue;
      }
      ++dated;
      ASSERT_NE(found, nullptr) << path;
      EXPECT_EQ(found->lastCommit, *expected)
          << path << ": " << found->lastCommit.utcSeconds << " " << found->lastCommit.offsetMinutes
          << " against " << expected->utcSeconds << " " << expected->offsetMinutes;
    }
    EXPECT_GT(dated, 0u);
  }

  static test::TempDir* fixtureDir;
  std::unique_ptr<ScopedVariable> noSystemConfig;
  std::unique_ptr<ScopedVariable> noUserConfig;
};

test::TempDir* GitHistoryFixture::fixtureDir = nullptr;

TEST_F(GitHistoryFixture, EveryFileGetsTheCommitThatGitLogNamesForIt) {
  expectOracleForEveryFile(repo());
}

TEST_F(GitHistoryFixture, MergesAndRenamesDateEachFileByItsOwnHistory) {
  const GitHistory history = readHistory(repo());
  ASSERT_EQ(history.status, GitHistory::Status::Ok) << history.detail;
  EXPECT_EQ(history.repository, fs::canonical(repo()).string());
  const std::map<std::string, const char*> expected = {
      {"keep.htm", kSideFirst},       // the merge took the side's version
      {"discard.htm", kFirst},        // the merge kept main's, older than the side's change
      {"both.htm", kMerge},           // both sides' lines: the merge's own content
      {"sub/page.htm", kSideSecond},  //
      {"b.htm", kMainWhileSide},      //
      {"theirs.htm", kTheirsSide},    // the side's, though main changed it later
      {"with space.htm", kTheirsMain},
      {"čaj.htm", kSideFirst},
      {"new\nline.htm", kMainEdit},
      {"new-name.htm", kRename},  // no rename following, as git log -- FILE
      {"mode.htm", kRename},      // a change of mode is a change
      {"oct1.htm", kOctopusOne},  // the octopus is TREESAME to o1 for oct1.htm
      {"oct2.htm", kOctopusTwo},  // ... and to o2, its third parent, for oct2.htm
      {"sub/deep/x.htm", kDeep},
      {"skew.htm", kSkewed},  // the last change on the way, not the latest date
      {"a.htm", kNoMessage},  // a commit without a message
  };
  for (const auto& [path, date] : expected) {
    const GitFileHistory* found = history.find(path);
    ASSERT_NE(found, nullptr) << path;
    EXPECT_EQ(found->lastCommit, parseIsoTime(date)) << path;
    EXPECT_TRUE(found->clean) << path;
  }
}

TEST_F(GitHistoryFixture, ChangedFilesAreMarkedAndUntrackedOrRemovedOnesHaveNoHistory) {
  const GitHistory history = readHistory(repo());
  ASSERT_TRUE(history.hasDates()) << history.detail;
  for (const char* path : {"modified.htm", "staged.htm"}) {
    const GitFileHistory* found = history.find(path);
    ASSERT_NE(found, nullptr) << path;
    EXPECT_FALSE(found->clean) << path;
    EXPECT_EQ(found->lastCommit, parseIsoTime(kFirst)) << path;
  }
  const GitFileHistory* touched = history.find("touched.htm");
  ASSERT_NE(touched, nullptr);
  EXPECT_TRUE(touched->clean) << "a new file time alone is no change";
  // undead.htm was removed by a commit that `git log -- undead.htm` names;
  // the file here now is another one, not tracked.
  for (const char* path : {"untracked.htm", "undead.htm", "staged-new.htm", "gone.htm"})
    EXPECT_EQ(history.find(path), nullptr) << path;
}

TEST_F(GitHistoryFixture, ASubfolderGetsItsFilesByPathsRelativeToIt) {
  expectOracleForEveryFile(repo() + "/sub");
  const GitHistory history = readHistory(repo() + "/sub");
  ASSERT_NE(history.find("deep/x.htm"), nullptr);
  EXPECT_EQ(history.find("deep/x.htm")->lastCommit, parseIsoTime(kDeep));
  EXPECT_EQ(history.find("a.htm"), nullptr) << "files outside the folder are left out";
  EXPECT_EQ(history.repository, fs::canonical(repo()).string());
}

TEST_F(GitHistoryFixture, AShallowCloneIsSaidToBeShallowAndDatesWhatItHolds) {
  const std::string clone = *fixtureDir / "shallow";
  if (!fs::exists(clone))
    git(*fixtureDir / "", {"clone", "-q", "--depth", "4", "file://" + repo(), clone});
  const GitHistory history = readHistory(clone);
  EXPECT_EQ(history.status, GitHistory::Status::Shallow) << history.detail;
  expectOracleForEveryFile(clone);
  // The oldest commit the clone holds stands for the whole history before it.
  const GitFileHistory* first = history.find("keep.htm");
  ASSERT_NE(first, nullptr);
  EXPECT_GT(first->lastCommit.utcSeconds, parseIsoTime(kSideFirst).utcSeconds);
}

TEST_F(GitHistoryFixture, TheUsersGitConfigurationDoesNotChangeTheDates) {
  const GitHistory plain = readHistory(repo());
  // Settings that change what git log and git diff print.
  const std::string config = fixtureDir->writeFile("hostile.gitconfig",
                                                   "[log]\n"
                                                   "  showRoot = false\n"
                                                   "  abbrevCommit = true\n"
                                                   "  decorate = full\n"
                                                   "  follow = true\n"
                                                   "  diffMerges = first-parent\n"
                                                   "  date = relative\n"
                                                   "[diff]\n"
                                                   "  renames = copies\n"
                                                   "  relative = false\n"
                                                   "  noprefix = true\n"
                                                   "[color]\n"
                                                   "  ui = always\n"
                                                   "[format]\n"
                                                   "  pretty = oneline\n"
                                                   "[core]\n"
                                                   "  quotePath = true\n"
                                                   "[notes]\n"
                                                   "  displayRef = refs/notes/*\n"
                                                   "[status]\n"
                                                   "  renames = copies\n");
  const ScopedVariable hostile("GIT_CONFIG_GLOBAL", config.c_str());
  const GitHistory configured = readHistory(repo());
  EXPECT_EQ(configured.status, plain.status) << configured.detail;
  EXPECT_EQ(configured.files, plain.files);
}

TEST_F(GitHistoryFixture, TheLogReadsTheSameInPiecesOfAnySize) {
  std::vector<std::string> argv = {"git", "-C", repo()};
  for (const std::string& argument : LastCommitReader::logArguments()) argv.push_back(argument);
  const std::string log = test::runProgram(argv).out;
  ASSERT_FALSE(log.empty());
  // (path, seconds, offset, in HEAD) of everything found, in order.
  auto answers = [](LastCommitReader& reader) {
    std::vector<std::tuple<std::string, std::int64_t, int, bool>> list;
    for (const auto& [path, found] : reader.takeFound())
      list.emplace_back(path, found.time.utcSeconds, found.time.offsetMinutes, found.inHead);
    std::sort(list.begin(), list.end());
    return list;
  };
  LastCommitReader whole;
  whole.feed(log);
  ASSERT_TRUE(whole.finish());
  LastCommitReader bytes;
  for (char byte : log) bytes.feed(std::string_view(&byte, 1));
  ASSERT_TRUE(bytes.finish());
  const auto expected = answers(whole);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(answers(bytes), expected);
  // Cut anywhere inside a record, the log is not trusted.
  for (std::size_t cut : {std::size_t{10}, log.find('\n') + 1, log.size() - 2}) {
    LastCommitReader shortened;
    shortened.feed(std::string_view(log).substr(0, cut));
    EXPECT_FALSE(shortened.finish()) << "cut at " << cut;
  }
}

/// One record of the log the reader reads: headers, message, entries.
std::string logRecord(const std::string& ids, const std::string& entries) {
  return "commit " + ids +
         "\ntree 0\nauthor A <a> 1700000000 +0000\ncommitter C <c> 1700000000 +0100\n\n    m\n\n" +
         entries + std::string(1, '\0');
}

TEST(LastCommitReader, ALogOutOfOrderIsNotTrusted) {
  const std::string change = std::string("M\0a.htm\0", 8);
  const struct {
    const char* what;
    std::string log;
    bool whole;
  } cases[] = {
      {"children before parents", logRecord("c2 c1", change) + logRecord("c1", change), true},
      {"a commit its own parent", logRecord("c1 c1", change), false},
      {"a parent before its child", logRecord("c1", change) + logRecord("c2 c1", change), false},
      {"a commit twice",
       logRecord("c2 c1", change) + logRecord("c1", change) + logRecord("c2 c1", change), false},
      {"a commit twice in a row", logRecord("c2 c1", change) + logRecord("c2 c1", change), false},
      {"a merge without the parent of its diff", logRecord("c3 c2 c1", change), false},
      {"a merge the same as both parents, shown once",
       logRecord("c3 c2 c1", "") + logRecord("c2 c1", change) + logRecord("c1", change), true},
      {"a merge's parent read before it",
       logRecord("c3 c2 c1", change) + logRecord("c1", change) +
           logRecord("c2 c1 (from c1)", change),
       false},
  };
  for (const auto& c : cases) {
    LastCommitReader reader;
    reader.feed(c.log);
    EXPECT_EQ(reader.finish(), c.whole) << c.what;
  }
}

TEST_F(GitHistoryFixture, AFolderInsideTheRepositorysOwnFilesIsInNoRepository) {
  EXPECT_EQ(readHistory(repo() + "/.git").status, GitHistory::Status::NoRepository);
}

TEST_F(GitHistoryFixture, ARepositoryOfAnotherOwnerIsNamedAsUnreadable) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a copy to another owner";
  const std::string copy = *fixtureDir / "foreign";
  fs::remove_all(copy);
  fs::copy(repo(), copy, fs::copy_options::recursive);
  ASSERT_EQ(test::runProgram({"chown", "-R", "65534:65534", copy}).status, 0);
  const GitHistory history = readHistory(copy + "/sub");
  EXPECT_EQ(history.status, GitHistory::Status::Unreadable);
  EXPECT_EQ(history.problem, GitHistory::Problem::OtherOwner) << history.detail;
  EXPECT_EQ(history.repository, fs::canonical(copy).string());
  EXPECT_TRUE(history.files.empty());
}

TEST(GitHistory, AFolderOutsideAnyRepositoryHasNone) {
  test::TempDir dir;
  dir.writeFile("page.htm");
  const std::string parent = fs::path(dir.path()).parent_path().parent_path().string();
  const ScopedVariable ceiling("GIT_CEILING_DIRECTORIES", parent.c_str());
  const GitHistory history = readHistory(dir.path());
  EXPECT_EQ(history.status, GitHistory::Status::NoRepository) << history.detail;
  EXPECT_TRUE(history.files.empty());
}

TEST(GitHistory, ARepositoryWithoutCommitsDatesNothing) {
  test::TempDir dir;
  git(dir.path(), {"init", "-q"});
  dir.writeFile("page.htm");
  const GitHistory history = readHistory(dir.path());
  EXPECT_EQ(history.status, GitHistory::Status::Ok) << history.detail;
  EXPECT_TRUE(history.files.empty());
}

TEST(GitHistory, ADamagedRepositoryIsNamedAsUnreadable) {
  test::TempDir dir;
  const std::string repo = dir.makeDir("repo");
  git(repo, {"init", "-q"});
  dir.writeFile("repo/page.htm");
  commitAll(repo, kFirst, "First");
  // The commit's tree, a loose object, is lost.
  const std::string tree = git(repo, {"rev-parse", "HEAD^{tree}"}).substr(0, 40);
  fs::remove(repo + "/.git/objects/" + tree.substr(0, 2) + "/" + tree.substr(2));
  const GitHistory history = readHistory(repo);
  EXPECT_EQ(history.status, GitHistory::Status::Unreadable);
  EXPECT_EQ(history.problem, GitHistory::Problem::Damaged) << history.detail;
  EXPECT_FALSE(history.detail.empty());
  EXPECT_EQ(history.repository, fs::canonical(repo).string());
}

TEST(GitHistory, NoGitProgramIsAProblemOfItsOwn) {
  test::TempDir dir;
  const ScopedVariable path("PATH", dir.path().c_str());
  const GitHistory history = readHistory(dir.path());
  EXPECT_EQ(history.status, GitHistory::Status::Unreadable);
  EXPECT_EQ(history.problem, GitHistory::Problem::GitMissing);
}

TEST(GitHistory, ThePassEndsWhenTheCallerStopsIt) {
  test::TempDir dir;
  git(dir.path(), {"init", "-q"});
  dir.writeFile("page.htm");
  commitAll(dir.path(), kFirst, "First");
  const GitHistory history = localGitHistory().read(dir.path(), [] { return false; });
  EXPECT_EQ(history.status, GitHistory::Status::Stopped);
  EXPECT_TRUE(history.files.empty());
}

}  // namespace
}  // namespace qorv
