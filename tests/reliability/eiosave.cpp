// One save of the kind the desktop program makes, for the EIO sweep
// (tests/reliability/eio-sweep), which fails each of its system calls in
// turn: a project save or a window placement save, exactly as the window
// makes them, without a window; or a content memory's round, as a write
// makes it: the memory read, the pages digested, the memory saved anew.
//
//   eio_save project FILE FOLDER URL
//   eio_save placement FILE
//   eio_save memory FILE FOLDER MOMENT PAGE...
//
// A memory round keeps each page's remembered moment while its bytes are
// unchanged and gives MOMENT (yyyy-mm-ddThh:mm:ss) to the others; PAGE is
// relative to FOLDER, which the memory records as given.
//
// Exits 0 when saved; 1 with "eio_save: CLASS: MESSAGE" on stderr when not.

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/contentmemory.h"
#include "core/errors.h"
#include "core/generatorsettings.h"
#include "persist/projectfile.h"
#include "persist/windowplacement.h"

namespace {

int usage() {
  std::fputs(
      "usage: eio_save project FILE FOLDER URL | eio_save placement FILE\n"
      "       eio_save memory FILE FOLDER MOMENT PAGE...\n",
      stderr);
  return 2;
}

std::optional<qorv::DateTime> readMoment(const char* text) {
  qorv::DateTime moment;
  char end = 0;
  if (std::sscanf(text, "%4d-%2d-%2dT%2d:%2d:%2d%c", &moment.date.year, &moment.date.month,
                  &moment.date.day, &moment.time.hour, &moment.time.minute, &moment.time.second,
                  &end) != 6)
    return std::nullopt;
  return moment;
}

void rememberPages(const std::string& file, const std::string& folder, const qorv::DateTime& moment,
                   const std::vector<std::string>& pages) {
  qorv::ContentMemory memory;
  const qorv::Result<qorv::ContentMemory::Load> loaded = memory.load(file, folder);
  if (!loaded) throw qorv::IoError("Cannot read the content memory", file, loaded.error());
  if (*loaded != qorv::ContentMemory::Load::Loaded && *loaded != qorv::ContentMemory::Load::Missing)
    throw qorv::IoError("Cannot read the content memory", file, EINVAL, "damaged");
  std::vector<qorv::MemoryEntry> entries;
  for (const std::string& page : pages) {
    std::string path = folder;
    path += '/';
    path += page;
    const qorv::Result<std::optional<qorv::ContentDigest>> digest = qorv::digestFile(path);
    if (!digest) throw qorv::IoError("Cannot read", path, digest.error());
    if (!*digest) throw qorv::IoError("Cannot read", path, EINVAL, "not a plain file");
    const std::optional<qorv::RememberedMoment> remembered = memory.recall(page, **digest);
    entries.push_back({page, **digest, remembered ? *remembered : qorv::RememberedMoment{moment}});
  }
  const qorv::Result<void> saved = qorv::saveContentMemory(file, folder, std::move(entries), true);
  if (!saved) throw qorv::IoError("Cannot save the content memory", file, saved.error());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string kind = argv[1];
  const std::string path = argv[2];
  try {
    if (kind == "project" && argc == 5) {
      qorv::GeneratorSettings settings;
      // Not the defaults, so that the save changes every entry it writes.
      settings.fileMask = "*.htm;*.php";
      settings.otherChangefreq.setIndex(4);
      settings.dateOnlyLastmod = false;
      settings.gzip = true;
      qorv::ProjectTexts texts;
      texts.setLocalFolder(argv[3]);
      texts.setSiteUrl(argv[4]);
      qorv::ProjectFile(settings, texts).save(path);
    } else if (kind == "placement" && argc == 3) {
      qorv::WindowPlacement(path).save({false, 120, 80, 800, 600}, {1920, 1080});
    } else if (kind == "memory" && argc >= 6) {
      const std::optional<qorv::DateTime> moment = readMoment(argv[4]);
      if (!moment) return usage();
      rememberPages(path, argv[3], *moment, std::vector<std::string>(argv + 5, argv + argc));
    } else {
      return usage();
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "eio_save: %s: %s\n", qorv::errorClassName(error), error.what());
    return 1;
  }
  return 0;
}
