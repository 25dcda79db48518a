#include "platform/processlimits.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>
#include <thread>

namespace qorv {
namespace {

TEST(ProcessLimits, ProcessorsAreThoseTheAffinityMaskAllows) {
  // The mask of the thread that asks, as taskset sets it for a process.
  std::thread([] {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(usableProcessorCount(), static_cast<unsigned>(CPU_COUNT(&all)));
    int first = 0;
    while (!CPU_ISSET(first, &all)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(usableProcessorCount(), 1u);
  }).join();
}

TEST(ProcessLimits, OpenFileLimitIsTheSoftLimit) {
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  rlimit lower = old;
  lower.rlim_cur = std::min<rlim_t>(old.rlim_cur, 200);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lower), 0);
  EXPECT_EQ(openFileLimit(), static_cast<std::size_t>(lower.rlim_cur));
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
}

}  // namespace
}  // namespace qorv
