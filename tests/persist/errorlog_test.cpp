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

}  // namespace
}  // namespace qorv
