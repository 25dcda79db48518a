// qorv-cli killed with SIGKILL at random moments while it writes a sitemap
// of 50,000 rows, and while it saves a project: afterwards the earlier file
// is whole or the new one complete, never a mix, and temporary files never
// pile up. QORV_KILL_TRIALS sets the number of trials of each kind (the
// kill-trials script beside this file runs many), QORV_KILL_SEED repeats a
// run's moments.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/sitemapcheck.h"
#include "tests/reliability/reliability.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

int trials() {
  const char* text = std::getenv("QORV_KILL_TRIALS");
  return text ? std::max(1, std::atoi(text)) : 12;
}

std::mt19937_64& randomEngine() {
  static std::mt19937_64 random = [] {
    const char* text = std::getenv("QORV_KILL_SEED");
    const std::uint64_t seed = text ? std::strtoull(text, nullptr, 10) : std::random_device{}();
    std::printf("kill trials: QORV_KILL_SEED=%llu\n", static_cast<unsigned long long>(seed));
    return std::mt19937_64(seed);
  }();
  return random;
}

using Clock = std::chrono::steady_clock;

/// How long `argv` takes to run to its end.
Clock::duration timeOfARun(const std::vector<std::string>& argv) {
  const Clock::time_point start = Clock::now();
  const test::Exit exit = test::run(argv);
  EXPECT_EQ(exit.status, 0) << exit.err;
  return Clock::now() - start;
}

/// Starts `argv`, kills it at a random moment from `from` to `to` after the
/// start; whether it had already ended by itself.
bool killDuring(const std::vector<std::string>& argv, Clock::duration from, Clock::duration to) {
  std::uniform_int_distribution<Clock::rep> moment(from.count(), to.count());
  const pid_t pid = test::start(argv);
  EXPECT_GT(pid, 0);
  std::this_thread::sleep_for(Clock::duration(moment(randomEngine())));
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status);
}

/// Names in `folder` that are none of `known`.
std::vector<std::string> unknownNames(const std::string& folder,
                                      const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const std::string& name : test::names(folder)) {
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

struct Tally {
  int older = 0;      // the earlier file, untouched
  int newer = 0;      // the new file, complete
  int finished = 0;   // the run ended before the kill
  int leftovers = 0;  // a named temporary file was there afterwards

  void print(const char* what) const {
    std::printf(
        "kill trials, %s: %d trials: %d earlier file intact, %d new file complete "
        "(%d ran to the end), 0 mixed; a temporary file left %d times, each removed "
        "by the next write\n",
        what, older + newer, older, newer, finished, leftovers);
  }
};

class KillTrials : public ::testing::Test {
 protected:
  void SetUp() override {
    cli = test::cliPath();
    ASSERT_FALSE(cli.empty()) << "no qorv-cli: set QORV_CLI or build it";
  }
  ~KillTrials() override { test::removeTree(dir.path()); }

  std::string cli;
  test::TempDir dir;
};

TEST_F(KillTrials, WritingASitemapOf50000Rows) {
  // 49,999 pages in 50 folders, and the root row.
  std::vector<std::string> known = {"sitemap.xml"};
  for (int folder = 0; folder < 50; ++folder) {
    const std::string name = "f" + std::to_string(folder);
    known.push_back(name);
    const int fd = open(dir.makeDir(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int page = 0; page < 1000 && folder * 1000 + page < 49999; ++page) {
      const std::string file = "page" + std::to_string(page) + ".htm";
      close(openat(fd, file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    }
    close(fd);
  }
  // Every trial writes the site under the other of two URLs, so that the
  // new file can be told from the earlier one.
  const auto argvOf = [&](bool first) {
    return std::vector<std::string>{cli, "--quiet", dir.path(),
                                    first ? "http://a.example" : "http://b.example"};
  };
  // The kills aim at the write, which follows the scan: they fall from a
  // little before the time a scan alone takes to a little after a whole run.
  timeOfARun(argvOf(false));
  std::vector<std::string> scanOnly = argvOf(false);
  scanOnly.insert(scanOnly.begin() + 1, "--list");
  const Clock::duration scan = timeOfARun(scanOnly);
  const Clock::duration run = timeOfARun(argvOf(true));
  std::string previous = test::readFile(dir / "sitemap.xml");
  ASSERT_EQ(fuzz::checkSitemap(previous).urlCount, 50000u);

  Tally tally;
  bool first = true;
  for (int trial = 0; trial < trials(); ++trial) {
    if (killDuring(argvOf(!first), scan * 4 / 5, run + run / 10)) ++tally.finished;
    const std::string now = test::readFile(dir / "sitemap.xml");
    if (now == previous) {
      ++tally.older;
    } else {
      const fuzz::SitemapCheck check = fuzz::checkSitemap(now);
      ASSERT_TRUE(check.wellFormed) << "trial " << trial << ": " << check.error;
      ASSERT_EQ(check.urlCount, 50000u) << "trial " << trial;
      const std::string other = first ? "http://b.example/" : "http://a.example/";
      ASSERT_EQ(check.locations.find(first ? "http://a.example/" : "http://b.example/"),
                std::string::npos)
          << "trial " << trial << ": rows of both runs";
      ASSERT_EQ(check.locations.rfind(other, 0), 0u) << "trial " << trial;
      ++tally.newer;
      first = !first;
      previous = now;
    }
    const std::vector<std::string> others = unknownNames(dir.path(), known);
    ASSERT_LE(others.size(), 1u) << "trial " << trial;
    if (!others.empty()) {
      ASSERT_EQ(others[0], ".sitemap.xml.new") << "trial " << trial;
      ++tally.leftovers;
    }
  }
  timeOfARun(argvOf(true));
  EXPECT_TRUE(unknownNames(dir.path(), known).empty()) << "a complete write removes a leftover";
  tally.print("sitemap of 50,000 rows");
}

TEST_F(KillTrials, SavingAProject) {
  // Other sections of 10 MB make each save long enough to be hit.
  std::string other = "[Other]\r\n";
  for (int i = 0; other.size() < std::size_t{10} * 1024 * 1024; ++i)
    other += "Key" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
  const std::string project = dir.writeFile("site.prj", other);
  dir.writeFile("site/a.htm");
  const auto argvOf = [&](const std::string& variant) {
    return std::vector<std::string>{cli,
                                    "--list",
                                    "--quiet",
                                    "--save-project",
                                    project,
                                    "--mask",
                                    "*." + variant,
                                    "--index",
                                    variant + ".htm",
                                    dir / "site",
                                    "http://" + variant + "/"};
  };
  // The two projects a save may leave: every trial saves the other one.
  timeOfARun(argvOf("b"));
  const std::string savedB = test::readFile(project);
  const Clock::duration run = timeOfARun(argvOf("a"));
  const std::string savedA = test::readFile(project);
  ASSERT_NE(savedA, savedB);

  const std::vector<std::string> known = {"site", "site.prj"};
  Tally tally;
  bool isA = true;
  for (int trial = 0; trial < trials(); ++trial) {
    // The save comes first, before a scan of one file.
    if (killDuring(argvOf(isA ? "b" : "a"), Clock::duration(0), run + run / 10)) ++tally.finished;
    const std::string now = test::readFile(project);
    ASSERT_TRUE(now == savedA || now == savedB) << "trial " << trial << ": a mix";
    if ((now == savedA) == isA) {
      ++tally.older;
    } else {
      ++tally.newer;
      isA = !isA;
    }
    const std::vector<std::string> others = unknownNames(dir.path(), known);
    ASSERT_LE(others.size(), 1u) << "trial " << trial;
    if (!others.empty()) {
      ASSERT_EQ(others[0], ".site.prj.new") << "trial " << trial;
      ++tally.leftovers;
    }
  }
  timeOfARun(argvOf("a"));
  EXPECT_TRUE(unknownNames(dir.path(), known).empty()) << "a complete save removes a leftover";
  tally.print("project save");
}

}  // namespace
}  // namespace qorv
