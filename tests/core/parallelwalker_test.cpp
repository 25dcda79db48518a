#include "core/parallelwalker.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

#include "core/errors.h"
#include "tests/support/fakefilesystem.h"
#include "tests/support/randomtree.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using test::FakeFileSystem;
using test::growRandomTree;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using FileTime = Result<std::int64_t>;

/// The per-file work of most tests: the file's time, and the folder the
/// work was told it is in; a name with "boom" in it makes the work throw.
struct TimeRead {
  FileTime time;
  std::string relativeFolder;
};
TimeRead readTime(Folder& folder, std::string_view relativeFolder, std::string_view name) {
  if (name.find("boom") != std::string_view::npos)
    throw std::runtime_error("work failed on " + std::string(name));
  return TimeRead{folder.writeTime(name), std::string(relativeFolder)};
}

struct WalkSetup {
  unsigned threads = 1;
  std::vector<std::string> masks = {"*.htm", "*.html"};
  std::size_t descriptorLimit = 0;
  std::string root = FakeFileSystem::kRoot;
};

/// All that a walk shows its caller, a line per event: each file with its
/// value, each folder left out, and how the walk ended. Folders whose name
/// ends in "skip" are left out; one with "trap" in its path makes the skip
/// rule throw.
std::string walkRecord(FileSystem& fs, const WalkSetup& setup) {
  ParallelWalker<TimeRead> walker(fs, readTime);
  walker.rootFolder = setup.root;
  walker.threads = setup.threads;
  walker.descriptorLimit = setup.descriptorLimit;
  walker.filter.setMasks(setup.masks);
  std::string record;
  walker.skipFolder = [](std::string_view folder) {
    if (folder.find("trap") != std::string_view::npos)
      throw std::runtime_error("skip rule failed on " + std::string(folder));
    return folder.ends_with("skip/");
  };
  walker.onFolderSkipped = [&](std::string_view folder) {
    record.append("left out ").append(folder).append("\n");
  };
  walker.onFileFound = [&](const ParallelWalker<TimeRead>::File& file) {
    record.append(file.path);
    const FileTime& time = file.value.time;
    if (time)
      record.append(" ").append(std::to_string(*time));
    else
      record.append(" error ").append(std::to_string(time.error()));
    const std::string root = setup.root.ends_with('/') ? setup.root : setup.root + "/";
    if (file.path != root + file.value.relativeFolder + std::string(file.name))
      record.append(" in the wrong folder ").append(file.value.relativeFolder);
    record.append("\n");
  };
  try {
    const bool walked = walker.walk();
    const DirectoryWalker::ListingFailure& failure = walker.failure();
    record.append(walked ? "walked" : "failed at " + failure.folder)
        .append(" error ")
        .append(std::to_string(failure.error))
        .append(" kind ")
        .append(std::to_string(static_cast<int>(failure.kind)))
        .append("\n");
  } catch (const std::exception& error) {
    record.append("threw ").append(errorClassName(error)).append(": ").append(error.what());
  }
  return record;
}

std::vector<std::string> randomMasks(std::mt19937& random) {
  switch (random() % 20) {
    case 0:
      return {};
    case 1:
      return {"*.htm", "", "*.html"};  // the walk ends at the first other file
    default:
      return {"*.htm", "*.html"};
  }
}

TEST(ParallelWalker, ReportsExactlyWhatTheWalkOnOneThreadReportsOverRandomTrees) {
  for (unsigned seed = 1; seed <= 250; ++seed) {
    std::mt19937 random(seed);
    FakeFileSystem fs;
    growRandomTree(fs, random);
    WalkSetup setup;
    setup.masks = randomMasks(random);
    const std::string expected = walkRecord(fs, setup);
    for (const unsigned threads : {2u, 3u, 8u}) {
      setup.threads = threads;
      // Few descriptors make the walk close folders and open them again.
      setup.descriptorLimit = seed % 3 == 0 ? 9 : 0;
      fs.jitter = threads == 3;
      fs.maxOpenDescriptors = 0;
      ASSERT_EQ(walkRecord(fs, setup), expected)
          << "seed " << seed << ", " << threads << " threads";
      EXPECT_EQ(fs.openFolders, 0) << "seed " << seed;
      EXPECT_EQ(fs.openListings, 0) << "seed " << seed;
      if (setup.descriptorLimit != 0) {
        EXPECT_LE(fs.maxOpenDescriptors, 9) << "seed " << seed;
      }
    }
  }
}

std::string repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(ParallelWalker, DeepTreeWithFewDescriptorsWalksInTheSameOrder) {
  // A chain of 150 levels with a file on each and a folder beside every
  // tenth, and at level 70 a link to a chain of 40 levels: coming back up,
  // the walk needs folders it had to close, one of them reached through the
  // link, and a link back to the top that must not be entered.
  FakeFileSystem fs;
  fs.addFolder("d");
  for (int level = 0; level < 40; ++level) fs.addFile("B/" + repeat("b/", level) + "g.htm");
  for (int level = 0; level < 150; ++level) fs.addFile(repeat("d/", level) + "f.htm");
  // Listed after the chain's next level: their folders wait for them.
  for (int level = 5; level < 150; level += 10) fs.addFile(repeat("d/", level) + "side/s.htm");
  fs.addLink(repeat("d/", 70), "x", "B");
  fs.addLink(repeat("d/", 120), "top", "");
  WalkSetup setup;
  const std::string expected = walkRecord(fs, setup);
  ASSERT_THAT(expected, HasSubstr("ROOT/" + repeat("d/", 70) + "x/b/g.htm"));
  for (const unsigned threads : {2u, 4u}) {
    setup.threads = threads;
    setup.descriptorLimit = 12;
    fs.maxOpenDescriptors = 0;
    EXPECT_EQ(walkRecord(fs, setup), expected) << threads << " threads";
    EXPECT_LE(fs.maxOpenDescriptors, 12);
    EXPECT_EQ(fs.openFolders, 0);
  }
}

TEST(ParallelWalker, VeryDeepTreeDoesNotExhaustTheStack) {
  FakeFileSystem fs;
  const std::string path = repeat("d/", 100000);
  fs.addFile("top.htm");
  fs.addFile(path + "deep.htm");
  ParallelWalker<int> walker(fs, [](Folder&, std::string_view, std::string_view) { return 0; });
  walker.rootFolder = FakeFileSystem::kRoot;
  walker.threads = 2;
  std::vector<std::string> reported;
  walker.onFileFound = [&](const ParallelWalker<int>::File& file) {
    reported.push_back(file.path);
  };
  EXPECT_TRUE(walker.walk());
  EXPECT_THAT(reported, ElementsAre("ROOT/top.htm", "ROOT/" + path + "deep.htm"));
}

TEST(ParallelWalker, FolderItSkipsIsNeitherListedNorReportedAndIsNamedInWalkOrder) {
  FakeFileSystem fs;
  fs.addFile("a.html");
  fs.addFile("draftsskip/b.html");
  fs.addFile("blog/tagsskip/d.html");
  fs.addFile("blog/e.html");
  fs.addFile("z/zskip/y.htm");
  ParallelWalker<int> walker(fs, [](Folder&, std::string_view, std::string_view) { return 0; });
  walker.rootFolder = FakeFileSystem::kRoot;
  walker.threads = 3;
  std::vector<std::string> events;
  walker.skipFolder = [](std::string_view folder) { return folder.ends_with("skip/"); };
  walker.onFolderSkipped = [&](std::string_view folder) {
    events.push_back("left out " + std::string(folder));
  };
  walker.onFileFound = [&](const ParallelWalker<int>::File& file) { events.push_back(file.path); };
  EXPECT_TRUE(walker.walk());
  EXPECT_THAT(events, ElementsAre("ROOT/a.html", "left out draftsskip/", "ROOT/blog/e.html",
                                  "left out blog/tagsskip/", "left out z/zskip/"));
  for (const std::string& listed : fs.listedFolders()) EXPECT_FALSE(listed.ends_with("skip"));
}

TEST(ParallelWalker, ErrorFirstInWalkOrderEndsTheWalkWhenALaterFailureCameFirst) {
  // Folder B's listing fails while the work on A's file still runs; the work
  // then fails too. A comes first in walk order, so its error ends the walk.
  FakeFileSystem fs;
  fs.addFile("A/a-boom.htm");
  fs.addFile("B/b.htm");
  fs.folder("B").listError = EIO;
  const auto listedB = [&] {
    const auto lock = fs.lock();
    const std::vector<std::string> listed = fs.listedFolders();
    return std::find(listed.begin(), listed.end(), "B") != listed.end();
  };
  for (const unsigned threads : {1u, 2u}) {
    ParallelWalker<int> walker(fs, [&](Folder&, std::string_view, std::string_view name) -> int {
      // A cap, not a measure: one thread lists B only after A.
      for (int wait = 0; threads > 1 && wait < 30000 && !listedB(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      throw std::runtime_error("work failed on " + std::string(name));
    });
    walker.rootFolder = FakeFileSystem::kRoot;
    walker.threads = threads;
    EXPECT_THROW(
        {
          try {
            walker.walk();
          } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "work failed on a-boom.htm");
            throw;
          }
        },
        std::runtime_error);
    if (threads > 1) {
      EXPECT_TRUE(listedB()) << "B failed first in time";
    }
    EXPECT_FALSE(walker.isWalking());
  }
}

TEST(ParallelWalker, RunsOnlySoFarAheadOfTheCaller) {
  // 150,000 files in 1,500 folders. While the caller holds on to the first
  // file, the workers list and work ahead, but stop far short of the rest.
  FakeFileSystem fs;
  for (int folder = 0; folder < 1500; ++folder) {
    const std::string name = "f" + std::to_string(folder);
    fs.addFolder(name);
    FakeFileSystem::FakeFolder& made = fs.folder(name);
    for (int file = 0; file < 100; ++file) {
      made.entries.emplace_back();
      made.entries.back().name = std::to_string(file) + ".htm";
    }
  }
  std::atomic<int> worked{0};
  ParallelWalker<int> walker(fs,
                             [&](Folder&, std::string_view, std::string_view) { return ++worked; });
  walker.rootFolder = FakeFileSystem::kRoot;
  walker.threads = 4;
  int reported = 0;
  int workedAhead = 0;
  std::size_t listedAhead = 0;
  walker.onFileFound = [&](const ParallelWalker<int>::File&) {
    if (++reported > 1) return;
    // Until the workers have stopped of their own accord.
    for (int before = -1; before != worked;) {
      before = worked;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    workedAhead = worked;
    const auto lock = fs.lock();
    listedAhead = fs.listedFolders().size();
  };
  EXPECT_TRUE(walker.walk());
  EXPECT_EQ(reported, 150000);
  EXPECT_LT(workedAhead, 50000);
  EXPECT_LT(listedAhead, 500u);
}

TEST(ParallelWalker, ErrorFromTheHandlerStopsTheWorkersAndReleasesEverything) {
  FakeFileSystem fs;
  for (int folder = 0; folder < 300; ++folder)
    for (int file = 0; file < 20; ++file)
      fs.addFile("f" + std::to_string(folder) + "/" + std::to_string(file) + ".htm");
  ParallelWalker<int> walker(fs, [](Folder&, std::string_view, std::string_view) { return 0; });
  walker.rootFolder = FakeFileSystem::kRoot;
  walker.threads = 4;
  int reported = 0;
  struct Stop {};
  walker.onFileFound = [&](const ParallelWalker<int>::File&) {
    if (++reported == 30) throw Stop{};
  };
  EXPECT_THROW(walker.walk(), Stop);
  EXPECT_EQ(reported, 30);
  EXPECT_FALSE(walker.isWalking());
  EXPECT_EQ(fs.openFolders, 0);
  EXPECT_EQ(fs.openListings, 0);
  EXPECT_TRUE(walker.walk()) << "a stopped walk leaves the walker idle";
}

TEST(ParallelWalker, LetsTheCallerRunWhileItWaitsForTheWorkers) {
  // The work goes on only once the caller has run while waiting for it; an
  // error thrown there ends the walk, as a stop would.
  FakeFileSystem fs;
  fs.addFile("a.htm");
  fs.addFile("b.htm");
  for (const bool stop : {false, true}) {
    std::mutex mutex;
    std::condition_variable waited;
    int waits = 0;
    ParallelWalker<bool> walker(fs, [&](Folder&, std::string_view, std::string_view) {
      std::unique_lock<std::mutex> lock(mutex);
      // A cap, not a measure.
      return waited.wait_for(lock, std::chrono::seconds(30), [&] { return waits > 0; });
    });
    walker.rootFolder = FakeFileSystem::kRoot;
    walker.threads = 2;
    walker.onWaiting = [&] {
      {
        const std::lock_guard<std::mutex> lock(mutex);
        ++waits;
      }
      waited.notify_all();
      if (stop) throw std::runtime_error("stopped");
    };
    std::vector<bool> values;
    walker.onFileFound = [&](const ParallelWalker<bool>::File& file) {
      values.push_back(file.value);
    };
    if (stop) {
      EXPECT_THROW(walker.walk(), std::runtime_error);
      EXPECT_TRUE(values.empty());
    } else {
      EXPECT_TRUE(walker.walk());
      EXPECT_THAT(values, ElementsAre(true, true));
    }
    EXPECT_EQ(fs.openFolders, 0);
  }
}

TEST(ParallelWalker, WalkInsideAWalkIsRefused) {
  FakeFileSystem fs;
  fs.addFile("a.htm");
  ParallelWalker<int> walker(fs, [](Folder&, std::string_view, std::string_view) { return 0; });
  walker.rootFolder = FakeFileSystem::kRoot;
  walker.threads = 2;
  std::vector<bool> inner;
  walker.onFileFound = [&](const ParallelWalker<int>::File&) { inner.push_back(walker.walk()); };
  EXPECT_TRUE(walker.walk());
  EXPECT_THAT(inner, ElementsAre(false));
}

// The same over the machine's own file system: trees with links into
// themselves and out, dangling links, and every file its own time.

void growRandomTreeOnDisk(const test::TempDir& dir, std::mt19937& random) {
  const auto pick = [&](std::size_t size) { return static_cast<std::size_t>(random() % size); };
  std::vector<std::string> folders{""};
  const std::size_t steps = 20 + pick(200);
  for (std::size_t step = 0; step < steps; ++step) {
    const std::size_t latest = std::min<std::size_t>(3, folders.size());
    const std::string at =
        pick(100) < 60 ? folders[folders.size() - 1 - pick(latest)] : folders[pick(folders.size())];
    const std::string number = std::to_string(step);
    const std::size_t kind = pick(100);
    if (kind < 25) {
      folders.push_back(at);
      folders.back().append("d").append(number).append(pick(100) < 5 ? "skip/" : "/");
      dir.makeDir(folders.back());
    } else if (kind < 32) {
      // Absolute, so that a link into its own descent is a cycle.
      const std::string target =
          pick(100) < 10 ? dir / "missing" : dir / folders[pick(folders.size())];
      const std::string link = (dir / at).append("l").append(number);
      ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    } else {
      constexpr std::array kEndings = {".htm", ".html", ".gif"};
      const std::string file =
          std::string(at).append("f").append(number).append(kEndings[pick(kEndings.size())]);
      dir.writeFile(file);
      const timespec times[2] = {{0, UTIME_OMIT},
                                 {static_cast<time_t>(946684800 + pick(900000000)), 0}};
      ASSERT_EQ(utimensat(AT_FDCWD, (dir / file).c_str(), times, 0), 0);
    }
  }
}

TEST(ParallelWalkerOnDisk, ReportsExactlyWhatTheWalkOnOneThreadReportsOverRandomTrees) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    test::TempDir dir;
    growRandomTreeOnDisk(dir, random);
    WalkSetup setup;
    setup.root = dir.path();
    const std::string expected = walkRecord(localFileSystem(), setup);
    ASSERT_THAT(expected, HasSubstr("\nwalked error 0"));
    for (const unsigned threads : {2u, 4u}) {
      setup.threads = threads;
      setup.descriptorLimit = seed % 2 == 0 ? 9 : 0;
      EXPECT_EQ(walkRecord(localFileSystem(), setup), expected)
          << "seed " << seed << ", " << threads << " threads";
    }
  }
}

TEST(ParallelWalkerOnDisk, MissingRootFailsAsGone) {
  test::TempDir dir;
  WalkSetup setup;
  setup.threads = 2;
  setup.root = dir / "missing/";
  EXPECT_EQ(walkRecord(localFileSystem(), setup),
            "failed at " + setup.root + " error 2 kind " +
                std::to_string(static_cast<int>(FailureKind::Gone)) + "\n");
}

}  // namespace
}  // namespace qorv
