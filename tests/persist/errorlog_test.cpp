#include "persist/errorlog.h"

#include <gtest/gtest.h>

#include "tests/support/formats.h"

namespace qorv {
namespace {

TEST(ErrorLog, LineLeavesTheTimeOutAtMidnight) {
  const LocaleFormats formats = test::dayFirstFormats();
  EXPECT_EQ(ErrorLog::line({{2006, 3, 5}, {0, 0, 0}}, formats, "EInOutError", "disk full"),
            "5.3.2006 : EInOutError - disk full\r\n");
  EXPECT_EQ(ErrorLog::line({{2006, 3, 5}, {0, 0, 1}}, formats, "E", ""),
            "5.3.2006 0:00:01 : E - \r\n");
}

TEST(ErrorLog, LineHasAFourDigitYearWhereTheLocaleShowsTwo) {
  LocaleFormats formats = test::dayFirstFormats();
  formats.shortDateFormat = "M/d/yy";
  formats.dateSeparator = "/";
  EXPECT_EQ(ErrorLog::line({{1975, 6, 1}, {0, 0, 0}}, formats, "E", "m"), "6/1/1975 : E - m\r\n");
}

}  // namespace
}  // namespace qorv
