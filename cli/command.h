#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/localeformats.h"

namespace qorv::cli {

/// The exit status of a run.
enum ExitStatus { Written = 0, Failure = 1, BadUsage = 2, LimitExceeded = 3 };

/// What a run writes to besides its files, and the locale it reads.
struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  /// The date and time formats of the rows; asked for once the run needs them.
  std::function<LocaleFormats()> formats;
};

/// One run of qorv-cli for the arguments after the program name: the
/// report, the list or the usage on `console`, and the exit status.
int runCommand(const std::vector<std::string>& args, const Console& console);

}  // namespace qorv::cli
