#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/outputfolder.h"

namespace qorv::test {

/// Folders in memory for writes, with failures on demand and a log of every
/// step, for writes whose order or failures a real disk cannot be made to
/// show.
class FakeOutputFileSystem final : public OutputFileSystem {
 public:
  /// The files in place, by folder + name.
  std::map<std::string, std::string> files;
  /// Paths (folder + name) that are symbolic links: creating or reading
  /// them fails with ELOOP, and a removal leaves them alone.
  std::set<std::string> links;
  /// Every step, in order: "open FOLDER", "create PATH", "write PATH",
  /// "retarget PATH", "prepare PATH", "publish PATH", "sync FOLDER",
  /// "read PATH", "remove PATH"; a file's steps name its target then.
  std::vector<std::string> log;
  /// The steps that fail, by their log line, with their error number. A
  /// failed step is logged too.
  std::map<std::string, int> failures;

  Result<std::unique_ptr<OutputFolder>> openFolder(const std::string& folder) override;

  /// Files begun and neither in place nor dropped yet.
  int pendingFiles = 0;

  /// Logs `line`: 0, or the error number when that step is to fail.
  int step(const std::string& line);
};

}  // namespace qorv::test
