#include "platform/localzone.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/casename.h"
#include "tests/support/scopedvariable.h"

namespace qorv {
namespace {

/// Runs a test under the zone rules of `zone`, and the tests after it under
/// the ones they had.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) : m_zone("TZ", zone) { tzset(); }
  ~ZoneScope() { tzset(); }
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;

 private:
  test::ScopedVariable m_zone;
};

DateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
  return {{year, month, day}, {hour, minute, second}};
}

struct OffsetCase {
  const char* what;
  DateTime local;
  int offset;
  /// The clocks never show this reading.
  bool skipped = false;
  friend void PrintTo(const OffsetCase& c, std::ostream* os) { *os << c.what; }
};

class SlovakOffsets : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(SlovakOffsets, FollowTheZoneRulesAndTakeTheLaterInstantAtAChange) {
  const ZoneScope zone("Europe/Bratislava");
  LocalZone rules;
  const OffsetCase& c = GetParam();
  // Asked twice: the second answer comes from what the first one kept.
  EXPECT_EQ(rules.offsetAt(c.local), c.offset);
  EXPECT_EQ(rules.offsetAt(c.local), c.offset);
  const std::int64_t instant = secondsSinceEpoch(c.local) - c.offset;
  if (!c.skipped) {
    EXPECT_EQ(rules.localTime(instant), c.local) << "the reading at the instant written";
  } else {
    EXPECT_EQ(rules.localTime(instant), momentFromSeconds(secondsSinceEpoch(c.local) + 3600))
        << "the later of the two instants the reading could mean: the clocks show it an hour on";
  }
}

INSTANTIATE_TEST_SUITE_P(
    LocalZone, SlovakOffsets,
    ::testing::Values(
        OffsetCase{"winter", at(2024, 1, 15, 12, 0), 3600},
        OffsetCase{"summer", at(2024, 7, 15, 12, 0), 7200},
        OffsetCase{"the last second before clocks go forward", at(2024, 3, 31, 1, 59, 59), 3600},
        OffsetCase{"a reading the clocks skip", at(2024, 3, 31, 2, 30), 3600, true},
        OffsetCase{"the first reading after clocks go forward", at(2024, 3, 31, 3, 0), 7200},
        OffsetCase{"noon of the day clocks go forward", at(2024, 3, 31, 12, 0), 7200},
        OffsetCase{"the eve of the day clocks go forward", at(2024, 3, 30, 23, 0), 3600},
        OffsetCase{"the last second before clocks go back", at(2024, 10, 27, 1, 59, 59), 7200},
        OffsetCase{"a reading the clocks show twice", at(2024, 10, 27, 2, 30), 3600},
        OffsetCase{"the first reading after the second 02:59", at(2024, 10, 27, 3, 0), 3600},
        OffsetCase{"the eve of the day clocks go back", at(2024, 10, 26, 23, 0), 7200},
        OffsetCase{"before summer time existed here", at(1975, 7, 1, 12, 0), 3600}),
    test::CaseName());

TEST(LocalZone, OffsetsOfOtherZones) {
  {
    const ZoneScope zone("UTC");
    EXPECT_EQ(LocalZone().offsetAt(at(2024, 7, 15, 12, 0)), 0);
  }
  {
    const ZoneScope zone("Asia/Kolkata");
    EXPECT_EQ(LocalZone().offsetAt(at(2024, 7, 15, 12, 0)), 5 * 3600 + 1800);
  }
  {
    const ZoneScope zone("America/New_York");
    LocalZone rules;
    EXPECT_EQ(rules.offsetAt(at(2024, 1, 15, 12, 0)), -5 * 3600);
    EXPECT_EQ(rules.offsetAt(at(2024, 7, 15, 12, 0)), -4 * 3600);
  }
}

TEST(LocalZone, CommitMomentsBecomeLocalReadings) {
  const ZoneScope zone("Europe/Bratislava");
  LocalZone rules;
  struct Case {
    const char* utc;
    std::int64_t seconds;
    DateTime local;
  } cases[] = {
      {"2024-07-15T10:00:00Z", 1721037600, at(2024, 7, 15, 12, 0)},
      {"2024-01-15T11:00:00Z", 1705316400, at(2024, 1, 15, 12, 0)},
      {"2024-03-31T00:59:59Z", 1711846799, at(2024, 3, 31, 1, 59, 59)},
      {"2024-03-31T01:00:00Z", 1711846800, at(2024, 3, 31, 3, 0)},
      {"2024-10-27T00:30:00Z", 1729989000, at(2024, 10, 27, 2, 30)},
      {"2024-10-27T01:30:00Z", 1729992600, at(2024, 10, 27, 2, 30)},
      {"2024-10-27T02:00:00Z", 1729994400, at(2024, 10, 27, 3, 0)},
      {"odd seconds stay", 1721037607, at(2024, 7, 15, 12, 0, 7)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rules.localTime(c.seconds), c.local) << c.utc;
    EXPECT_EQ(rules.localTime(c.seconds), c.local) << c.utc << ", asked again";
  }
}

TEST(LocalZone, MomentsOutsideTheCalendarHaveNoLocalReading) {
  const ZoneScope zone("UTC");
  LocalZone rules;
  EXPECT_EQ(rules.localTime(253402300799), at(9999, 12, 31, 23, 59, 59));
  EXPECT_EQ(rules.localTime(253402300800), std::nullopt);
  EXPECT_EQ(rules.localTime(-62135596800), at(1, 1, 1, 0, 0));
  EXPECT_EQ(rules.localTime(-62135596801), std::nullopt);
  EXPECT_EQ(secondsSinceEpoch(at(1970, 1, 1, 0, 0)), 0);
  EXPECT_EQ(secondsSinceEpoch(at(2000, 2, 29, 23, 59, 59)), 951868799);
}

}  // namespace
}  // namespace qorv
