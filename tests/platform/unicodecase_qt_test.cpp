#include <gtest/gtest.h>

#include <QChar>

#include "core/unicodecase.h"

namespace qorv {
namespace {

// The core's table is generated from Qt (tools/gen_unicodecase.cpp); this
// fails when a Qt upgrade changes the mapping and the table was not
// regenerated.
TEST(UnicodeCaseQt, TableAgreesWithQtForEveryCodePoint) {
  int mismatches = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    const char32_t expected = QChar::toUpper(c);
    if (toUpper(c) != expected && ++mismatches <= 20) {
      ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(c) << ": table gives U+"
                    << static_cast<unsigned>(toUpper(c)) << ", Qt gives U+"
                    << static_cast<unsigned>(expected);
    }
  }
  EXPECT_EQ(mismatches, 0) << "regenerate core/unicodecase_table.inc (see its first lines)";
}

}  // namespace
}  // namespace qorv
