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

int Trials() {
  const char* text = std::getenv("QORV_KILL_TRIALS");
  return text ? std::max(1, std::atoi(text)) : 12;
}

std::mt19937_64& Random() {
  static std::mt19937_64 random = [] {
    const char* text = std::getenv("QORV_KILL_SEED");
    const std::uint64_t seed = text ? std::strtoull(text, nullptr, 10) : std::random_device{}();
    std::printf("kill trials: QORV_KILL_SEED=%llu\n", static_cast<unsigned long long>(seed));
    return std::mt19937_64(seed);
  }();
  return random;
}

using TClock = std::chrono::steady_clock;

/// How long `argv` takes to run to its end.
TClock::duration TimeOfARun(const std::vector<std::string>& argv) {
  const TClock::time_point start = TClock::now();
  const test::TExit exit = test::Run(argv);
  EXPECT_EQ(exit.Status, 0) << exit.Err;
  return TClock::now() - start;
}

/// Starts `argv`, kills it at a random moment from `from` to `to` after the
/// start; whether it had already ended by itself.
bool KillDuring(const std::vector<std::string>& argv, TClock::duration from, TClock::duration to) {
  std::uniform_int_distribution<TClock::rep> moment(from.count(), to.count());
  const pid_t pid = test::Start(argv);
  EXPECT_GT(pid, 0);
  std::this_thread::sleep_for(TClock::duration(moment(Random())));
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status);
}

/// Names in `folder` that are none of `known`.
std::vector<std::string> Others(const std::string& folder, const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const std::string& name : test::Names(folder)) {
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

struct TTally {
  int Old = 0;        // the earlier file, untouched
  int New = 0;        // the new file, complete
  int Finished = 0;   // the run ended before the kill
  int Leftovers = 0;  // a named temporary file was there afterwards

  void Print(const char* what) const {
    std::printf(
        "kill trials, %s: %d trials: %d earlier file intact, %d new file complete "
        "(%d ran to the end), 0 mixed; a temporary file left %d times, each removed "
        "by the next write\n",
        what, Old + New, Old, New, Finished, Leftovers);
  }
};

class KillTrials : public ::testing::Test {
 protected:
  void SetUp() override {
    Cli = test::CliPath();
    ASSERT_FALSE(Cli.empty()) << "QORV_CLI names the qorv-cli to test; ctest sets it";
  }
  ~KillTrials() override { test::RemoveTree(Dir.Path()); }

  std::string Cli;
  test::TTempDir Dir;
};

TEST_F(KillTrials, WritingASitemapOf50000Rows) {
  // 49,999 pages in 50 folders, and the root row.
  std::vector<std::string> known = {"sitemap.xml"};
  for (int folder = 0; folder < 50; ++folder) {
    const std::string name = "f" + std::to_string(folder);
    known.push_back(name);
    const int fd = open(Dir.MakeDir(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    return std::vector<std::string>{Cli, "--quiet", Dir.Path(),
                                    first ? "http://a.example" : "http://b.example"};
  };
  // The kills aim at the write, which follows the scan: they fall from a
  // little before the time a scan alone takes to a little after a whole run.
  TimeOfARun(argvOf(false));
  std::vector<std::string> scanOnly = argvOf(false);
  scanOnly.insert(scanOnly.begin() + 1, "--list");
  const TClock::duration scan = TimeOfARun(scanOnly);
  const TClock::duration run = TimeOfARun(argvOf(true));
  std::string previous = test::ReadFile(Dir / "sitemap.xml");
  ASSERT_EQ(fuzz::CheckSitemap(previous).UrlCount, 50000u);

  TTally tally;
  bool first = true;
  for (int trial = 0; trial < Trials(); ++trial) {
    if (KillDuring(argvOf(!first), scan * 4 / 5, run + run / 10)) ++tally.Finished;
    const std::string now = test::ReadFile(Dir / "sitemap.xml");
    if (now == previous) {
      ++tally.Old;
    } else {
      const fuzz::TSitemapCheck check = fuzz::CheckSitemap(now);
      ASSERT_TRUE(check.WellFormed) << "trial " << trial << ": " << check.Error;
      ASSERT_EQ(check.UrlCount, 50000u) << "trial " << trial;
      const std::string other = first ? "http://b.example/" : "http://a.example/";
      ASSERT_EQ(check.Locations.find(first ? "http://a.example/" : "http://b.example/"),
                std::string::npos)
          << "trial " << trial << ": rows of both runs";
      ASSERT_EQ(check.Locations.rfind(other, 0), 0u) << "trial " << trial;
      ++tally.New;
      first = !first;
      previous = now;
    }
    const std::vector<std::string> others = Others(Dir.Path(), known);
    ASSERT_LE(others.size(), 1u) << "trial " << trial;
    if (!others.empty()) {
      ASSERT_EQ(others[0], ".sitemap.xml.new") << "trial " << trial;
      ++tally.Leftovers;
    }
  }
  TimeOfARun(argvOf(true));
  EXPECT_TRUE(Others(Dir.Path(), known).empty()) << "a complete write removes a leftover";
  tally.Print("sitemap of 50,000 rows");
}

TEST_F(KillTrials, SavingAProject) {
  // Other sections of 10 MB make each save long enough to be hit.
  std::string other = "[Other]\r\n";
  for (int i = 0; other.size() < 10 * 1024 * 1024; ++i)
    other += "Key" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
  const std::string project = Dir.WriteFile("site.prj", other);
  Dir.WriteFile("site/a.htm");
  const auto argvOf = [&](const std::string& variant) {
    return std::vector<std::string>{Cli,
                                    "--list",
                                    "--quiet",
                                    "--save-project",
                                    project,
                                    "--mask",
                                    "*." + variant,
                                    "--index",
                                    variant + ".htm",
                                    Dir / "site",
                                    "http://" + variant + "/"};
  };
  // The two projects a save may leave: every trial saves the other one.
  TimeOfARun(argvOf("b"));
  const std::string savedB = test::ReadFile(project);
  const TClock::duration run = TimeOfARun(argvOf("a"));
  const std::string savedA = test::ReadFile(project);
  ASSERT_NE(savedA, savedB);

  const std::vector<std::string> known = {"site", "site.prj"};
  TTally tally;
  bool isA = true;
  for (int trial = 0; trial < Trials(); ++trial) {
    // The save comes first, before a scan of one file.
    if (KillDuring(argvOf(isA ? "b" : "a"), TClock::duration(0), run + run / 10)) ++tally.Finished;
    const std::string now = test::ReadFile(project);
    ASSERT_TRUE(now == savedA || now == savedB) << "trial " << trial << ": a mix";
    if ((now == savedA) == isA) {
      ++tally.Old;
    } else {
      ++tally.New;
      isA = !isA;
    }
    const std::vector<std::string> others = Others(Dir.Path(), known);
    ASSERT_LE(others.size(), 1u) << "trial " << trial;
    if (!others.empty()) {
      ASSERT_EQ(others[0], ".site.prj.new") << "trial " << trial;
      ++tally.Leftovers;
    }
  }
  TimeOfARun(argvOf("a"));
  EXPECT_TRUE(Others(Dir.Path(), known).empty()) << "a complete save removes a leftover";
  tally.Print("project save");
}

}  // namespace
}  // namespace qorv
