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

/// The window's side of a project: its two texts.
class Texts final : public qorv::ProjectWindow {
 public:
  Texts(std::string folder, std::string url) : m_folder(std::move(folder)), m_url(std::move(url)) {}
  std::string localFolder() const override { return m_folder; }
  void setLocalFolder(const std::string& folder) override { m_folder = folder; }
  std::string siteUrl() const override { return m_url; }
  void setSiteUrl(const std::string& url) override { m_url = url; }
  void clearPages() override {}

 private:
  std::string m_folder;
  std::string m_url;
};

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
      Texts texts(argv[3], argv[4]);
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
