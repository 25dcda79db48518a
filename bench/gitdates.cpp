// gitdates FOLDER [--list]
// gitdates --log-arguments
//
// Reads the git dates of every file under FOLDER as a scan would, and
// prints how many files have one (with --list, each file's path, commit
// moment and whether it is clean, sorted, for comparing with other ways).
// --log-arguments prints the arguments of the git log it runs, one a line.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/githistory.h"
#include "platform/lastcommits.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gitdates FOLDER [--list]\n");
    return 2;
  }
  if (std::strcmp(argv[1], "--log-arguments") == 0) {
    for (const std::string& argument : qorv::LastCommitReader::logArguments())
      std::printf("%s\n", argument.c_str());
    return 0;
  }
  const bool list = argc > 2 && std::strcmp(argv[2], "--list") == 0;
  const qorv::GitHistory history = qorv::localGitHistory().read(argv[1], [] { return true; });
  if (!history.hasDates()) {
    std::fprintf(stderr, "gitdates: no dates (status %d, problem %d): %s\n",
                 static_cast<int>(history.status), static_cast<int>(history.problem),
                 history.detail.c_str());
    return 1;
  }
  if (list) {
    std::vector<const std::pair<const std::string, qorv::GitFileHistory>*> files;
    for (const auto& entry : history.files) files.push_back(&entry);
    std::sort(files.begin(), files.end(), [](auto* a, auto* b) { return a->first < b->first; });
    for (const auto* entry : files)
      std::printf("%s %lld %+d %s\n", entry->first.c_str(),
                  static_cast<long long>(entry->second.lastCommit.utcSeconds),
                  entry->second.lastCommit.offsetMinutes,
                  entry->second.clean ? "clean" : "changed");
  }
  std::printf("%zu files with a git date%s\n", history.files.size(),
              history.status == qorv::GitHistory::Status::Shallow ? " (shallow)" : "");
  return 0;
}
