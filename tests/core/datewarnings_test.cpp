#include "core/datewarnings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>

#include "core/zoneoffset.h"
#include "tests/support/casename.h"
#include "tests/support/formats.h"

namespace qorv {
namespace {

GitHistory history(GitHistory::Status status,
                   GitHistory::Problem problem = GitHistory::Problem::None,
                   std::string repository = {}) {
  GitHistory made;
  made.status = status;
  made.problem = problem;
  made.repository = std::move(repository);
  return made;
}

TEST(DateWarnings, TheGitReportSaysWhatTheHistoryCouldNotDate) {
  using Status = GitHistory::Status;
  using Problem = GitHistory::Problem;
  const struct {
    GitHistory history;
    std::size_t withoutHistory;
    const char* text;
  } cases[] = {
      {history(Status::Ok), 0, ""},
      {history(Status::Ok), 3, "Bez histórie v gite (čas súboru): 3"},
      {history(Status::Shallow), 0,
       "História gitu je skrátená: dátumy môžu byť neskoršie než skutočné zmeny."},
      {history(Status::Shallow), 12,
       "História gitu je skrátená: dátumy môžu byť neskoršie než skutočné zmeny.\r"
       "Bez histórie v gite (čas súboru): 12"},
      {history(Status::NoRepository), 40,
       "Priečinok nie je v repozitári git: použitý čas súborov."},
      {history(Status::Unreadable, Problem::OtherOwner, "/srv/site"), 40,
       "Repozitár git „/srv/site“ sa nedá prečítať (patrí inému používateľovi): použitý čas "
       "súborov."},
      {history(Status::Unreadable, Problem::Damaged, "/srv/site"), 40,
       "Repozitár git „/srv/site“ sa nedá prečítať (je poškodený): použitý čas súborov."},
      {history(Status::Unreadable, Problem::GitMissing, "/srv/site/public"), 40,
       "Repozitár git „/srv/site/public“ sa nedá prečítať (program git nie je nainštalovaný): "
       "použitý čas súborov."},
      {history(Status::Unreadable, Problem::Failed, "/srv/site"), 40,
       "Repozitár git „/srv/site“ sa nedá prečítať (git zlyhal): použitý čas súborov."},
      {history(Status::Stopped), 40, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(gitHistoryReport(c.history, c.withoutHistory), c.text)
        << static_cast<int>(c.history.status) << " " << c.withoutHistory;
}

TEST(DateWarnings, MemoryTextsNameTheFileAndTheReason) {
  EXPECT_EQ(damagedMemoryText(), "Pamäť obsahu je poškodená: začína sa odznova.");
  EXPECT_EQ(memoryNotSavedText("/home/u/.local/share/Quorvex/lastmod/x.mem", ENOSPC),
            "Pamäť obsahu sa nepodarilo uložiť: \"/home/u/.local/share/Quorvex/lastmod/x.mem\": "
            "No space left on device");
  EXPECT_EQ(memoryNotReadText("/ci/site.mem", EIO),
            "Pamäť obsahu sa nepodarilo prečítať: \"/ci/site.mem\": Input/output error");
}

TEST(DateWarnings, OnlyZonesTheLongFormCannotWriteAreInvalid) {
  for (const char* valid : {"+01:00", "-12:00", "+00:00", "Z", "+05:30", "automaticky"})
    EXPECT_FALSE(isInvalidZone(valid)) << valid;
  for (const char* invalid : {"", "+1:00", "UTC", "+24:00", "01:00", "Automaticky", "+01:00 "})
    EXPECT_TRUE(isInvalidZone(invalid)) << invalid;
  EXPECT_EQ(invalidZoneText("+1:00"),
            "Časové pásmo „+1:00“ nie je platné: dátumy zapísané bez času.");
}

TEST(DateWarnings, ZoneOffsetsAreWrittenAsW3cZones) {
  const struct {
    int seconds;
    const char* text;
  } cases[] = {
      {7200, "+02:00"},   {3600, "+01:00"},  {0, "+00:00"},
      {-18000, "-05:00"}, {19800, "+05:30"}, {-12600, "-03:30"},
      {50400, "+14:00"},  {1172, "+00:19"},  {-1172, "-00:19"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatZoneOffset(c.seconds), c.text) << c.seconds;
    EXPECT_FALSE(isInvalidZone(formatZoneOffset(c.seconds))) << c.seconds;
  }
}

struct UniformCase {
  const char* what;
  bool withTime;
  std::size_t rows;
  /// Changes row `i` of the otherwise equal rows (5.3.2006 14:03:06).
  void (*vary)(std::size_t i, Date& date, std::optional<TimeOfDay>& time);
  bool uniform;
  friend void PrintTo(const UniformCase& c, std::ostream* os) { *os << c.what; }
};

void nothing(std::size_t, Date&, std::optional<TimeOfDay>&) {}

class UniformLastmod : public ::testing::TestWithParam<UniformCase> {};

TEST_P(UniformLastmod, WarnsOnlyWhenEnoughRowsShareOneLastmod) {
  const UniformCase& c = GetParam();
  UniformLastmodCheck check(c.withTime);
  for (std::size_t i = 0; i < c.rows; ++i) {
    Date date{2006, 3, 5};
    std::optional<TimeOfDay> time = TimeOfDay{14, 3, 6};
    c.vary(i, date, time);
    check.add(date, time);
  }
  EXPECT_EQ(check.uniform(), c.uniform);
  EXPECT_EQ(check.warning(test::dayFirstFormats(), true).empty(), !c.uniform);
}

INSTANTIATE_TEST_SUITE_P(
    DateWarnings, UniformLastmod,
    ::testing::Values(UniformCase{"ten rows of one date", false, 10, nothing, true},
                      UniformCase{"nine rows are too few", false, 9, nothing, false},
                      UniformCase{"one other date", false, 10,
                                  [](std::size_t i, Date& date, std::optional<TimeOfDay>&) {
                                    if (i == 7) date.day = 6;
                                  },
                                  false},
                      UniformCase{"the time does not count without it", false, 10,
                                  [](std::size_t i, Date&, std::optional<TimeOfDay>& time) {
                                    time->hour = static_cast<int>(i);
                                  },
                                  true},
                      UniformCase{"one minute with the time", true, 12,
                                  [](std::size_t i, Date&, std::optional<TimeOfDay>& time) {
                                    time->second = static_cast<int>(i) * 4;
                                  },
                                  true},
                      UniformCase{"another minute with the time", true, 12,
                                  [](std::size_t i, Date&, std::optional<TimeOfDay>& time) {
                                    if (i == 11) time->minute = 4;
                                  },
                                  false},
                      UniformCase{"a time that does not read back", true, 12,
                                  [](std::size_t i, Date&, std::optional<TimeOfDay>& time) {
                                    if (i == 0) time.reset();
                                  },
                                  false}),
    test::CaseName());

TEST(DateWarnings, TheUniformDateIsShownAsTheRowsShowIt) {
  UniformLastmodCheck dateOnly(false);
  UniformLastmodCheck withTime(true);
  for (int i = 0; i < 10; ++i) {
    dateOnly.add({2006, 3, 5}, TimeOfDay{14, 3, 6});
    withTime.add({2006, 3, 5}, TimeOfDay{9, 5, 6});
  }
  const LocaleFormats formats = test::dayFirstFormats();
  EXPECT_EQ(dateOnly.warning(formats, true),
            "Všetky stránky majú rovnaký dátum zmeny (5.3.2006). Vyhľadávače takému dátumu "
            "neveria.\rSkúste zdroj dátumu git alebo pamäť obsahu.");
  EXPECT_EQ(withTime.warning(formats, false),
            "Všetky stránky majú rovnaký dátum zmeny (5.3.2006 09:05). Vyhľadávače takému dátumu "
            "neveria.");
}

}  // namespace
}  // namespace qorv
