// qorv-cli: the sitemap job without a window, for automation and benchmarks.

#include <csignal>
#include <string>
#include <vector>

#include "cli/command.h"

int main(int argc, char** argv) {
  // Past a file size limit a write should fail with an error, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  return qorv::cli::runCommand(std::vector<std::string>(argv + 1, argv + argc), {});
}
