// qorv-cli as a user runs it: the real binary, its exit status and its
// streams, in the environment it is given. Runs that need no process of
// their own are in command_test.cpp.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/cliprogram.h"
#include "tests/support/tempdir.h"

extern char** environ;

namespace qorv {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs qorv-cli with `args` under `prefix` (e.g. setpriv), with the locale
/// variables of `env` in place of the caller's.
CliRun runCli(const std::vector<std::string>& args,
              const std::vector<std::string>& env = {"LC_ALL=C.UTF-8"},
              const std::vector<std::string>& prefix = {}) {
  const std::string cli = test::cliProgram();
  if (cli.empty()) {
    ADD_FAILURE() << "no qorv-cli: set QORV_CLI or build it";
    return {};
  }
  test::TempDir outputs;
  const std::string out = outputs / "out";
  const std::string err = outputs / "err";
  std::vector<std::string> argv = prefix;
  argv.push_back(cli);
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvZ;
  argvZ.reserve(argv.size() + 1);
  for (auto& a : argv) argvZ.push_back(a.data());
  argvZ.push_back(nullptr);

  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    const std::string var = *e;
    if (var.rfind("LC_", 0) != 0 && var.rfind("LANG=", 0) != 0) environment.push_back(var);
  }
  environment.insert(environment.end(), env.begin(), env.end());
  std::vector<char*> envZ;
  envZ.reserve(environment.size() + 1);
  for (auto& e : environment) envZ.push_back(e.data());
  envZ.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  CliRun run;
  if (posix_spawnp(&pid, argvZ[0], &actions, nullptr, argvZ.data(), envZ.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = test::readFile(out);
  run.err = test::readFile(err);
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

TEST(Cli, HelpAndVersion) {
  const CliRun help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, StartsWith("Usage: qorv-cli [OPTIONS] FOLDER URL"));
  const CliRun version = runCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_THAT(version.out, ::testing::MatchesRegex("qorv-cli [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

class CliBadUsage : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(CliBadUsage, ExitsWithTwoAndTheUsage) {
  const CliRun run = runCli(GetParam());
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("Usage: qorv-cli"));
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, CliBadUsage,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"folder"},
                                           std::vector<std::string>{"a", "b", "c"},
                                           std::vector<std::string>{"--bogus", "a", "b"},
                                           std::vector<std::string>{"a", "b", "--mask"},
                                           std::vector<std::string>{"--include", "some", "a", "b"},
                                           std::vector<std::string>{"--list=yes", "a", "b"},
                                           std::vector<std::string>{"", "http://s"},
                                           std::vector<std::string>{"--schema", "1.0", "a", "b"},
                                           std::vector<std::string>{"--gzip=1", "a", "b"}));

TEST(Cli, ListsRowsTabSeparatedAllTickedByDefault) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.setLocalMTime("a.htm", 2005, 12, 31, 14, 3, 7);
  dir.writeFile("style.css");
  const CliRun run = runCli({"--list", dir.path(), "http://example.com"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[0],
              ::testing::MatchesRegex("http://example.com/\t[0-9-]+\t[0-9:]+\tdaily\t0.5\t1"));
  EXPECT_EQ(lines[1], "http://example.com/a.htm\t2005-12-31\t14:03:06\tnone\tnone\t1");
  EXPECT_FALSE(test::fileExists(dir / "sitemap.xml")) << "listing writes nothing";
}

TEST(Cli, WritesTheSitemapAndPrintsTheReport) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.setLocalMTime("a.htm", 2005, 12, 31, 12, 0, 0);
  const CliRun run = runCli({"--long", "--zone", "+00:00", "--compact", dir.path(), "http://s"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string written = test::readFile(dir / "sitemap.xml");
  EXPECT_THAT(written, HasSubstr("<url><loc>http://s/a.htm</loc>"
                                 "<lastmod>2005-12-31T12:00:00+00:00</lastmod></url>\r\n"));
  EXPECT_EQ(run.out, "Tessaly vytvorená do súboru:\n" + dir.path() +
                         "sitemap.xml\n\nVeľkosť súboru: " + std::to_string(written.size()) +
                         " B\n\nPočet Url: 2\n");
  EXPECT_EQ(run.err, "") << "no live count when stderr is not a terminal";
}

TEST(Cli, ExceedingALimitStillWritesButExitsWithThree) {
  test::TempDir dir;
  // About 2 KB per URL: 5200 files pass the 10 MB limit.
  for (int i = 0; i < 5200; ++i) dir.writeFile(std::to_string(i) + ".htm");
  const std::string url = "http://s/" + std::string(2000, 'u');
  const CliRun run = runCli({dir.path(), url});
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_THAT(run.out, HasSubstr("\nChyba - je prekročená maximálna veľkosť súboru 10485760 B.\n"));
  EXPECT_GT(test::readFile(dir / "sitemap.xml").size(), 10485760u);
}

TEST(Cli, OverlongUrlsAreWarnedAboutOnStderr) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  const CliRun run = runCli({"--list", dir.path(), "http://s/" + std::string(2100, 'u')});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "qorv-cli: 1 Url presiahlo max. povolenú dĺžku 2048 znakov.\n");
}

TEST(Cli, FailuresExitWithOneNamingTheErrorClass) {
  test::TempDir dir;
  dir.writeFile("a.gif");
  CliRun run = runCli({"--mask", ";*.htm", dir.path(), "http://s"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "qorv-cli: EWildcardError: Search string cannot be blank\n");
  EXPECT_FALSE(test::fileExists(dir / "sitemap.xml"));

  run = runCli({dir / "missing", "http://s"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, StartsWith("qorv-cli: EInOutError: Cannot create \"" + dir.path() +
                                  "missing/sitemap.xml\""));
}

/// Whether this qorv-cli has failure points built in (platform/faultpoints.h).
bool hasFaultPoints() {
  test::TempDir dir;
  runCli({"--list", dir.path(), "http://s"},
         {"LC_ALL=C.UTF-8", "QORV_FAULT_TRACE=" + dir / "trace"});
  return test::fileExists(dir / "trace");
}

struct SystemFailureCase {
  const char* name;
  std::vector<std::string> fault;  // the environment that makes one call fail
  const char* message;             // after "qorv-cli: EInOutError: ", DIR for the folder
  friend void PrintTo(const SystemFailureCase& c, std::ostream* os) { *os << c.name; }
};

class CliSystemFailure : public ::testing::TestWithParam<SystemFailureCase> {};

TEST_P(CliSystemFailure, EndsTheRunWithoutASitemapOrRows) {
  if (!hasFaultPoints()) GTEST_SKIP() << "qorv-cli has no failure points (QORV_FAULT_POINTS)";
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile("sub/b.htm");
  std::vector<std::string> env = {"LC_ALL=C.UTF-8"};
  env.insert(env.end(), GetParam().fault.begin(), GetParam().fault.end());
  std::string message = GetParam().message;
  message.replace(message.find("DIR"), 3, dir.path());
  for (const bool list : {true, false}) {
    std::vector<std::string> args = {dir.path(), "http://s"};
    if (list) args.insert(args.begin(), "--list");
    const CliRun run = runCli(args, env);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qorv-cli: EInOutError: " + message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(test::fileExists(dir / "sitemap.xml"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliSystemFailure,
    ::testing::Values(
        SystemFailureCase{"ListingStepFails",
                          {"QORV_FAULT_CALL=readdir", "QORV_FAULT_AT=1"},
                          "Cannot list the folder \"DIR\": Input/output error"},
        SystemFailureCase{"EndOfListingFails",
                          {"QORV_FAULT_CALL=closedir", "QORV_FAULT_AT=1"},
                          "Cannot list the folder \"DIR\": Input/output error"},
        SystemFailureCase{"SubfolderCannotBeOpened",
                          {"QORV_FAULT_CALL=openat", "QORV_FAULT_AT=2", "QORV_FAULT_ERRNO=24"},
                          "Cannot list the folder \"DIRsub/\": Too many open files"},
        SystemFailureCase{"ListingCannotStart",
                          {"QORV_FAULT_CALL=fcntl", "QORV_FAULT_AT=1", "QORV_FAULT_ERRNO=12"},
                          "Cannot list the folder \"DIR\": Cannot allocate memory"},
        SystemFailureCase{"TimeCannotBeRead",
                          {"QORV_FAULT_CALL=fstatat", "QORV_FAULT_AT=1"},
                          "Cannot read the time of \"DIRa.htm\": Input/output error"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(Cli, FolderOrFileGoneBetweenListingAndOpeningIsSkipped) {
  if (!hasFaultPoints()) GTEST_SKIP() << "qorv-cli has no failure points (QORV_FAULT_POINTS)";
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile("sub/b.htm");
  // ENOENT, as for a folder or a file removed right after the listing named it.
  CliRun run =
      runCli({"--list", dir.path(), "http://s"},
             {"LC_ALL=C.UTF-8", "QORV_FAULT_CALL=openat", "QORV_FAULT_AT=2", "QORV_FAULT_ERRNO=2"});
  ASSERT_EQ(run.status, 0) << run.err;
  auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[1], StartsWith("http://s/a.htm\t"));
  run = runCli({"--list", dir.path(), "http://s"}, {"LC_ALL=C.UTF-8", "QORV_FAULT_CALL=fstatat",
                                                    "QORV_FAULT_AT=1", "QORV_FAULT_ERRNO=2"});
  ASSERT_EQ(run.status, 0) << run.err;
  lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[1], StartsWith("http://s/sub/b.htm\t"));
}

struct LocaleCase {
  const char* env;
  const char* date;
  const char* time;
  friend void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.env; }
};

class CliLocale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(CliLocale, DatesAndTimesFollowTheUserLocale) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.setLocalMTime("a.htm", 2006, 3, 5, 14, 3, 7);
  const CliRun run = runCli({"--list", dir.path(), "http://s"}, {GetParam().env});
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.err;
  EXPECT_THAT(lines[1],
              HasSubstr(std::string("\t") + GetParam().date + "\t" + GetParam().time + "\t"));
}

INSTANTIATE_TEST_SUITE_P(Cases, CliLocale,
                         ::testing::Values(LocaleCase{"LC_ALL=C.UTF-8", "2006-03-05", "14:03:06"},
                                           LocaleCase{"LC_ALL=en_US.UTF-8", "3/5/2006", "14:03:06"},
                                           LocaleCase{"LC_TIME=de_DE.UTF-8", "05.03.2006",
                                                      "14:03:06"},
                                           LocaleCase{"LANG=fi_FI.UTF-8", "5.3.2006", "14.03.06"}));

TEST(Cli, UnreadableFolderCountsAsEmptyForAnOrdinaryUser) {
  test::TempDir dir;
  dir.writeFile("locked/secret.htm");
  dir.writeFile("open/page.htm");
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const CliRun run = runCli({"--list", dir.path(), "http://s"}, {"LC_ALL=C.UTF-8"},
                            {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[1], StartsWith("http://s/open/page.htm\t"));
}

}  // namespace
}  // namespace qorv
