// A walk on worker threads as a scan makes it, for the EIO sweep
// (tests/reliability/eio-sweep), until the scan itself walks on threads:
// each file that "*.htm;*.html" matches, with its time read on a worker and
// turned into local time on the calling thread, in walk order; folders
// whose name ends in "skip" are left out and named in their place.
//
//   eio_walk THREADS FOLDER [DESCRIPTORS]
//
// Prints one line per file ("PATH<TAB>YYYY-MM-DD hh:mm:ss", "-" for a time
// out of range) or left-out folder ("left out: FOLDER/"). A file that is
// gone or refused gives no line, as it gives no row; any other failure ends
// the walk as it ends a scan: exit 1 with "eio_walk: CLASS: MESSAGE" on
// stderr and nothing on stdout. THREADS 0 stands for every usable processor;
// DESCRIPTORS, the walk's budget of them (few make it close folders and
// open them again).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/errors.h"
#include "core/parallelwalker.h"

namespace {

int usage() {
  std::fputs("usage: eio_walk THREADS FOLDER [DESCRIPTORS]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return usage();
  char* end = nullptr;
  const unsigned long threads = std::strtoul(argv[1], &end, 10);
  if (*end != '\0' || threads > 256) return usage();
  const unsigned long descriptors = argc == 4 ? std::strtoul(argv[3], &end, 10) : 0;
  if (*end != '\0') return usage();
  qorv::FileSystem& fileSystem = qorv::localFileSystem();
  qorv::ParallelWalker<qorv::Result<std::int64_t>> walker(
      fileSystem, [](qorv::Folder& folder, std::string_view, std::string_view name) {
        return folder.writeTime(name);
      });
  walker.rootFolder = argv[2];
  walker.threads = static_cast<unsigned>(threads);
  walker.descriptorLimit = descriptors;
  walker.filter.setMasks({"*.htm", "*.html"});
  walker.skipFolder = [](std::string_view folder) { return folder.ends_with("skip/"); };
  // Printed only once the walk has ended well: a failed walk prints nothing.
  std::string out;
  walker.onFolderSkipped = [&](std::string_view folder) {
    out.append("left out: ").append(folder).append("\n");
  };
  walker.onFileFound = [&](const qorv::ParallelWalker<qorv::Result<std::int64_t>>::File& file) {
    if (!file.value) {
      if (qorv::failureKind(file.value.error()) != qorv::FailureKind::Failed) return;
      throw qorv::IoError("Cannot read the time of", file.path, file.value.error());
    }
    out.append(file.path).append("\t");
    const std::optional<qorv::DateTime> local = fileSystem.localTime(*file.value);
    if (!local) {
      out.append("-\n");
      return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d\n", local->date.year,
                  local->date.month, local->date.day, local->time.hour, local->time.minute,
                  local->time.second);
    out.append(text);
  };
  try {
    if (!walker.walk() && walker.failure().kind != qorv::FailureKind::Gone)
      throw qorv::IoError("Cannot list the folder", walker.failure().folder,
                          walker.failure().error);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "eio_walk: %s: %s\n", qorv::errorClassName(error), error.what());
    return 1;
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}
