#include "tests/support/randomtree.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <vector>

namespace qorv::test {

void growRandomTree(FakeFileSystem& fs, std::mt19937& random) {
  const auto pick = [&](std::size_t size) { return static_cast<std::size_t>(random() % size); };
  const auto chance = [&](std::size_t perMille) { return pick(1000) < perMille; };
  std::vector<std::string> folders{""};
  const std::size_t steps = 20 + pick(400);
  for (std::size_t step = 0; step < steps; ++step) {
    // Mostly in one of the latest folders, so that chains grow deep.
    const std::size_t latest = std::min<std::size_t>(3, folders.size());
    const std::string at =
        chance(600) ? folders[folders.size() - 1 - pick(latest)] : folders[pick(folders.size())];
    const std::string prefix = at.empty() ? "" : at + "/";
    const std::string number = std::to_string(step);
    const std::size_t kind = pick(100);
    if (kind < 25) {
      std::string name = "d" + number;
      if (chance(60))
        name += "skip";
      else if (chance(4))
        name += "trap";
      folders.push_back(prefix + name);
      fs.addFolder(folders.back());
    } else if (kind < 30) {
      fs.addLink(at, "l" + number, folders[pick(folders.size())]);
    } else {
      constexpr std::array kEndings = {".htm", ".html", ".gif", ".HTM", ""};
      std::string name = (chance(3) ? "boom" : "f") + number + kEndings[pick(kEndings.size())];
      FakeFileSystem::Entry& file = fs.addFile(prefix + name);
      const auto part = [&](std::size_t size) { return static_cast<int>(pick(size)); };
      file.time =
          DateTime{{1990 + part(40), 1 + part(12), 1 + part(28)}, {part(24), part(60), part(60)}};
      if (chance(30)) file.time.reset();
      if (chance(40)) file.timeError = chance(500) ? ENOENT : EIO;
    }
  }
  for (std::size_t i = 1; i < folders.size(); ++i) {
    FakeFileSystem::FakeFolder& folder = fs.folder(folders[i]);
    if (chance(40)) folder.openError = std::array{EACCES, ENOENT, ENOTDIR}[pick(3)];
    if (chance(3)) folder.openError = EMFILE;
    if (chance(30)) folder.listError = std::array{EACCES, ENOENT}[pick(2)];
    if (chance(4)) folder.listError = EIO;
    if (chance(30)) {
      folder.failNextAfter = static_cast<int>(pick(6));
      folder.nextError = chance(150) ? EIO : std::array{ENOENT, EACCES}[pick(2)];
    }
    if (chance(3)) folder.closeError = EIO;
  }
}

}  // namespace qorv::test
