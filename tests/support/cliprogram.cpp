#include "tests/support/cliprogram.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qorv::test {

namespace {

bool isExecutableFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string cliProgram() {
  if (const char* named = std::getenv("QORV_CLI"); named && *named) return named;
  // A test program run by hand, from an installed or copied set of programs
  // or straight from the build tree.
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error && isExecutableFile(self.parent_path() / "qorv-cli"))
    return (self.parent_path() / "qorv-cli").string();
  if (isExecutableFile(QORV_CLI_BUILD_PATH)) return QORV_CLI_BUILD_PATH;
  return "";
}

}  // namespace qorv::test
