// walk_bench [--threads N] TREE
//
// The walk of a scan and nothing else, for bench/walk-vs-find: every file
// under TREE that "*.htm;*.html" matches, its time read on a worker (or on
// the one thread with --threads 1) and turned into local time on the
// calling thread, printed as "YYYY-MM-DD hh:mm:ss PATH", the way find
// -printf prints a line per file. --threads 0, the default, runs as many
// workers as the process may use processors.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/parallelwalker.h"

namespace {

int usage() {
  std::fputs("usage: walk_bench [--threads N] TREE\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned threads = 0;
  int at = 1;
  if (argc == 4 && std::strcmp(argv[1], "--threads") == 0) {
    threads = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    at = 3;
  } else if (argc != 2) {
    return usage();
  }
  qorv::FileSystem& fileSystem = qorv::localFileSystem();
  using Time = qorv::Result<std::int64_t>;
  qorv::ParallelWalker<Time> walker(
      fileSystem, [](qorv::Folder& folder, std::string_view, std::string_view name) {
        return folder.writeTime(name);
      });
  walker.rootFolder = argv[at];
  walker.threads = threads;
  walker.filter.setMasks({"*.htm", "*.html"});
  std::string out;
  std::size_t failed = 0;
  walker.onFileFound = [&](const qorv::ParallelWalker<Time>::File& file) {
    const std::optional<qorv::DateTime> local =
        file.value ? fileSystem.localTime(*file.value) : std::nullopt;
    if (!local) {
      ++failed;
      return;
    }
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d ", local->date.year,
                  local->date.month, local->date.day, local->time.hour, local->time.minute,
                  local->time.second);
    out.append(text).append(file.path).append("\n");
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  };
  if (!walker.walk()) {
    std::fprintf(stderr, "walk_bench: cannot list %s (error %d)\n", walker.failure().folder.c_str(),
                 walker.failure().error);
    return 1;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (failed > 0) std::fprintf(stderr, "walk_bench: %zu times not read\n", failed);
  return 0;
}
