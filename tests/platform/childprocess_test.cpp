#include "platform/childprocess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/faultpoints.h"
#include "tests/support/scopedvariable.h"

namespace qorv {
namespace {

struct Finished {
  Result<ChildExit> result = Failure{EINVAL};
  std::string out;
};

Finished run(const std::vector<std::string>& argv,
             const std::vector<std::string>& environment = childEnvironment({}, {})) {
  Finished done;
  done.result = runChild(argv, environment, [&](std::string_view piece) {
    done.out.append(piece);
    return true;
  });
  return done;
}

TEST(ChildProcess, HandsOnTheOutputAndTellsHowTheProgramEnded) {
  const Finished done = run({"sh", "-c", "printf 'out\\0put'; printf trouble >&2; exit 3"});
  ASSERT_TRUE(done.result) << done.result.error();
  EXPECT_EQ(done.result->exitStatus, 3);
  EXPECT_FALSE(done.result->stopped);
  EXPECT_EQ(done.out, std::string("out\0put", 7));
  EXPECT_EQ(done.result->errorOutput, "trouble");
}

TEST(ChildProcess, RunsWithExactlyTheEnvironmentGiven) {
  EXPECT_EQ(run({"env"}, {"A=1", "B=two words"}).out, "A=1\nB=two words\n");
  const test::ScopedVariable dropped("QORV_TEST_DROPPED", "1");
  const test::ScopedVariable replaced("QORV_TEST_REPLACED", "old");
  const std::vector<std::string> environment =
      childEnvironment({"QORV_TEST_DROPPED"}, {"QORV_TEST_REPLACED=new", "QORV_TEST_ADDED=3"});
  auto has = [&](const char* entry) {
    return std::find(environment.begin(), environment.end(), entry) != environment.end();
  };
  EXPECT_FALSE(has("QORV_TEST_DROPPED=1"));
  EXPECT_FALSE(has("QORV_TEST_REPLACED=old"));
  EXPECT_TRUE(has("QORV_TEST_REPLACED=new"));
  EXPECT_TRUE(has("QORV_TEST_ADDED=3"));
  EXPECT_TRUE(std::any_of(environment.begin(), environment.end(),
                          [](const std::string& entry) { return entry.starts_with("PATH="); }));
}

TEST(ChildProcess, AProgramThatIsNotThereIsAnErrorOfItsOwn) {
  const Finished done = run({"qorv-no-such-program"});
  EXPECT_EQ(done.result.error(), ENOENT);
  EXPECT_EQ(run({}).result.error(), EINVAL);

  // The start's failure is the finish's too, for a caller that starts
  // several programs and looks at each once.
  ChildProcess child;
  EXPECT_EQ(child.start({"qorv-no-such-program"}, {}).error(), ENOENT);
  EXPECT_EQ(child.finish([](std::string_view) { return true; }).error(), ENOENT);
}

TEST(ChildProcess, OnlyTheStandardDescriptorsReachTheProgram) {
  // Opened without O_CLOEXEC, as a library might open one.
  const int stray = open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 0);
  const Finished done = run({"ls", "/proc/self/fd"});
  close(stray);
  // ls's own listing of the folder is the fourth.
  EXPECT_EQ(done.out, "0\n1\n2\n3\n");
}

TEST(ChildProcess, StoppingKillsTheProgramWhetherItWritesOrNot) {
  std::size_t pieces = 0;
  const Result<ChildExit> writing =
      runChild({"yes"}, childEnvironment({}, {}), [&](std::string_view) { return ++pieces < 3; });
  ASSERT_TRUE(writing);
  EXPECT_TRUE(writing->stopped);
  EXPECT_EQ(writing->exitStatus, -1);
  EXPECT_EQ(pieces, 3u);

  // A program silent for long is asked about all the same.
  bool askedWithNothing = false;
  const Result<ChildExit> silent =
      runChild({"sleep", "60"}, childEnvironment({}, {}), [&](std::string_view piece) {
        askedWithNothing = piece.empty();
        return false;
      });
  EXPECT_TRUE(askedWithNothing);
  ASSERT_TRUE(silent);
  EXPECT_TRUE(silent->stopped);
}

TEST(ChildProcess, ADestroyedRunningProgramIsKilledAndReaped) {
  {
    ChildProcess child;
    ASSERT_TRUE(child.start({"sleep", "60"}, childEnvironment({}, {})));
    // No finish: the destructor ends it.
  }
  // No child of ours is left, not even a zombie.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

#ifdef QORV_FAULT_POINTS
TEST(ChildProcess, FailuresToStartOrWaitAreReported) {
  for (const char* call : {"pipe2", "posix_spawnp", "waitpid"}) {
    const FaultScope broken(call, 1, EIO);
    const Finished done = run({"true"});
    EXPECT_EQ(done.result.error(), EIO) << call;
  }
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a failed wait still reaps";
}
#endif

}  // namespace
}  // namespace qorv
