#include "core/projectsettings.h"

#include <gtest/gtest.h>

#include <set>

#include "core/unicodecase.h"

namespace qorv {
namespace {

// A project file matches keys ignoring case: two keys that differ only in
// case would read and write one entry.
TEST(ProjectSettings, KeysAreDistinctIgnoringCase) {
  std::set<std::string> keys;
  for (const ProjectSetting& setting : kProjectSettings)
    EXPECT_TRUE(keys.insert(toUpper(setting.key)).second) << setting.key;
}

}  // namespace
}  // namespace qorv
