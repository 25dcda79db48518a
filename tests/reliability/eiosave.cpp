// One save of the kind the desktop program makes, for the EIO sweep
// (tests/reliability/eio-sweep), which fails each of its system calls in
// turn: a project save or a window placement save, exactly as the window
// makes them, without a window.
//
//   eio_save project FILE FOLDER URL
//   eio_save placement FILE
//
// Exits 0 when saved; 1 with "eio_save: CLASS: MESSAGE" on stderr when not.

#include <cstdio>
#include <exception>
#include <string>

#include "core/errors.h"
#include "core/generatorsettings.h"
#include "persist/projectfile.h"
#include "persist/windowplacement.h"

namespace {

int usage() {
  std::fputs("usage: eio_save project FILE FOLDER URL | eio_save placement FILE\n", stderr);
  return 2;
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
    } else {
      return usage();
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "eio_save: %s: %s\n", qorv::errorClassName(error), error.what());
    return 1;
  }
  return 0;
}
