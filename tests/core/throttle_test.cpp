#include "core/throttle.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

TEST(Throttle, FirstCallThenOncePerInterval) {
  Throttle::Clock::time_point now{};
  Throttle throttle(std::chrono::milliseconds(100), [&now] { return now; });
  const auto at = [&](int ms) {
    now = Throttle::Clock::time_point(std::chrono::milliseconds(ms));
    return throttle.due();
  };
  EXPECT_TRUE(at(1000));
  EXPECT_FALSE(at(1000));
  EXPECT_FALSE(at(1099));
  EXPECT_TRUE(at(1100));
  EXPECT_FALSE(at(1150));
  // Long pauses do not pile up: the next interval counts from the last yes.
  EXPECT_TRUE(at(5000));
  EXPECT_FALSE(at(5050));
}

}  // namespace
}  // namespace qorv
